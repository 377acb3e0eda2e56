#include "tuning/transposition_messages.h"

#include <gtest/gtest.h>

namespace zembera {
namespace {

TEST(TranspositionMessages, OriginNotFoundNamesStringAndMandal) {
    EXPECT_EQ(originNotFoundMessage(20, 13),
              "20  nolu perdenin derecesi belirlenemedi. \r\n mandal= 13\r\n  devam edecek. ");
    EXPECT_EQ(originNotFoundMessage(9, -9),
              "9  nolu perdenin derecesi belirlenemedi. \r\n mandal= -9\r\n  devam edecek. ");
}

TEST(TranspositionMessages, TargetOutsideTableHasEmptyLineBeforeTarget) {
    EXPECT_EQ(targetOutsideTableMessage({10, 190, 26, 12, 38, 12, 228}),
              "göçürme de sorun var\r\norijin tel=10\r\norijin derece=190\r\nahenk farkı=26\r\n"
              "derece farkı=12\r\ntoplam derece farkı=38\r\n\r\nhedef tel=12\r\n"
              "hedef derece=228");
    EXPECT_EQ(targetOutsideTableMessage({26, -100, -46, -8, -54, 30, -154}),
              "göçürme de sorun var\r\norijin tel=26\r\norijin derece=-100\r\nahenk farkı=-46\r\n"
              "derece farkı=-8\r\ntoplam derece farkı=-54\r\n\r\nhedef tel=30\r\n"
              "hedef derece=-154");
}

TEST(TranspositionMessages, NoPlaceNamesBothStringsOfTheTargetDegree) {
    EXPECT_EQ(noPlaceOnTargetMessage({22, 12, 24, 23, 22}),
              "göçürme yapılamıyor\r\n\r\n22 nolu telin 12 nolu mandal sesi, istenen göçürüm "
              "miktarına göre 24 nolu telden alıması gerekirken 23 nolu tele veya 22 nolu tele "
              "taşmaktadır. Göçürüm iptal edilecek.");
    EXPECT_EQ(noPlaceOnTargetMessage({8, -3, 8, 0, -1}),
              "göçürme yapılamıyor\r\n\r\n8 nolu telin -3 nolu mandal sesi, istenen göçürüm "
              "miktarına göre 8 nolu telden alıması gerekirken 0 nolu tele veya -1 nolu tele "
              "taşmaktadır. Göçürüm iptal edilecek.");
}

} // namespace
} // namespace zembera
