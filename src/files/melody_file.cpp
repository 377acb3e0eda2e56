#include "files/melody_file.h"

#include <cstdio>

namespace zembera {

MelodyRecord readMelodyRecord(FieldReader& reader) {
    MelodyRecord r;
    for (auto& field : r.fields)
        field = static_cast<std::int16_t>(reader.readInteger(-32768, 32767, "ezgi alanı"));
    return r;
}

MelodyStep melodyStep(const MelodyRecord& record) {
    const int note = record.note();
    if (note >= 26 && note <= 31) return MelodyStep::rest;
    if (note < 0 || note > 31 || record.durationCode() == 0) return MelodyStep::skip;
    return MelodyStep::note;
}

int restUnits(int note) {
    return note >= 26 && note <= 31 ? 2 << (note - 26) : 0;
}

int noteUnits(const MelodyRecord& record, int previousUnits) {
    const int code = record.durationCode();
    if (code < 1 || code > 6) return previousUnits;
    // Two thirds of 8 and of 4, to the nearest unit; a dot does not change a triplet.
    if (record.tuplet() > 0 && code == 4) return 5;
    if (record.tuplet() > 0 && code == 5) return 3;
    const int units = 128 >> code; // 64, 32, 16, 8, 4, 2
    return record.dot() == 1 ? units * 3 / 2 : units;
}

int noteString(int note) {
    return note <= 14 ? note + 4 : note - 3;
}

int melodyMandal(MandalMode mode, const MelodyRecord& record, int instrumentMandal,
                 int ahenkShift) {
    switch (mode) {
    case MandalMode::çalgı:
        return instrumentMandal;
    case MandalMode::şartlı:
        if (record.condition() != 1) return instrumentMandal;
        switch (ahenkShift) {
        case -2:
        case -1:
        case 1:
        case 2:
        case 3:
            return record.fileMandal() + 6;
        default:
            return record.fileMandal();
        }
    case MandalMode::dosya:
        return record.fileMandal();
    }
    return instrumentMandal;
}

std::string counterText(int count) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", count);
    return text;
}

} // namespace zembera
