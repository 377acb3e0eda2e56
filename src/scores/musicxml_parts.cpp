#include "scores/musicxml_parts.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>

#include "scores/musicxml_pitch.h"
#include "scores/xml_problem.h"

namespace zembera::scores {
namespace {

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

// The leading number of a text ("12", "12a", "3-0", "1."), or nothing.
std::optional<int> leadingNumber(QStringView text) {
    text = text.trimmed();
    qsizetype n = 0;
    while (n < text.size() && n < 10 && text[n].isDigit())
        ++n;
    if (n == 0) return std::nullopt;
    return static_cast<int>(std::min<long long>(text.left(n).toLongLong(), INT_MAX));
}

// The passes an <ending number> names: "1", "1, 2", and, as programs also write them, "1." and
// ranges "1-3"; nothing for a blank number.
std::vector<int> endingPasses(QStringView number) {
    std::vector<int> passes;
    for (const QStringView piece : number.split(u',')) {
        const qsizetype dash = piece.indexOf(u'-');
        const auto from = leadingNumber(dash < 0 ? piece : piece.left(dash));
        const auto to = dash < 0 ? from : leadingNumber(piece.mid(dash + 1));
        if (!from) continue;
        for (int p = *from; p <= std::min(to.value_or(*from), *from + kMostPasses); ++p)
            passes.push_back(p);
    }
    return passes;
}

// The first <divisions> of each part, by the parts' order, so that a duration written before
// it can be counted in it.
std::vector<double> firstDivisions(std::string_view xml) {
    QXmlStreamReader scan(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size())));
    std::vector<double> first;
    int depth = 0, partDepth = -1;
    while (!scan.atEnd()) {
        const auto token = scan.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (scan.name() == u"part" && depth == 2) {
                partDepth = depth;
                first.push_back(0);
            } else if (scan.name() == u"divisions" && partDepth > 0 && first.back() == 0) {
                bool ok = false;
                const double d = scan.readElementText(QXmlStreamReader::SkipChildElements)
                                     .trimmed()
                                     .toDouble(&ok);
                --depth;
                if (ok && std::isfinite(d) && d > 0 && d <= 1e6) first.back() = d;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == partDepth) partDepth = -1;
            --depth;
        }
    }
    return first;
}

class PartsReader {
  public:
    PartsReader(std::string_view xml, const std::string& fileName)
        : text_(xml), xml_(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size()))),
          fileName_(fileName), firstDivisions_(firstDivisions(xml)) {}

    MusicXmlParts read() {
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
        if (out_.parts.empty()) throwScoreError(fileName_, "partisyonda bölüm (part) yok");
        return std::move(out_);
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
            if (out_.title.empty()) out_.title = t;
            return;
        }
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"work-title")
                out_.title = text();
            else
                xml_.skipCurrentElement();
        }
    }

    // SymbTr's converter names itself in <software>; the author of the words is a <creator>
    // of type "lyricist" (SymbTr writes "poet").
    void readIdentification() {
        int depth = 1;
        while (depth > 0 && !xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (xml_.name() == u"software") {
                    const QString t = xml_.readElementText(QXmlStreamReader::SkipChildElements);
                    if (t.contains(u"MusicXMLConverter", Qt::CaseInsensitive) ||
                        t.contains(u"symbtr", Qt::CaseInsensitive))
                        out_.symbtrConverter = true;
                } else if (xml_.name() == u"creator") {
                    const QStringView type = xml_.attributes().value("type");
                    if (type == u"poet" || type == u"lyricist") out_.lyricist = true;
                    xml_.skipCurrentElement();
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
            out_.partNames[id] = name;
        }
    }

    void readPart() {
        Part part;
        part.id = xml_.attributes().value("id").toString().toStdString();
        const std::size_t index = out_.parts.size();
        out_.parts.push_back(std::move(part));
        keyIndex_ = 0;
        transpose_ = {};
        // A part that writes no <divisions> counts in those of the part before it.
        const double first = index < firstDivisions_.size() ? firstDivisions_[index] : 0;
        divisions_ = first > 0 ? first : divisions_;
        measureNo_ = 0;
        ending_ = 0;
        endingFor_.clear();
        forwardNext_ = false;
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

    Part& part() { return out_.parts.back(); }

    void readMeasure() {
        Measure m;
        m.number = measureNo_;
        measure_ = &m;
        position_ = 0;
        lastOnset_ = 0;
        lastVoice_ = "1";
        m.marks.forwardRepeat = forwardNext_;
        forwardNext_ = false;
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

    // A repeat sign belongs to the bar line it stands on: a backward repeat (or the end of an
    // ending) on the left bar line ends the measure before, a forward repeat on the right one
    // starts the measure after.
    void readBarline() {
        MeasureMarks& marks = measure_->marks;
        const QStringView location = xml_.attributes().value("location");
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            const auto attributes = xml_.attributes();
            if (name == u"repeat") {
                const QStringView direction = attributes.value("direction");
                if (direction == u"forward") {
                    if (location == u"right")
                        forwardNext_ = true;
                    else
                        marks.forwardRepeat = true;
                }
                if (direction == u"backward") {
                    MeasureMarks& ends = location == u"left" && !part().measures.empty()
                                             ? part().measures.back().marks
                                             : marks;
                    ends.backwardRepeat = true;
                    bool ok = false;
                    const int times = attributes.value("times").toInt(&ok);
                    if (ok) ends.times = std::clamp(times, 1, kMostPasses);
                    ends.afterJump = attributes.value("after-jump") == u"yes";
                }
                xml_.skipCurrentElement();
            } else if (name == u"ending") {
                const QStringView type = attributes.value("type");
                if (type == u"start") {
                    endingFor_ = endingPasses(attributes.value("number"));
                    ending_ = ++endings_;
                    marks.ending = ending_;
                    marks.endingFor = endingFor_;
                } else if (type == u"stop" || type == u"discontinue") {
                    // On the left bar line the bracket ended with the measure before.
                    if (location == u"left" && marks.ending == ending_) {
                        marks.ending = 0;
                        marks.endingFor.clear();
                    }
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

    // A tempo mark in quarter notes a minute, kept aside when it is not taken.
    void addTempo(double tempo, const std::string& written) {
        if (!measure_) return;
        if (std::isfinite(tempo) && tempo >= kSlowestTempo && tempo <= kFastestTempo)
            measure_->tempos.emplace_back(position_, tempo);
        else
            measure_->refusedTempos.emplace_back(position_, written);
    }

    void readSound() {
        const auto attributes = xml_.attributes();
        const QStringView t = attributes.value("tempo");
        if (!t.isEmpty()) {
            bool ok = false;
            const double tempo = t.toDouble(&ok);
            addTempo(ok ? tempo : 0, "♩ = " + t.toString().toStdString());
            soundTempo_ = true;
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

    // <metronome>: a beat unit (with dots) and its number a minute; nothing for a metric
    // modulation or a text that is not a number.
    std::optional<std::pair<double, std::string>> readMetronome() {
        double unit = 0;
        int units = 0;
        std::string perMinute;
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            if (name == u"beat-unit") {
                const auto beats = typeBeats(text());
                unit = ++units == 1 && beats ? *beats : 0;
            } else if (name == u"beat-unit-dot") {
                if (units == 1) unit *= 1.5;
                xml_.skipCurrentElement();
            } else if (name == u"per-minute") {
                perMinute = text();
            } else {
                xml_.skipCurrentElement();
            }
        }
        bool ok = false;
        const double value = QString::fromStdString(perMinute).toDouble(&ok);
        if (units != 1 || !(unit > 0) || !ok) return std::nullopt;
        return std::pair{value * unit, perMinute};
    }

    // The tempo of a direction is its <sound tempo>; a <metronome> alone gives it otherwise.
    void readDirection() {
        soundTempo_ = false;
        std::optional<std::pair<double, std::string>> metronome;
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"sound") {
                readSound();
            } else if (xml_.name() == u"direction-type") {
                while (xml_.readNextStartElement()) {
                    if (xml_.name() == u"segno" && measure_) measure_->marks.segno = true;
                    if (xml_.name() == u"metronome" && !metronome)
                        metronome = readMetronome();
                    else
                        xml_.skipCurrentElement();
                }
            } else {
                xml_.skipCurrentElement();
            }
        }
        if (metronome && !soundTempo_) addTempo(metronome->first, "♩ = " + metronome->second);
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
                // Any integer: beyond seven the signature doubles its sharps or flats.
                const double f = number(ok);
                if (!ok || f != std::floor(f) || std::abs(f) > INT_MAX) failAt("<fifths> geçersiz");
                key = fifthsKey(static_cast<long long>(f));
            } else if (name == u"key-step") {
                const std::string s = text();
                pendingStep = s.size() == 1 ? stepOfLetter(s[0]) : -1;
                if (pendingStep < 0) failAt("<key-step> geçersiz");
            } else if (name == u"key-alter") {
                // In semitones by the standard, in commas as SymbTr writes it.
                const double a = number(ok);
                if (!ok || std::abs(a) > 53 || pendingStep < 0) failAt("<key-alter> geçersiz");
                if (std::abs(a) > 2.5) out_.keyInCommas = true;
                key[static_cast<std::size_t>(pendingStep)] = {true, a, false, ""};
            } else if (name == u"key-accidental") {
                const std::string glyph = text();
                if (turkishOnlyGlyph(glyph)) out_.turkishGlyphs = true;
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

    // <tremolo>: one note's strokes ("single", "unmeasured"), or the first ("start") and second
    // ("stop") of two alternating notes; its number counts the beams of a stroke.
    void readTremolo(RawNote& n) {
        const QStringView type = xml_.attributes().value("type");
        bool ok = false;
        const double marks = number(ok);
        n.tremoloMarks =
            ok && type != u"unmeasured" ? std::clamp(static_cast<int>(marks), 1, 8) : 3;
        if (type == u"start" || type == u"stop") {
            n.tremoloPair = type == u"start" ? 1 : 2;
            if (n.tremoloPair == 1) n.ornament = Ornament::alternation;
            return;
        }
        n.ornament = Ornament::tremolo;
    }

    void readOrnaments(RawNote& n) {
        while (xml_.readNextStartElement()) {
            const QStringView name = xml_.name();
            if (name == u"trill-mark" || name == u"shake") {
                n.ornament = Ornament::trill;
            } else if (name == u"mordent" || name == u"inverted-mordent") {
                n.ornament = Ornament::mordent;
                n.below = name == u"mordent";
            } else if (name == u"turn" || name == u"inverted-turn") {
                n.ornament = Ornament::turn;
                n.below = name == u"inverted-turn";
            } else if (name == u"delayed-turn" || name == u"delayed-inverted-turn") {
                n.ornament = Ornament::delayedTurn;
                n.below = name == u"delayed-inverted-turn";
            } else if (name == u"tremolo") {
                readTremolo(n);
                continue;
            } else if (name == u"accidental-mark") {
                const QStringView placement = xml_.attributes().value("placement");
                std::string& mark = placement == u"above"   ? n.markAbove
                                    : placement == u"below" ? n.markBelow
                                                            : n.mark;
                mark = text();
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

    void readLyric() {
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"text") {
                xml_.skipCurrentElement();
                continue;
            }
            if (!text().empty()) out_.lyrics = true;
        }
    }

    // <grace>: a slashed or plain grace note takes the usual short time from the note before;
    // steal-time-previous and steal-time-following give the share of the note it takes from.
    void readGrace(RawNote& n) {
        const auto attributes = xml_.attributes();
        n.grace = true;
        for (const auto& [name, following] :
             {std::pair{"steal-time-following", true}, std::pair{"steal-time-previous", false}}) {
            if (!attributes.hasAttribute(name)) continue;
            bool ok = false;
            const double percent = attributes.value(name).toDouble(&ok);
            n.onBeat = following;
            if (ok && percent > 0 && percent < 100) n.stealPercent = percent;
        }
        xml_.skipCurrentElement();
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
                readGrace(n);
            } else if (name == u"cue") {
                n.cue = true;
                xml_.skipCurrentElement();
            } else if (name == u"pitch") {
                readPitch(n);
            } else if (name == u"unpitched") {
                n.unpitched = true;
                xml_.skipCurrentElement();
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
                if (turkishOnlyGlyph(n.accidental)) out_.turkishGlyphs = true;
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
            } else if (name == u"lyric") {
                readLyric();
            } else {
                xml_.skipCurrentElement();
            }
        }
        if (xml_.hasError()) fail();
        if (n.grace && (n.rest || n.unpitched)) return;
        if (!n.rest && !n.unpitched && (n.step < 0 || n.octave < 0))
            failAt("notanın perdesi okunamadı");
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

    std::string_view text_;
    QXmlStreamReader xml_;
    std::string fileName_;
    std::vector<double> firstDivisions_;
    MusicXmlParts out_;
    Measure* measure_ = nullptr;
    int measureNo_ = 0;
    double position_ = 0;  // quarter notes from the start of the measure
    double lastOnset_ = 0; // of the last note that is not a chord's further note
    std::string lastVoice_;
    double divisions_ = 0;
    int keyIndex_ = 0;
    Transpose transpose_;
    int ending_ = 0; // the ending bracket open, or 0
    int endings_ = 0;
    std::vector<int> endingFor_;
    bool forwardNext_ = false; // a forward repeat on the right bar line of the measure before
    bool soundTempo_ = false;  // the direction being read has a <sound tempo>
    std::size_t noteTotal_ = 0;
};

} // namespace

bool Part::hasPitches() const {
    for (const Measure& m : measures)
        for (const RawNote& n : m.notes)
            if (!n.rest && !n.unpitched && !n.cue) return true;
    return false;
}

MusicXmlParts readMusicXmlParts(std::string_view xml, const std::string& fileName) {
    return PartsReader(xml, fileName).read();
}

} // namespace zembera::scores
