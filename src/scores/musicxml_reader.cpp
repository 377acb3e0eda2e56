#include "scores/musicxml_reader.h"

#include <QXmlStreamReader>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

namespace zembera::scores {
namespace {

// What one <note> element says, before the measure's accidentals and the ties are applied.
struct RawNote {
    bool rest = false;
    bool chord = false;
    bool grace = false;
    bool cue = false;
    int step = -1;
    int octave = -1000;
    std::optional<double> alter;
    std::string accidental;
    std::optional<double> duration;
    std::string type;
    int dots = 0;
    int actual = 0;
    int normal = 0;
    bool tieStart = false;
    bool tieStop = false;
    std::string voice;
};

int signOf(double v) {
    return (v > 1e-9) - (v < -1e-9);
}

std::optional<double> typeBeats(const std::string& type) {
    static const std::array<std::pair<const char*, double>, 14> table{{
        {"maxima", 32},
        {"long", 16},
        {"breve", 8},
        {"whole", 4},
        {"half", 2},
        {"quarter", 1},
        {"eighth", 0.5},
        {"16th", 0.25},
        {"32nd", 0.125},
        {"64th", 1.0 / 16},
        {"128th", 1.0 / 32},
        {"256th", 1.0 / 64},
        {"512th", 1.0 / 128},
        {"1024th", 1.0 / 256},
    }};
    for (const auto& [name, beats] : table)
        if (type == name) return beats;
    return std::nullopt;
}

class Reader {
  public:
    Reader(std::string_view xml, const std::string& fileName)
        : xml_(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size()))),
          fileName_(fileName) {}

    Score read() {
        if (!xml_.readNextStartElement()) fail();
        const QStringView root = xml_.name();
        if (root == u"score-timewise")
            throwScoreError(fileName_, "zamana göre (timewise) MusicXML desteklenmiyor");
        if (root != u"score-partwise")
            throwScoreError(fileName_, "bu bir MusicXML partisyonu değil");
        bool partSeen = false;
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"part" && !partSeen) {
                partSeen = true;
                readPart();
            } else if (xml_.name() == u"work" || xml_.name() == u"movement-title") {
                readTitle();
            } else {
                xml_.skipCurrentElement();
            }
        }
        if (xml_.hasError()) fail();
        if (!partSeen) throwScoreError(fileName_, "partisyonda bölüm (part) yok");
        if (score_.noteCount() == 0) throwScoreError(fileName_, "partisyonda nota yok");
        return std::move(score_);
    }

  private:
    [[noreturn]] void fail() {
        if (xml_.hasError())
            throwScoreError(fileName_, "XML okunamadı (satır " + std::to_string(xml_.lineNumber()) +
                                           "): " + xml_.errorString().toStdString());
        throwScoreError(fileName_, "bu bir MusicXML partisyonu değil");
    }
    [[noreturn]] void failAt(const std::string& reason) {
        throwScoreError(fileName_, "ölçü " + std::to_string(measure_) + ": " + reason);
    }

    std::string text() {
        return xml_.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toStdString();
    }
    double number(bool& ok) {
        const QString t = xml_.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        const double v = t.toDouble(&ok);
        ok = ok && std::isfinite(v);
        return ok ? v : 0;
    }

    void readTitle() {
        if (xml_.name() == u"movement-title") {
            const std::string t = text();
            if (score_.title.empty()) score_.title = t;
            return;
        }
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"work-title")
                score_.title = text();
            else
                xml_.skipCurrentElement();
        }
    }

    void readPart() {
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"measure") {
                xml_.skipCurrentElement();
                continue;
            }
            // A measure after number 2147483647 keeps that number rather than overflowing.
            measure_ = measure_ < 0x7FFFFFFF ? measure_ + 1 : measure_;
            bool ok = false;
            const int n = xml_.attributes().value("number").toInt(&ok);
            if (ok) measure_ = n;
            carried_.clear();
            readMeasure();
        }
    }

    void readMeasure() {
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            if (name == u"attributes")
                readAttributes();
            else if (name == u"note")
                readNote();
            else if (name == u"direction")
                readDirection();
            else if (name == u"sound")
                readSound();
            else
                xml_.skipCurrentElement();
        }
    }

    void readSound() {
        const QStringView t = xml_.attributes().value("tempo");
        if (!t.isEmpty()) {
            bool ok = false;
            const double tempo = t.toDouble(&ok);
            if (ok && std::isfinite(tempo) && tempo >= 10 && tempo <= 1000) tempo_ = tempo;
        }
        xml_.skipCurrentElement();
    }

    void readDirection() {
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"sound")
                readSound();
            else
                xml_.skipCurrentElement();
        }
    }

    void readAttributes() {
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"divisions") {
                bool ok = false;
                const double d = number(ok);
                if (!ok || d <= 0 || d > 1e6) failAt("<divisions> geçersiz");
                divisions_ = d;
            } else if (xml_.name() == u"key") {
                readKey();
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void readKey() {
        key_.clear();
        int pendingStep = -1;
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            bool ok = false;
            if (name == u"fifths") {
                const double f = number(ok);
                if (!ok || std::abs(f) > 7) failAt("<fifths> geçersiz");
                // Signature sharps fall on F C G D A E B, flats on B E A D G C F, in their
                // Turkish meaning: bakiye sharp, küçük mücennep flat.
                static constexpr std::array<int, 7> sharps{3, 0, 4, 1, 5, 2, 6};
                const int count = static_cast<int>(std::abs(f));
                for (int i = 0; i < count; ++i) {
                    if (f > 0)
                        key_[sharps[static_cast<std::size_t>(i)]] = 4;
                    else
                        key_[sharps[static_cast<std::size_t>(6 - i)]] = -5;
                }
            } else if (name == u"key-step") {
                const std::string s = text();
                pendingStep = s.size() == 1 ? stepOfLetter(s[0]) : -1;
                if (pendingStep < 0) failAt("<key-step> geçersiz");
            } else if (name == u"key-alter") {
                const double a = number(ok);
                if (!ok || std::abs(a) > 4 || pendingStep < 0) failAt("<key-alter> geçersiz");
                key_[pendingStep] = a * 100 / kCommaCents;
            } else if (name == u"key-accidental") {
                int commas = 0;
                if (turkishAccidentalCommas(text(), commas) && pendingStep >= 0)
                    key_[pendingStep] = commas;
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void readPitch(RawNote& n) {
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            bool ok = false;
            if (name == u"step") {
                const std::string s = text();
                n.step = s.size() == 1 ? stepOfLetter(s[0]) : -1;
                if (n.step < 0) failAt("nota adı okunamadı (\"" + s + "\")");
            } else if (name == u"octave") {
                const double o = number(ok);
                if (!ok || o < 0 || o > 9 || o != std::floor(o)) failAt("oktav okunamadı");
                n.octave = static_cast<int>(o);
            } else if (name == u"alter") {
                const double a = number(ok);
                if (!ok || std::abs(a) > 4) failAt("<alter> okunamadı");
                n.alter = a;
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void readTimeModification(RawNote& n) {
        while (xml_.readNextStartElement()) {
            bool ok = false;
            if (xml_.name() == u"actual-notes") {
                const double v = number(ok);
                if (!ok || v < 1 || v > 100) failAt("<actual-notes> geçersiz");
                n.actual = static_cast<int>(v);
            } else if (xml_.name() == u"normal-notes") {
                const double v = number(ok);
                if (!ok || v < 1 || v > 100) failAt("<normal-notes> geçersiz");
                n.normal = static_cast<int>(v);
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void readNote() {
        RawNote n;
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            bool ok = false;
            if (name == u"rest") {
                n.rest = true;
                xml_.skipCurrentElement();
            } else if (name == u"chord") {
                n.chord = true;
                xml_.skipCurrentElement();
            } else if (name == u"grace") {
                n.grace = true;
                xml_.skipCurrentElement();
            } else if (name == u"cue") {
                n.cue = true;
                xml_.skipCurrentElement();
            } else if (name == u"pitch") {
                readPitch(n);
            } else if (name == u"unpitched") {
                failAt("perdesiz (vurmalı) nota çalınamaz");
            } else if (name == u"duration") {
                const double d = number(ok);
                if (!ok || d < 0 || d > 1e9) failAt("<duration> okunamadı");
                n.duration = d;
            } else if (name == u"type") {
                n.type = text();
            } else if (name == u"dot") {
                ++n.dots;
                xml_.skipCurrentElement();
            } else if (name == u"accidental") {
                n.accidental = text();
            } else if (name == u"time-modification") {
                readTimeModification(n);
            } else if (name == u"tie") {
                const QStringView t = xml_.attributes().value("type");
                if (t == u"start") n.tieStart = true;
                if (t == u"stop") n.tieStop = true;
                xml_.skipCurrentElement();
            } else if (name == u"voice") {
                n.voice = text();
            } else {
                xml_.skipCurrentElement();
            }
        }
        if (xml_.hasError()) fail();
        addNote(n);
    }

    double beatsOf(const RawNote& n) {
        if (n.duration && divisions_ > 0) return *n.duration / divisions_;
        const std::optional<double> base = typeBeats(n.type);
        if (!base) failAt("notanın süresi okunamadı");
        double beats = *base * (2.0 - std::pow(0.5, std::min(n.dots, 8)));
        if (n.actual > 0 && n.normal > 0) beats = beats * n.normal / n.actual;
        return beats;
    }

    double commasOf(const RawNote& n) {
        std::optional<double> sign;
        const std::pair<int, int> place{n.step, n.octave};
        int turkish = 0;
        if (!n.accidental.empty() && turkishAccidentalCommas(n.accidental, turkish)) {
            sign = turkish;
            carried_[place] = turkish;
        } else if (!n.accidental.empty() && n.alter) {
            sign = *n.alter * 100 / kCommaCents;
            carried_[place] = *sign;
        } else if (!n.accidental.empty()) {
            failAt("bilinmeyen arıza işareti \"" + n.accidental + "\"");
        } else if (const auto c = carried_.find(place); c != carried_.end()) {
            sign = c->second;
        } else if (const auto k = key_.find(n.step); k != key_.end()) {
            sign = k->second;
        }
        if (n.alter) {
            const double a = *n.alter * 100 / kCommaCents;
            if (!sign || signOf(*sign) != signOf(a)) sign = a;
        }
        return sign.value_or(0);
    }

    void addNote(const RawNote& n) {
        if (n.grace || n.cue) return;
        if (!n.voice.empty()) {
            if (voice_.empty()) voice_ = n.voice;
            if (n.voice != voice_) return;
        }
        const double beats = beatsOf(n);
        if (!(beats > 0)) return;
        if (beats > 1000) failAt("nota çok uzun");
        ScoreNote note;
        note.rest = n.rest;
        note.beats = beats;
        note.ms = beats * 60000.0 / tempo_;
        note.measure = measure_;
        if (!n.rest) {
            if (n.step < 0 || n.octave < 0) failAt("notanın perdesi okunamadı");
            note.step = n.step;
            note.octave = n.octave;
            note.cents = pitchCents(n.step, n.octave, commasOf(n));
        }
        if (n.chord) {
            // A further note of a chord sounds with the note before; a chord whose first note
            // only continued a tie keeps sounding as it was.
            if (n.rest || lastTied_) return;
            note.chord = true;
            if (score_.notes.size() >= kMaxScoreNotes) throwScoreError(fileName_, "çok fazla nota");
            score_.notes.push_back(note);
            return;
        }
        lastTied_ = false;
        // A tie continues the note before it when it is the same written note and pitch.
        if (tieOpen_ && n.tieStop && !n.rest && !score_.notes.empty()) {
            // The first note of the chord before, past its further notes.
            auto lastIt = score_.notes.end() - 1;
            while (lastIt != score_.notes.begin() && lastIt->chord)
                --lastIt;
            ScoreNote& last = *lastIt;
            if (!last.rest && last.step == note.step && last.octave == note.octave &&
                std::abs(last.cents - note.cents) < 0.01) {
                last.beats += note.beats;
                last.ms += note.ms;
                tieOpen_ = n.tieStart;
                lastTied_ = true;
                return;
            }
        }
        tieOpen_ = n.tieStart && !n.rest;
        if (score_.notes.size() >= kMaxScoreNotes) throwScoreError(fileName_, "çok fazla nota");
        score_.notes.push_back(note);
    }

    QXmlStreamReader xml_;
    std::string fileName_;
    Score score_;
    int measure_ = 0;
    double divisions_ = 0;
    double tempo_ = kDefaultTempo;
    std::map<int, double> key_;                     // step -> commas
    std::map<std::pair<int, int>, double> carried_; // (step, octave) -> commas, this measure
    std::string voice_;
    bool tieOpen_ = false;
    bool lastTied_ = false; // the last note only continued a tie
};

} // namespace

Score parseMusicXml(std::string_view xml, const std::string& fileName) {
    Reader reader(xml, fileName);
    return reader.read();
}

} // namespace zembera::scores
