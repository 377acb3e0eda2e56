// The transposition on the bundled pitch table, worked out from the 79-tone scale, over the tuning
// handlers wired to a scroll bar and setting switch that raise their handlers on a real change, as
// the window's do. The red column drawn from the transposition: Notation.MandalColumn tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "common/format_picture.h"
#include "model/pitch_levels.h"
#include "notation/pitch_panel.h"
#include "pitch/pitch_table.h"
#include "support/fold_table.h"
#include "support/gui_application.h"
#include "support/scl_pitches.h"
#include "support/view_calls.h"
#include "systems/system_files.h"
#include "tuning/tuning_handlers.h"

namespace zembera {
namespace {

class FakeTuningControls : public TuningView {
  public:
    int degreeShift() const override { return hscroll; }
    void setDegreeShift(int value) override {
        value = std::clamp(value, -8, 12);
        if (value == hscroll) return;
        hscroll = value;
        handlers->degreeShiftChange();
    }
    void setDegreeShiftText(const std::string& text) override { degreeShiftBox = text; }
    bool settingSwitchSelected(int index) const override { return settingSwitch == index; }
    void selectSetting(int index) override {
        if (index == settingSwitch) return;
        settingSwitch = index;
        handlers->settingSwitchClick(index);
    }
    void drawTransposedCell(const InstrumentState&, int) override {}
    void clearTransposedColumn() override {}
    void refreshNumberColumns() override {}
    void focusInstrument() override {}

    TuningHandlers* handlers = nullptr;
    int hscroll = 0;
    std::string degreeShiftBox = "0";
    int settingSwitch = 1;
};

const PitchTables& bundledTables() {
    static const PitchTables tables = tablo_oku_txt(ZEMBERA_PROGRAM_DIR);
    return tables;
}

struct TuningRig {
    explicit TuningRig(const PitchTables& t)
        : tables(t), handlers(TuningParts{instrument, tuning, tables, view, controls, messages}) {
        test::ensureGuiApplication(); // the number columns print text
        controls.handlers = &handlers;
        setMandalRanges(instrument);
    }

    const PitchTables& tables;
    InstrumentState instrument;
    TuningState tuning;
    RecordedMessages messages;
    test::ViewCalls view;
    FakeTuningControls controls;
    TuningHandlers handlers;
};

PerString<std::int16_t>
setting(std::initializer_list<std::pair<std::initializer_list<int>, int>> groups) {
    PerString<std::int16_t> p{};
    for (const auto& [strings, position] : groups) {
        for (int s : strings)
            p[s] = static_cast<std::int16_t>(position);
    }
    return p;
}

PerString<std::int16_t> rowEnds() {
    InstrumentState ranges;
    setMandalRanges(ranges);
    PerString<std::int16_t> ends{};
    for (int s = 1; s <= 26; ++s)
        ends[s] = s % 2 ? ranges.mandalMax[s] : ranges.mandalMin[s];
    return ends;
}

// Each note moved as the level and the shift ask, worked out from the 79-tone scale alone: string
// s open sounds the degree nearest its written natural and each position of strings 8..26 one
// degree more; where a run ends without a message, each target string sounds its source's degree
// plus the level's offset and the shift, the strings the walk misses take their octave string's
// position, and strings 1..7 fold the position of the string an octave below by the fold table.
// Per setting: unlisted places and row ends meet a message on every run (TranspositionWalk);
// (22, 12) is listed only in a third place: KIZ NEYİ moves it where string 24 cannot go.
TEST(TranspositionCheck, EachNoteMovesByTheLevelAndTheShift) {
    const test::SclPitches scale = test::readScl(
        (std::filesystem::path(ZEMBERA_PROGRAM_DIR) / systems::kSystemsFolder / "79-159.scl")
            .string());
    const auto open = [&](int s) { return test::nearestDegree(scale, test::naturalOf(s).cents()); };
    const std::tuple<const char*, PerString<std::int16_t>, int> settings[] = {
        {"open_strings", PerString<std::int16_t>{}, 9},
        {"unlisted_places", setting({{{8, 15, 22}, 13}, {{9}, -9}, {{10}, 32767}}), 0},
        {"rast", setting({{{1, 8, 15, 22}, -2}, {{4, 11, 18, 25}, -2}}), 9},
        {"hicaz", setting({{{4, 11, 18, 25}, -6}, {{3, 10, 17, 24}, 6}, {{7, 14, 21}, 5}}), 9},
        {"row_ends", rowEnds(), 0},
        {"string_22_at_top", setting({{{24}, 1}, {{22}, 12}}), 9}};
    for (const auto& [name, start, fewestChecked] : settings) {
        SCOPED_TRACE(name);
        int checked = 0;
        for (int level = 1; level <= 8; ++level) {
            for (int shift : {-8, -1, 0, 1, 7, 12}) {
                TuningRig rig(bundledTables());
                rig.instrument.mandalPos = start;
                rig.handlers.pitchLevelClick(level);
                rig.controls.setDegreeShift(shift);
                const PitchLevel& l = kPitchLevels[static_cast<std::size_t>(level)];
                if (!rig.messages.shown.empty() || (shift == 0 && l.stringShift == 0)) continue;
                SCOPED_TRACE(testing::Message() << "level " << level << " shift " << shift);
                ++checked;
                const PerString<std::int16_t>& moved = rig.instrument.transposedMandal;
                EXPECT_EQ(rig.controls.settingSwitch, 2);
                EXPECT_EQ(rig.instrument.mandalPos, moved);
                const int k = l.stringShift;
                for (int t = 8; t <= 26; ++t) {
                    const int t2 = t + k;
                    if (t2 < 8 || t2 > 26) continue;
                    EXPECT_EQ(open(t2) + moved[t2], open(t) + start[t] + l.degreeOffset + shift)
                        << "string " << t2 << " from " << t;
                }
                for (int t = 8; t <= 26; ++t) {
                    if (t - k >= 8 && t - k <= 26) continue;
                    EXPECT_EQ(moved[t], moved[t + (t < 17 ? 7 : -7)]) << "string " << t;
                }
                for (int t = 1; t <= 7; ++t) {
                    const int v = rig.instrument.fullRangeTransposed[t];
                    EXPECT_EQ(v, moved[t + 7]);
                    EXPECT_EQ(moved[t], v == 0 || v == -1 ? v : test::foldOf(t, v))
                        << "string " << t;
                }
            }
        }
        EXPECT_GE(checked, fewestChecked);
    }
}

// The walk on the bundled table and on a copy with records changed: positions and whole messages.
class TranspositionWalk : public ::testing::Test {
  protected:
    // A fresh instrument on the table as it stands.
    TuningRig& fresh() { return rig.emplace(*table); }
    PerString<std::int16_t>& pos() { return rig->instrument.mandalPos; }
    // The messages shown since the last call, each checked for the pieces it must hold.
    void expectTold(const std::vector<std::vector<std::string>>& pieces) {
        std::vector<std::string>& shown = rig->messages.shown;
        EXPECT_EQ(shown.size(), pieces.size());
        for (std::size_t i = 0; i < std::min(shown.size(), pieces.size()); ++i)
            for (const std::string& piece : pieces[i])
                EXPECT_NE(shown[i].find(piece), std::string::npos) << shown[i] << " / " << piece;
        shown.clear();
    }
    // The number after `key` in a message.
    static long numberAfter(const std::string& m, const std::string& key) {
        const std::size_t at = m.find(key);
        return at == std::string::npos ? -1 : std::stol(m.substr(at + key.size()));
    }
    // Moves the place (s, m) from record `from` into the third place of record `to`.
    void movePlace(int s, int m, int from, int to) {
        DegreeRecord& r = table->degreeTable(from);
        for (auto [tel, mandal] :
             {std::pair{&r.tel1, &r.mandal1}, {&r.tel2, &r.mandal2}, {&r.tel3, &r.mandal3}}) {
            if (*tel == s && *mandal == m) *tel = 0;
        }
        table->degreeTable(to).tel3 = static_cast<int16_t>(s);
        table->degreeTable(to).mandal3 = static_cast<int16_t>(m);
    }

    std::unique_ptr<PitchTables> table = std::make_unique<PitchTables>(bundledTables());
    std::optional<TuningRig> rig;
};

// Unlisted positions, a huge shift and changed records (a target past the table, a place beyond
// its string's row, places off the scale) are told, naming what the walk was given; unknown levels
// change nothing; of several places of a degree the first is taken.
TEST_F(TranspositionWalk, UnlistedPlacesHugeShiftsAndChangedRecordsAreTold) {
    fresh().controls.setDegreeShift(1);
    rig->controls.selectSetting(1);
    pos()[8] = 13;
    rig->controls.setDegreeShift(2);
    expectTold({{"8  nolu perdenin derecesi belirlenemedi", "mandal= 13"}});
    EXPECT_EQ(rig->controls.settingSwitch, 2);
    fresh();
    pos()[12] = 2;
    for (int level : {0, 9, -1}) {
        rig->handlers.trans_çalgı(level, 1);
        rig->handlers.pitchLevelClick(level);
    }
    expectTold({});
    EXPECT_EQ(rig->instrument.transposedMandal, PerString<std::int16_t>{});
    EXPECT_EQ(rig->controls.settingSwitch, 1);
    rig->handlers.trans_çalgı(8, 30000); // every target of level 8 lies 30033 degrees on
    ASSERT_EQ(rig->messages.shown.size(), 16u);
    for (const std::string& m : rig->messages.shown)
        EXPECT_EQ(numberAfter(m, "hedef derece="), numberAfter(m, "orijin derece=") + 30033) << m;
    rig->messages.shown.clear();
    fresh();
    pos()[9] = -9;
    rig->controls.setDegreeShift(1);
    expectTold({{"9  nolu perdenin derecesi belirlenemedi", "mandal= -9"}});

    movePlace(10, 0, 79, 159);
    movePlace(11, 0, 72, 158);
    fresh().tuning.ahenkIndex = 7; // level 7: 26 degrees and three strings down, shift 12
    rig->controls.setDegreeShift(12);
    expectTold({{"orijin tel=10", "orijin derece=159", "hedef derece=197"},
                {"göçürme yapılamıyor", "11 nolu telin 0 nolu mandal", "9 nolu telden"},
                {"göçürme yapılamıyor", "10 nolu telin 0 nolu mandal", "8 nolu telden"}});
    EXPECT_EQ(rig->controls.settingSwitch, 1);
    *table = bundledTables();
    DegreeRecord& r = table->degreeTable(60); // string 12 at 1, one above its open degree
    r = DegreeRecord{12, 5, 12, 2, 12, 3, r.cent, r.ad};
    fresh().handlers.trans_çalgı(5, 1);
    expectTold({});
    EXPECT_EQ(pos()[12], 2);
    EXPECT_EQ(pos()[5], 2); // the octave below, folded
    EXPECT_EQ(pos()[11], 1);
    rig->controls.selectSetting(1);
    r = DegreeRecord{12, 40, 30, 2, 12, -20, r.cent, r.ad}; // no such string and positions
    rig->handlers.trans_çalgı(5, 1);
    expectTold({{"göçürme yapılamıyor", "12 nolu tele veya 30 nolu tele"}});
}

// Systems finer than the bundled table: their strings reach degrees far beyond its -107..196.
class FineSystem : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        const int n = GetParam();
        const std::filesystem::path file =
            std::filesystem::path(::testing::TempDir()) / (std::to_string(n) + "-eşit.scl");
        std::ofstream(file) << test::equalScaleText(n);
        scale = test::readScl(file.string());
        system.emplace(systems::findSystem(ZEMBERA_PROGRAM_DIR, file.string(),
                                           systems::readDegreeNamer(ZEMBERA_PROGRAM_DIR)));
        rig.emplace(system->tables);
        rig->tuning.degreesPerOctave = static_cast<std::int16_t>(n);
        for (std::size_t i = 0; i < 7; ++i)
            rig->tuning.naturalDegrees[i] = std::int16_t(system->layout.naturalDegree(int(i)));
        rig->instrument.mandalMin = system->mandalMin;
        rig->instrument.mandalMax = system->mandalMax;
    }
    // The degree of string s open, from the scale alone: its written natural's nearest degree.
    int openDegree(int s) const { return test::nearestDegree(scale, test::naturalOf(s).cents()); }

    test::SclPitches scale;
    std::optional<systems::PitchSystem> system;
    std::optional<TuningRig> rig;
};

// The panel of string 1 at its top position: the cents and the name of the degree it sounds.
TEST_P(FineSystem, PanelNamesTheTopOfStringOne) {
    InstrumentState& st = rig->instrument;
    st.currentString = 1;
    st.mandalPos[1] = st.mandalMax[1];
    const int degree = openDegree(1) + st.mandalMax[1];
    ASSERT_GT(degree, 196);
    const std::array<PanelLine, 7> lines = panelLines(st, rig->tuning, rig->tables);
    EXPECT_EQ(lines[3].value, formatPicture(scale.at(degree), "########0.0000"));
    EXPECT_EQ(lines[2].value, rig->tables.degreeTable(degree).ad);
    // A neighbouring degree has another name, so the line names this degree and no other.
    EXPECT_NE(rig->tables.degreeTable(degree - 1).ad, rig->tables.degreeTable(degree).ad);
}

// ŞAH moves every string by the level's interval counted in the system's degrees (a fifth down:
// an octave and the F above C below): each target string takes the position at which the
// source's degree plus that interval sounds on it, and nothing is refused. The F strings start
// near F sharp, as a B a semitone low lies beyond the mandals of a fine system.
TEST_P(FineSystem, ShahTransposesEveryStringByTheLevelsInterval) {
    const int n = GetParam();
    const int levelOffset = -n + test::nearestDegree(scale, 500.0);
    PerString<std::int16_t>& pos = rig->instrument.mandalPos;
    for (int s = 1; s <= 26; ++s)
        pos[s] = static_cast<std::int16_t>(test::naturalOf(s).index == 3 ? 8 : s % 3 - 1);
    const PerString<std::int16_t> start = pos;
    rig->handlers.pitchLevelClick(1);
    EXPECT_EQ(rig->messages.shown, std::vector<std::string>{});
    EXPECT_EQ(rig->controls.settingSwitch, 2);
    const PitchLevel& shah = kPitchLevels[1];
    for (int t = shah.lastSource; t <= shah.firstSource; ++t) {
        const int t2 = t + shah.stringShift;
        const int expected = openDegree(t) + start[t] + levelOffset - openDegree(t2);
        EXPECT_EQ(rig->instrument.transposedMandal[t2], expected) << "string " << t2;
    }
    // Strings 1..7 follow the string an octave below.
    for (int t = 1; t <= 7; ++t)
        EXPECT_EQ(rig->instrument.fullRangeTransposed[t], rig->instrument.transposedMandal[t + 7]);
    // The panel names the written note of string 12, the note string 8 held: what it sounds less
    // the level.
    InstrumentState& st = rig->instrument;
    st.currentString = 12;
    const std::array<PanelLine, 7> lines = panelLines(st, rig->tuning, rig->tables);
    EXPECT_EQ(lines[2].value, rig->tables.degreeTable(openDegree(8) + start[8]).ad);
}

INSTANTIATE_TEST_SUITE_P(EqualScales, FineSystem, ::testing::Values(100, 159));

} // namespace
} // namespace zembera
