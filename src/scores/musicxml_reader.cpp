#include "scores/musicxml_reader.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "scores/ornaments.h"
#include "scores/repeat_order.h"
#include "scores/xml_problem.h"

namespace zembera::scores {
namespace {

// Most measures played through repeats and jumps.
constexpr std::size_t kMaxPlayedMeasures = 20000;
constexpr double kEpsilon = 1e-6;

// A key signature's alteration of one step, as written.
struct KeyStep {
    bool set = false;
    double alter = 0; // <key-alter>, or ±1 from <fifths>
    bool fromFifths = false;
    std::string glyph; // <key-accidental>, or the sign <fifths> stands for
};
using KeySignature = std::array<KeyStep, 7>;

struct Transpose {
    int diatonic = 0;
    double chromatic = 0;
    int octaveChange = 0;
};

// What one <note> element says.
struct RawNote {
    bool rest = false;
    bool chord = false;
    bool grace = false;
    bool onBeat = false; // a grace note taking its time from the note after it
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
    Ornament ornament = Ornament::none;
    bool below = false;         // the ornament's first neighbour is the lower one
    std::string neighbourGlyph; // <accidental-mark> of the ornament
    int tremoloMarks = 0;
    // Filled in as the note is placed in its measure.
    double onset = 0; // quarter notes from the start of the measure
    double beats = 0;
    int key = 0; // index of the key signature in force
    Transpose transpose;
};

struct Measure {
    int number = 0;
    double length = 0;
    MeasureMarks marks;
    std::vector<RawNote> notes;
    std::vector<std::pair<double, double>> tempos; // <sound tempo> by its place in the measure
};

struct Part {
    std::string id;
    std::vector<Measure> measures;
    std::vector<KeySignature> keys{KeySignature{}};
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

// The semitones a glyph stands for in common notation, for an ornament's <accidental-mark>.
std::optional<double> glyphSemitones(const std::string& glyph) {
    static const std::array<std::pair<const char*, double>, 9> table{{
        {"natural", 0},
        {"sharp", 1},
        {"flat", -1},
        {"double-sharp", 2},
        {"sharp-sharp", 2},
        {"flat-flat", -2},
        {"quarter-sharp", 0.5},
        {"quarter-flat", -0.5},
        {"three-quarters-flat", -1.5},
    }};
    for (const auto& [name, semis] : table)
        if (glyph == name) return semis;
    return std::nullopt;
}

// The glyphs that exist only in Turkish notation: the slash signs of Arel-Ezgi-Uzdilek and the
// numbered signs of folk music, which count commas.
bool turkishOnlyGlyph(const std::string& glyph) {
    return glyph.rfind("slash-", 0) == 0 || glyph == "double-slash-flat" ||
           ((glyph.rfind("flat-", 0) == 0 || glyph.rfind("sharp-", 0) == 0) &&
            glyph.size() == glyph.find('-') + 2 &&
            std::isdigit(static_cast<unsigned char>(glyph.back())));
}

// Equal-tempered natural of a step, in cents above C.
double equalNatural(int step) {
    static constexpr std::array<int, 7> cents{0, 200, 400, 500, 700, 900, 1100};
    return cents.at(static_cast<std::size_t>(step));
}

// The leading number of a measure's number ("12", "12a", "3-0"), or nothing.
std::optional<int> leadingNumber(QStringView text) {
    qsizetype n = 0;
    while (n < text.size() && n < 10 && text[n].isDigit())
        ++n;
    if (n == 0) return std::nullopt;
    return static_cast<int>(std::min<long long>(text.left(n).toLongLong(), INT_MAX));
}

class Reader {
  public:
    Reader(std::string_view xml, const std::string& fileName)
        : text_(xml), xml_(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size()))),
          fileName_(fileName) {}

    Score read(const ScoreChoice& choice) {
        if (!xml_.readNextStartElement()) fail();
        const QStringView root = xml_.name();
        if (root == u"score-timewise")
            throwScoreError(fileName_, "zamana göre (timewise) MusicXML desteklenmiyor");
        if (root != u"score-partwise")
            throwScoreError(fileName_, "bu bir MusicXML partisyonu değil");
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            if (name == u"part")
                readPart();
            else if (name == u"work" || name == u"movement-title")
                readTitle();
            else if (name == u"identification")
                readIdentification();
            else if (name == u"part-list")
                readPartList();
            else
                xml_.skipCurrentElement();
        }
        if (xml_.hasError()) fail();
        if (parts_.empty()) throwScoreError(fileName_, "partisyonda bölüm (part) yok");
        return assemble(choice);
    }

  private:
    [[noreturn]] void fail() {
        if (xml_.hasError())
            throwScoreError(fileName_, "XML okunamadı (satır " + std::to_string(xml_.lineNumber()) +
                                           "): " + xmlProblem(xml_, text_));
        throwScoreError(fileName_, "bu bir MusicXML partisyonu değil");
    }
    [[noreturn]] void failAt(const std::string& reason) {
        throwScoreError(fileName_, "ölçü " + std::to_string(measureNo_) + ": " + reason);
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

    // SymbTr's converter names itself in <software>.
    void readIdentification() {
        int depth = 1;
        while (depth > 0 && !xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (xml_.name() == u"software") {
                    const QString t = xml_.readElementText(QXmlStreamReader::SkipChildElements);
                    if (t.contains(u"MusicXMLConverter", Qt::CaseInsensitive) ||
                        t.contains(u"symbtr", Qt::CaseInsensitive))
                        symbtrConverter_ = true;
                } else {
                    ++depth;
                }
            } else if (token == QXmlStreamReader::EndElement) {
                --depth;
            }
        }
        if (xml_.hasError()) fail();
    }

    void readPartList() {
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"score-part") {
                xml_.skipCurrentElement();
                continue;
            }
            const std::string id = xml_.attributes().value("id").toString().toStdString();
            std::string name;
            while (xml_.readNextStartElement()) {
                if (xml_.name() == u"part-name" && name.empty())
                    name = text();
                else
                    xml_.skipCurrentElement();
            }
            partNames_[id] = name;
        }
    }

    void readPart() {
        Part part;
        part.id = xml_.attributes().value("id").toString().toStdString();
        parts_.push_back(std::move(part));
        keyIndex_ = 0;
        transpose_ = {};
        divisions_ = 0;
        measureNo_ = 0;
        ending_ = 0;
        endingFor_.clear();
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"measure") {
                xml_.skipCurrentElement();
                continue;
            }
            // The number for messages: as written, else one past the last.
            if (measureNo_ < INT_MAX) ++measureNo_;
            if (const auto n = leadingNumber(xml_.attributes().value("number"))) measureNo_ = *n;
            readMeasure();
        }
    }

    Part& part() { return parts_.back(); }

    void readMeasure() {
        Measure m;
        m.number = measureNo_;
        measure_ = &m;
        position_ = 0;
        lastOnset_ = 0;
        lastVoice_ = "1";
        if (ending_ != 0) {
            m.marks.ending = ending_;
            m.marks.endingFor = endingFor_;
        }
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            bool ok = false;
            if (name == u"attributes") {
                readAttributes();
            } else if (name == u"note") {
                readNote();
            } else if (name == u"backup" || name == u"forward") {
                const bool back = name == u"backup";
                double d = 0;
                while (xml_.readNextStartElement()) {
                    if (xml_.name() == u"duration") {
                        d = number(ok);
                        if (!ok || d < 0 || d > 1e9) failAt("<duration> okunamadı");
                    } else {
                        xml_.skipCurrentElement();
                    }
                }
                const double beats = divisions_ > 0 ? d / divisions_ : 0;
                position_ = back ? std::max(0.0, position_ - beats) : position_ + beats;
                m.length = std::max(m.length, position_);
            } else if (name == u"direction") {
                readDirection();
            } else if (name == u"sound") {
                readSound();
            } else if (name == u"barline") {
                readBarline();
            } else {
                xml_.skipCurrentElement();
            }
            if (xml_.hasError()) fail();
        }
        measure_ = nullptr;
        part().measures.push_back(std::move(m));
    }

    void readBarline() {
        MeasureMarks& marks = measure_->marks;
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            if (name == u"repeat") {
                const QStringView direction = xml_.attributes().value("direction");
                if (direction == u"forward") marks.forwardRepeat = true;
                if (direction == u"backward") {
                    marks.backwardRepeat = true;
                    bool ok = false;
                    const int times = xml_.attributes().value("times").toInt(&ok);
                    if (ok) marks.times = std::clamp(times, 1, 16);
                }
                xml_.skipCurrentElement();
            } else if (name == u"ending") {
                const QStringView type = xml_.attributes().value("type");
                if (type == u"start") {
                    endingFor_.clear();
                    for (const auto& piece :
                         xml_.attributes().value("number").toString().split(u',')) {
                        bool ok = false;
                        const int pass = piece.trimmed().toInt(&ok);
                        if (ok) endingFor_.push_back(pass);
                    }
                    ending_ = ++endings_;
                    marks.ending = ending_;
                    marks.endingFor = endingFor_;
                } else if (type == u"stop" || type == u"discontinue") {
                    ending_ = 0;
                }
                xml_.skipCurrentElement();
            } else if (name == u"segno") {
                marks.segno = true;
                xml_.skipCurrentElement();
            } else if (name == u"coda") {
                marks.coda = true;
                xml_.skipCurrentElement();
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void readSound() {
        const auto attributes = xml_.attributes();
        const QStringView t = attributes.value("tempo");
        if (!t.isEmpty()) {
            bool ok = false;
            const double tempo = t.toDouble(&ok);
            if (ok && std::isfinite(tempo) && tempo >= 10 && tempo <= 1000 && measure_)
                measure_->tempos.emplace_back(position_, tempo);
        }
        if (measure_) {
            MeasureMarks& marks = measure_->marks;
            if (attributes.value("dacapo") == u"yes") marks.daCapo = true;
            if (attributes.hasAttribute("dalsegno")) marks.dalSegno = true;
            if (attributes.hasAttribute("segno")) marks.segno = true;
            if (attributes.hasAttribute("coda")) marks.coda = true;
            if (attributes.hasAttribute("tocoda")) marks.toCoda = true;
            if (attributes.hasAttribute("fine")) marks.fine = true;
        }
        xml_.skipCurrentElement();
    }

    void readDirection() {
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"sound") {
                readSound();
            } else if (xml_.name() == u"direction-type") {
                while (xml_.readNextStartElement()) {
                    if (xml_.name() == u"segno" && measure_) measure_->marks.segno = true;
                    xml_.skipCurrentElement();
                }
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void readAttributes() {
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            bool ok = false;
            if (name == u"divisions") {
                const double d = number(ok);
                if (!ok || d <= 0 || d > 1e6) failAt("<divisions> geçersiz");
                divisions_ = d;
            } else if (name == u"key") {
                readKey();
            } else if (name == u"transpose") {
                transpose_ = {};
                while (xml_.readNextStartElement()) {
                    const QStringView t = xml_.name();
                    const double v = t == u"double" ? (xml_.skipCurrentElement(), 0.0) : number(ok);
                    if (t == u"double") continue;
                    if (!ok || std::abs(v) > 48) failAt("<transpose> geçersiz");
                    if (t == u"diatonic") transpose_.diatonic = static_cast<int>(v);
                    if (t == u"chromatic") transpose_.chromatic = v;
                    if (t == u"octave-change") transpose_.octaveChange = static_cast<int>(v);
                }
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void readKey() {
        KeySignature key;
        int pendingStep = -1;
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            bool ok = false;
            if (name == u"fifths") {
                const double f = number(ok);
                if (!ok || std::abs(f) > 7) failAt("<fifths> geçersiz");
                // Signature sharps fall on F C G D A E B, flats on B E A D G C F.
                static constexpr std::array<int, 7> sharps{3, 0, 4, 1, 5, 2, 6};
                const int count = static_cast<int>(std::abs(f));
                for (int i = 0; i < count; ++i) {
                    KeyStep& k = key[static_cast<std::size_t>(
                        f > 0 ? sharps[static_cast<std::size_t>(i)]
                              : sharps[static_cast<std::size_t>(6 - i)])];
                    k = {true, f > 0 ? 1.0 : -1.0, true, f > 0 ? "sharp" : "flat"};
                }
            } else if (name == u"key-step") {
                const std::string s = text();
                pendingStep = s.size() == 1 ? stepOfLetter(s[0]) : -1;
                if (pendingStep < 0) failAt("<key-step> geçersiz");
            } else if (name == u"key-alter") {
                // In semitones by the standard, in commas as SymbTr writes it.
                const double a = number(ok);
                if (!ok || std::abs(a) > 53 || pendingStep < 0) failAt("<key-alter> geçersiz");
                if (std::abs(a) > 2.5) keyInCommas_ = true;
                key[static_cast<std::size_t>(pendingStep)] = {true, a, false, ""};
            } else if (name == u"key-accidental") {
                const std::string glyph = text();
                if (turkishOnlyGlyph(glyph)) turkishGlyphs_ = true;
                if (pendingStep >= 0) key[static_cast<std::size_t>(pendingStep)].glyph = glyph;
            } else {
                xml_.skipCurrentElement();
            }
        }
        part().keys.push_back(key);
        keyIndex_ = static_cast<int>(part().keys.size()) - 1;
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

    void readOrnaments(RawNote& n) {
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            if (name == u"trill-mark" || name == u"shake") {
                n.ornament = Ornament::trill;
            } else if (name == u"mordent") {
                n.ornament = Ornament::mordent;
                n.below = true;
            } else if (name == u"inverted-mordent") {
                n.ornament = Ornament::mordent;
                n.below = false;
            } else if (name == u"turn" || name == u"delayed-turn") {
                n.ornament = Ornament::turn;
                n.below = false;
            } else if (name == u"inverted-turn" || name == u"delayed-inverted-turn") {
                n.ornament = Ornament::turn;
                n.below = true;
            } else if (name == u"tremolo") {
                const QStringView type = xml_.attributes().value("type");
                if (type.isEmpty() || type == u"single") {
                    bool ok = false;
                    const double marks = number(ok);
                    n.tremoloMarks = ok ? std::clamp(static_cast<int>(marks), 1, 8) : 3;
                    n.ornament = Ornament::tremolo;
                    continue;
                }
            } else if (name == u"accidental-mark") {
                n.neighbourGlyph = text();
                continue;
            }
            xml_.skipCurrentElement();
        }
    }

    void readNotations(RawNote& n) {
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            if (name == u"ornaments") {
                readOrnaments(n);
            } else if ((name == u"glissando" || name == u"slide") &&
                       xml_.attributes().value("type") == u"start") {
                if (n.ornament == Ornament::none) n.ornament = Ornament::glissando;
                xml_.skipCurrentElement();
            } else if (name == u"tied") {
                // <tied> repeats <tie> for display; a file with only <tied> still ties.
                const QStringView t = xml_.attributes().value("type");
                if (t == u"start") n.tieStart = true;
                if (t == u"stop") n.tieStop = true;
                xml_.skipCurrentElement();
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
                n.onBeat = xml_.attributes().hasAttribute("steal-time-following");
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
                if (turkishOnlyGlyph(n.accidental)) turkishGlyphs_ = true;
            } else if (name == u"time-modification") {
                readTimeModification(n);
            } else if (name == u"tie") {
                const QStringView t = xml_.attributes().value("type");
                if (t == u"start") n.tieStart = true;
                if (t == u"stop") n.tieStop = true;
                xml_.skipCurrentElement();
            } else if (name == u"voice") {
                n.voice = text();
            } else if (name == u"notations") {
                readNotations(n);
            } else {
                xml_.skipCurrentElement();
            }
        }
        if (xml_.hasError()) fail();
        if (n.grace && n.rest) return;
        if (!n.rest && (n.step < 0 || n.octave < 0)) failAt("notanın perdesi okunamadı");
        // A chord's further note without a voice is in the voice of the note before.
        if (n.voice.empty()) n.voice = n.chord ? lastVoice_ : "1";
        lastVoice_ = n.voice;
        n.beats = n.grace ? 0 : beatsOf(n);
        if (n.beats > 1000) failAt("nota çok uzun");
        n.onset = n.chord ? lastOnset_ : position_;
        if (!n.chord) lastOnset_ = position_;
        if (!n.chord && !n.grace) position_ += n.beats;
        measure_->length = std::max(measure_->length, position_);
        n.key = keyIndex_;
        n.transpose = transpose_;
        if (++noteTotal_ > 4 * kMaxScoreNotes) throwScoreError(fileName_, "çok fazla nota");
        measure_->notes.push_back(std::move(n));
    }

    double beatsOf(const RawNote& n) {
        if (n.duration && divisions_ > 0) return *n.duration / divisions_;
        const std::optional<double> base = typeBeats(n.type);
        if (!base) failAt("notanın süresi okunamadı");
        double beats = *base * (2.0 - std::pow(0.5, std::min(n.dots, 8)));
        if (n.actual > 0 && n.normal > 0) beats = beats * n.normal / n.actual;
        return beats;
    }

    // ---- Pitch -----------------------------------------------------------------------------

    // The commas of a key signature's step in the comma reading.
    double keyCommas(const KeyStep& k) const {
        int glyph = 0;
        if (!k.fromFifths && keyInCommas_) return k.alter;
        if (!k.glyph.empty() && turkishAccidentalCommas(k.glyph, glyph)) return glyph;
        return k.alter * 100 / kCommaCents;
    }
    double keySemitones(const KeyStep& k) const {
        return !k.fromFifths && keyInCommas_ ? k.alter * kCommaCents / 100 : k.alter;
    }

    // The commas of a written note in the comma reading; `carried` holds the glyphs in force
    // in the measure, `tied` those of notes tied over.
    double commasOf(const RawNote& n, const KeySignature& key,
                    std::map<std::pair<int, int>, double>& carried,
                    const std::map<std::pair<int, int>, double>& tied) {
        const std::pair<int, int> place{n.step, n.octave};
        const KeyStep& k = key[static_cast<std::size_t>(n.step)];
        int glyph = 0;
        if (!n.accidental.empty() && turkishAccidentalCommas(n.accidental, glyph)) {
            double c = glyph;
            if (k.set && k.glyph == n.accidental) c = keyCommas(k);
            // A glyph against the written direction is only printed.
            if (n.alter && signOf(*n.alter) != signOf(c)) c = *n.alter * 100 / kCommaCents;
            carried[place] = c;
            return c;
        }
        if (!n.alter) return 0;
        const double a = *n.alter;
        std::optional<double> inForce;
        if (n.tieStop)
            if (const auto t = tied.find(place); t != tied.end()) inForce = t->second;
        if (!inForce)
            if (const auto c = carried.find(place); c != carried.end()) inForce = c->second;
        if (!inForce && k.set) inForce = keyCommas(k);
        if (inForce && signOf(*inForce) == signOf(a)) return *inForce;
        return a * 100 / kCommaCents;
    }

    // The sounding pitch of a written step, octave and alteration under the part's
    // transposition.
    ScorePitch sounding(int step, int octave, double commas, double semitones, const Transpose& t,
                        bool inCommas) const {
        const double written = inCommas
                                   ? pitchCents(step, octave, commas)
                                   : (octave - 4) * 1200.0 + equalNatural(step) + semitones * 100;
        const int diatonic = (octave - 4) * 7 + step + t.diatonic + 7 * t.octaveChange;
        ScorePitch p;
        p.octave = 4 + (diatonic >= 0 ? diatonic / 7 : -((6 - diatonic) / 7));
        p.step = diatonic - (p.octave - 4) * 7;
        p.cents = written + t.chromatic * 100 + 1200.0 * t.octaveChange;
        return p;
    }

    // The neighbour `by` degrees from a note for its ornament: the key signature's alteration,
    // or the ornament's own accidental mark.
    ScorePitch neighbour(const RawNote& n, const KeySignature& key, int by, bool inCommas,
                         bool marked) const {
        const int diatonic = (n.octave - 4) * 7 + n.step + by;
        const int octave = 4 + (diatonic >= 0 ? diatonic / 7 : -((6 - diatonic) / 7));
        const int step = diatonic - (octave - 4) * 7;
        const KeyStep& k = key[static_cast<std::size_t>(step)];
        double commas = k.set ? keyCommas(k) : 0;
        double semis = k.set ? keySemitones(k) : 0;
        int glyph = 0;
        if (marked && !n.neighbourGlyph.empty()) {
            if (turkishAccidentalCommas(n.neighbourGlyph, glyph)) commas = glyph;
            if (const auto s = glyphSemitones(n.neighbourGlyph)) semis = *s;
        }
        return sounding(step, octave, commas, semis, n.transpose, inCommas);
    }

    // ---- The line played -------------------------------------------------------------------

    Score assemble(const ScoreChoice& choice) {
        for (const Part& p : parts_) {
            const auto name = partNames_.find(p.id);
            score_.parts.push_back(name != partNames_.end() && !name->second.empty()
                                       ? p.id + ": " + name->second
                                       : p.id);
        }
        score_.part = std::clamp(choice.part, 0, static_cast<int>(parts_.size()) - 1);
        const Part& part = parts_[static_cast<std::size_t>(score_.part)];
        for (const Measure& m : part.measures)
            for (const RawNote& n : m.notes)
                if (std::find(score_.voices.begin(), score_.voices.end(), n.voice) ==
                    score_.voices.end())
                    score_.voices.push_back(n.voice);
        if (score_.voices.empty()) throwScoreError(fileName_, "partisyonda nota yok");
        score_.voice = std::clamp(choice.voice, 0, static_cast<int>(score_.voices.size()) - 1);
        const std::string& voice = score_.voices[static_cast<std::size_t>(score_.voice)];

        chooseReading(choice.reading);
        const bool inCommas = score_.reading == PitchReading::commas;
        if (part.keys.size() > 1) score_.keySignature = keyText(part.keys[1], inCommas);
        // Pitches in file order, where the glyphs of a measure are in force.
        std::vector<std::vector<ScoreNote>> pitched(part.measures.size());
        std::map<std::pair<int, int>, double> tied;
        for (std::size_t mi = 0; mi < part.measures.size(); ++mi) {
            std::map<std::pair<int, int>, double> carried;
            std::map<std::pair<int, int>, double> tiedNext;
            for (const RawNote& n : part.measures[mi].notes) {
                ScoreNote s;
                s.rest = n.rest || n.cue;
                if (!s.rest) {
                    const KeySignature& key = part.keys[static_cast<std::size_t>(n.key)];
                    const double commas = commasOf(n, key, carried, tied);
                    const ScorePitch p = sounding(n.step, n.octave, commas, n.alter.value_or(0),
                                                  n.transpose, inCommas);
                    s.step = p.step;
                    s.octave = p.octave;
                    s.cents = p.cents;
                    if (n.tieStart) tiedNext[{n.step, n.octave}] = commas;
                    s.ornament = n.ornament;
                    if (n.ornament == Ornament::trill || n.ornament == Ornament::mordent) {
                        s.aux = neighbour(n, key, n.below ? -1 : 1, inCommas, true);
                    } else if (n.ornament == Ornament::turn) {
                        s.aux = neighbour(n, key, n.below ? -1 : 1, inCommas, true);
                        s.aux2 = neighbour(n, key, n.below ? 1 : -1, inCommas, false);
                    }
                    s.strokeBeats = std::pow(0.5, n.tremoloMarks);
                }
                pitched[mi].push_back(s);
            }
            for (const auto& [place, commas] : tiedNext)
                tied[place] = commas;
        }

        std::vector<MeasureMarks> marks;
        for (const Measure& m : part.measures)
            marks.push_back(m.marks);
        const std::vector<int> order = playOrder(marks, kMaxPlayedMeasures);
        bool inOrder = order.size() == part.measures.size();
        for (std::size_t i = 0; inOrder && i < order.size(); ++i)
            inOrder = order[i] == static_cast<int>(i);
        if (!inOrder) score_.playedMeasures = static_cast<int>(order.size());
        gatherTempos();
        for (const int mi : order)
            addMeasure(static_cast<std::size_t>(mi), pitched[static_cast<std::size_t>(mi)], voice);
        if (score_.noteCount() == 0) throwScoreError(fileName_, "partisyonda nota yok");
        playOut(score_);
        return std::move(score_);
    }

    void gatherTempos() {
        for (const Part& p : parts_) {
            if (tempos_.size() < p.measures.size()) tempos_.resize(p.measures.size());
            for (std::size_t mi = 0; mi < p.measures.size(); ++mi)
                tempos_[mi].insert(tempos_[mi].end(), p.measures[mi].tempos.begin(),
                                   p.measures[mi].tempos.end());
        }
        double tempo = kDefaultTempo;
        for (auto& marks : tempos_) {
            std::stable_sort(marks.begin(), marks.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            startTempo_.push_back(tempo);
            if (!marks.empty()) tempo = marks.back().second;
        }
    }

    // The tempo in force at `position` of measure `index`.
    double tempoAt(std::size_t index, double position) const {
        double tempo = startTempo_[index];
        for (const auto& [at, value] : tempos_[index])
            if (at <= position + kEpsilon) tempo = value;
        return tempo;
    }

    // "B -5, E -2 koma" or "F +1, C +1 yarım ses": the flats in their order, then the sharps.
    std::string keyText(const KeySignature& key, bool inCommas) const {
        static constexpr std::array<int, 7> flats{6, 2, 5, 1, 4, 0, 3};
        std::string text;
        for (const bool sharps : {false, true})
            for (std::size_t i = 0; i < 7; ++i) {
                const int step = sharps ? flats[6 - i] : flats[i];
                const KeyStep& k = key[static_cast<std::size_t>(step)];
                const double value = inCommas ? keyCommas(k) : keySemitones(k);
                if (!k.set || (value > 0) != sharps || value == 0) continue;
                char item[32];
                std::snprintf(item, sizeof item, "%c %+g", "CDEFGAB"[step],
                              std::round(value * 100) / 100);
                text += (text.empty() ? "" : ", ") + std::string(item);
            }
        if (!text.empty()) text += inCommas ? " koma" : " yarım ses";
        return text;
    }

    void chooseReading(PitchReading wanted) {
        if (wanted != PitchReading::automatic) {
            score_.reading = wanted;
            score_.readingReason = "seçilen";
        } else if (symbtrConverter_) {
            score_.reading = PitchReading::commas;
            score_.readingReason = "SymbTr dönüştürücüsüyle yazılmış";
        } else if (keyInCommas_) {
            score_.reading = PitchReading::commas;
            score_.readingReason = "donanımda koma değerleri (<key-alter> ±2,5'ten büyük)";
        } else if (turkishGlyphs_) {
            score_.reading = PitchReading::commas;
            score_.readingReason = "yalnızca Arel-Ezgi-Uzdilek yazısında olan işaretler";
        } else {
            score_.reading = PitchReading::exact;
            score_.readingReason = "standart MusicXML";
        }
    }

    // The notes of `voice` in a measure (the first voice heard there when it has none), gaps
    // filled with rests.
    void addMeasure(std::size_t index, const std::vector<ScoreNote>& pitched,
                    const std::string& voice) {
        const Measure& m = parts_[static_cast<std::size_t>(score_.part)].measures[index];
        std::string heard = voice;
        const auto inVoice = [&](const RawNote& n) { return n.voice == heard; };
        if (std::none_of(m.notes.begin(), m.notes.end(), inVoice) && !m.notes.empty())
            heard = m.notes.front().voice;
        std::vector<std::size_t> line;
        for (std::size_t i = 0; i < m.notes.size(); ++i)
            if (inVoice(m.notes[i])) line.push_back(i);
        std::stable_sort(line.begin(), line.end(), [&](std::size_t a, std::size_t b) {
            return m.notes[a].onset < m.notes[b].onset - kEpsilon;
        });
        double at = 0;
        double lastOnset = -1;
        double lastBeats = 0; // of the note a chord's further notes join
        auto rest = [&](double from, double beats) {
            ScoreNote r;
            r.rest = true;
            r.beats = beats;
            r.ms = beats * 60000.0 / tempoAt(index, from);
            r.measure = m.number;
            push(r);
            tieOpen_ = false;
        };
        for (const std::size_t i : line) {
            const RawNote& raw = m.notes[i];
            ScoreNote s = pitched[i];
            s.measure = m.number;
            const double tempo = tempoAt(index, raw.onset);
            if (raw.grace) {
                s.grace = true;
                s.onBeat = raw.onBeat;
                push(s);
                continue;
            }
            if (raw.chord) {
                // A further note of a chord sounds with the note before; one that only
                // continues a tie keeps sounding as it was.
                if (s.rest || lastTied_ || std::abs(raw.onset - lastOnset) > kEpsilon) continue;
                s.chord = true;
                s.beats = lastBeats;
                s.ms = lastBeats * 60000.0 / tempo;
                push(s);
                continue;
            }
            if (raw.onset < at - kEpsilon || !(raw.beats > 0)) continue; // overlaps the line
            if (raw.onset > at + kEpsilon) rest(at, raw.onset - at);
            at = raw.onset + raw.beats;
            lastOnset = raw.onset;
            lastBeats = raw.beats;
            s.beats = raw.beats;
            s.ms = raw.beats * 60000.0 / tempo;
            lastTied_ = false;
            if (!s.rest && tieOpen_ && raw.tieStop && continueTie(s)) {
                tieOpen_ = raw.tieStart;
                lastTied_ = true;
                continue;
            }
            tieOpen_ = raw.tieStart && !s.rest;
            push(s);
        }
        if (m.length > at + kEpsilon) rest(at, m.length - at);
    }

    // Lengthens the last note by `s` when they are the same written note and pitch.
    bool continueTie(const ScoreNote& s) {
        auto last = score_.notes.end();
        while (last != score_.notes.begin()) {
            --last;
            if (!last->chord && !last->grace) break;
        }
        if (last == score_.notes.end() || last->rest || last->chord || last->grace ||
            last->step != s.step || last->octave != s.octave ||
            std::abs(last->cents - s.cents) > 0.01)
            return false;
        last->beats += s.beats;
        last->ms += s.ms;
        return true;
    }

    void push(const ScoreNote& s) {
        if (score_.notes.size() >= kMaxScoreNotes) throwScoreError(fileName_, "çok fazla nota");
        score_.notes.push_back(s);
    }

    std::string_view text_;
    QXmlStreamReader xml_;
    std::string fileName_;
    Score score_;
    std::vector<Part> parts_;
    std::map<std::string, std::string> partNames_;
    Measure* measure_ = nullptr;
    int measureNo_ = 0;
    double position_ = 0;  // quarter notes from the start of the measure
    double lastOnset_ = 0; // of the last note that is not a chord's further note
    std::string lastVoice_;
    double divisions_ = 0;
    // The tempo marks of every part by measure (a score often writes them in its first part
    // only), and the tempo each measure starts in.
    std::vector<std::vector<std::pair<double, double>>> tempos_;
    std::vector<double> startTempo_;
    int keyIndex_ = 0;
    Transpose transpose_;
    int ending_ = 0; // the ending bracket open, or 0
    int endings_ = 0;
    std::vector<int> endingFor_;
    std::size_t noteTotal_ = 0;
    bool symbtrConverter_ = false;
    bool keyInCommas_ = false;
    bool turkishGlyphs_ = false;
    bool tieOpen_ = false;
    bool lastTied_ = false; // the last note only continued a tie
};

} // namespace

Score parseMusicXml(std::string_view xml, const std::string& fileName, const ScoreChoice& choice) {
    Reader reader(xml, fileName);
    return reader.read(choice);
}

} // namespace zembera::scores
