#include "tuning/transposition_messages.h"

#include <gtest/gtest.h>

namespace zembera {
namespace {

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

} // namespace
} // namespace zembera
