// The transposition walk on the bundled pitch table and on copies of it with a record changed.

#include <gtest/gtest.h>

#include "tuning/transposition_messages.h"
#include "tuning_rig.h"

namespace zembera {
namespace {

using test::TuningRig;
using Messages = std::vector<std::string>;

TEST(TranspositionMessages, NameTheStringsDegreesAndShiftsOfTheFault) {
    const std::pair<std::string, std::string> cases[] = {
        {originNotFoundMessage(9, -9),
         "9  nolu perdenin derecesi belirlenemedi. \r\n mandal= -9\r\n  devam edecek. "},
        // An empty line before the target.
        {targetOutsideTableMessage({26, -100, -46, -8, -54, 30, -154}),
         "göçürme de sorun var\r\norijin tel=26\r\norijin derece=-100\r\nahenk farkı=-46\r\n"
         "derece farkı=-8\r\ntoplam derece farkı=-54\r\n\r\nhedef tel=30\r\nhedef derece=-154"},
        // Both strings of the target degree.
        {noPlaceOnTargetMessage({22, 12, 24, 23, 22}),
         "göçürme yapılamıyor\r\n\r\n22 nolu telin 12 nolu mandal sesi, istenen göçürüm "
         "miktarına göre 24 nolu telden alıması gerekirken 23 nolu tele veya 22 nolu tele "
         "taşmaktadır. Göçürüm iptal edilecek."},
    };
    for (const auto& [message, expected] : cases)
        EXPECT_EQ(message, expected);
}

class Transposition : public ::testing::Test {
  protected:
    explicit Transposition(const PitchTables& tables = test::bundledTables()) : rig(tables) {}

    // As the window does it: a level is chosen with the scroll bar at 0, then the bar is moved.
    void choose(int level) { rig.handlers.pitchLevelClick(level); }
    void shift(int value) { rig.controls.setDegreeShift(value); }
    PerString16& pos() { return rig.instrument.mandalPos; }

    TuningRig rig;
};

TEST_F(Transposition, FoldedStringsForgetTheTargetOfAnEarlierRun) {
    shift(1);
    ASSERT_EQ(rig.instrument.fullRangeTransposed[1], 1);
    rig.controls.selectSetting(1);
    pos()[8] = 13; // string 8 gets no target now, and string 1 follows it
    shift(2);
    EXPECT_EQ(rig.instrument.transposedMandal[8], 0);
    EXPECT_EQ(rig.instrument.transposedMandal[1], 0);
    EXPECT_EQ(rig.instrument.fullRangeTransposed[1], 0);
    EXPECT_EQ(rig.instrument.fullRangeTransposed[2], 2);
}

TEST_F(Transposition, UnknownLevelChangesNothingAndAHugeShiftStaysInTheTables) {
    pos()[12] = 2;
    for (int level : {0, 9, -1}) {
        rig.handlers.trans_çalgı(level, 1);
        rig.handlers.pitchLevelClick(level);
    }
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.controls.settingSwitch, 1);
    EXPECT_EQ(rig.tuning.ahenkIndex, 5);
    EXPECT_EQ(pos()[12], 2);
    // A huge shift stays inside the tables.
    EXPECT_NO_THROW(rig.handlers.trans_çalgı(8, 30000));
    EXPECT_EQ(rig.messages.shown.size(), 16u); // every string of the walk 11..26: message B
}

struct TableCopy {
    std::unique_ptr<PitchTables> table = std::make_unique<PitchTables>(test::bundledTables());
};

// A copy of the bundled table, with records changed by each test.
class ChangedTable : public TableCopy, public Transposition {
  protected:
    ChangedTable() : Transposition(*table) {}
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
};

TEST_F(ChangedTable, TargetAboveTheSearchedDegreesGivesMessageB) {
    // DAVUD NIS. with shift 12 moves by 38 degrees: from 159 the target lies past 196, from 158
    // it is 196 itself, still searched (no place on string 8 there: message C).
    movePlace(10, 0, 79, 159);
    movePlace(11, 0, 72, 158);
    rig.tuning.ahenkIndex = 7;
    shift(12);
    ASSERT_GE(rig.messages.shown.size(), 2u);
    EXPECT_EQ(rig.messages.shown[0], targetOutsideTableMessage({10, 159, 26, 12, 38, 8, 197}));
    EXPECT_EQ(rig.messages.shown[1], noPlaceOnTargetMessage({11, 0, 9, table->degreeTable(196).tel1,
                                                             table->degreeTable(196).tel2}));
}

TEST_F(ChangedTable, TargetTakesTheSecondPlaceFirstAndIgnoresPlacesOffTheScale) {
    DegreeRecord& r = table->degreeTable(60); // string 12 at 1, one above its open degree
    r = DegreeRecord{12, 5, 12, 2, 12, 3, r.cent, r.ad};
    rig.handlers.trans_çalgı(5, 1);
    EXPECT_EQ(pos()[12], 2);
    rig.controls.selectSetting(1);
    r = DegreeRecord{12, 40, 30, 2, 12, -20, r.cent, r.ad}; // no such string and positions
    EXPECT_NO_THROW(rig.handlers.trans_çalgı(5, 1));
    EXPECT_EQ(rig.messages.shown, Messages{noPlaceOnTargetMessage({12, 0, 12, 12, 30})});
    EXPECT_EQ(pos()[12], 0);
}

} // namespace
} // namespace zembera
