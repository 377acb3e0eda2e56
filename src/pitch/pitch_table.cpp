#include "pitch/pitch_table.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "common/file_read.h"
#include "common/text_fields.h"

namespace zembera {
namespace {

constexpr int kSectionARows = 26;
// Farthest pitch from 262 Hz a table may name, in cents: far beyond hearing either way, yet every
// frequency it gives stays a normal 32-bit float.
constexpr double kCentsLimit = 20000;

// Reads a pitch in cents: a finite number within +-kCentsLimit.
double readCents(FieldReader& in) {
    const double cents = in.readNumber();
    if (!(std::fabs(cents) <= kCentsLimit)) {
        char shown[32];
        std::snprintf(shown, sizeof shown, "%g", cents);
        in.fail(std::string("sent değeri -20000 ile 20000 arasında olmalı, ") + shown + " bulundu");
    }
    return cents;
}

struct Place {
    int16_t* tel;
    int16_t* mandal;
};

// The places of a record in the order the tables are filled: tel2, tel1, tel3.
std::array<Place, 3> placesOf(DegreeRecord& r) {
    return {{{&r.tel2, &r.mandal2}, {&r.tel1, &r.mandal1}, {&r.tel3, &r.mandal3}}};
}

// Reads one (string, mandal) place. A string of 0 or less means "no place"; its mandal value is
// not used and only has to be a 16-bit number.
void readPlace(FieldReader& in, int16_t& tel, int16_t& mandal) {
    tel = static_cast<int16_t>(in.readInteger(-32768, kStringCount, "tel numarası"));
    const long m = in.readInteger(-32768, 32767, "mandal konumu");
    if (tel > 0 && (m < kMandalLow || m > kMandalHigh)) {
        in.fail("mandal konumu " + std::to_string(kMandalLow) + " ile " +
                std::to_string(kMandalHigh) + " arasında olmalı, " + std::to_string(m) +
                " bulundu");
    }
    mandal = static_cast<int16_t>(m);
}

void readRecord(FieldReader& in, PitchTables& t) {
    const int k =
        static_cast<int>(in.readInteger(kFileDegreeLow, kFileDegreeHigh, "derece numarası"));
    DegreeRecord r;
    readPlace(in, r.tel2, r.mandal2);
    readPlace(in, r.tel1, r.mandal1);
    r.cent = readCents(in);
    r.ad = fitToWidth(in.readText(), kNameWidth);
    readPlace(in, r.tel3, r.mandal3);
    t.degreeTable(k) = r;

    for (const Place& p : placesOf(t.degreeTable(k))) {
        if (*p.tel <= 0) continue;
        t.degreeName(*p.tel, *p.mandal) = r.ad;
        if (*p.tel > kNarrowStrings) t.centTable(*p.tel, *p.mandal) = r.cent;
    }
}

} // namespace

PitchTables parsePitchTable(std::string_view text, const std::string& fileName) {
    PitchTables t;
    FieldReader in(text, fileName);

    for (int row = 0; row < kSectionARows; ++row) {
        in.readNumber();
        in.readText();
    }
    for (int s = 1; s <= kNarrowStrings; ++s) {
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            t.centTable(s, m) = readCents(in);
    }
    for (int s = 1; s <= kNarrowStrings; ++s) {
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            t.mandalMark(s, m) =
                static_cast<int16_t>(in.readInteger(kMarkLow, kMarkHigh, "işaret"));
        }
    }
    for (int s = kNarrowStrings + 1; s <= kStringCount; ++s) {
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            t.mandalMark(s, m) = static_cast<int16_t>(m);
    }
    while (!in.atEnd())
        readRecord(in, t);

    // Only the degrees a string can reach enter the map; a higher degree wins a shared place.
    for (int k = kMappedDegreeLow; k <= kMappedDegreeHigh; ++k) {
        for (const Place& p : placesOf(t.degreeTable(k))) {
            if (*p.tel > 0) t.stringDegree(*p.tel, *p.mandal) = static_cast<int16_t>(k);
        }
    }
    t.octaveDivisionCaptions = {"Yarman79", "Yarman80"};
    return t;
}

PitchTables tablo_oku_txt(const std::filesystem::path& programFolder) {
    const std::filesystem::path file = programFolder / kTableFileName;
    // A limit before reading: a table of any scale is far smaller than a text file may be.
    const LimitedRead<std::string> read = readLimitedFile(file, kTextFileLimit);
    if (!read.bytes)
        throw std::runtime_error(std::string(kTableFileName) +
                                 " dosyası okunamadı: " + read.problem);
    return parsePitchTable(decodeText(*read.bytes), kTableFileName);
}

} // namespace zembera
