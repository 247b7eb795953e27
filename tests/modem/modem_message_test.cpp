// What comes from ModemManager as fields, and the Port option's names for
// its modems.

#include "modem/modem_message.h"

#include <gtest/gtest.h>

#include "modem/modem_port.h"
#include "sms/time_stamp.h"

namespace mivex::modem {
namespace {

TEST(ModemTimeStamp, KeepsTheWallClockTimeAndFallsBackOnOddStamps) {
    const std::string fallback = sms::FormatFileTime(sms::FallbackTimeStamp());
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"2024-03-05T14:22:01+01:00", "2024-03-05 14:22:01"},
        {"2024-03-05T14:22:01Z", "2024-03-05 14:22:01"},
        {"2024-03-05T14:22:01+01", "2024-03-05 14:22:01"},  // older ModemManagers
        {"2024-03-05T14:22:01", "2024-03-05 14:22:01"},
        {"2024-02-30T14:22:01+01:00", fallback},
        {"2024-03-05T24:00:00+01:00", fallback},
        {"2024-3-5T14:22:01", fallback},
        {"2024-03-05T14:22:0", fallback},
        {"+024-03-05T14:22:01", fallback},
        {"", fallback},
    };
    for (const auto& [stamp, expected] : rows) {
        SCOPED_TRACE(stamp);
        EXPECT_EQ(sms::FormatFileTime(ModemTimeStamp(stamp)), expected);
    }
}

TEST(ValidityMinutes, GivesTheRelativePeriodOfTheFourChoices) {
    const std::vector<std::pair<int, std::uint32_t>> rows = {
        {0, 60}, {1, 12 * 60}, {2, 24 * 60}, {3, 7 * 24 * 60}};
    for (const auto& [choice, minutes] : rows) {
        SCOPED_TRACE(choice);
        EXPECT_EQ(ValidityMinutes(*sms::ValidityPeriodOctet(choice)), minutes);
    }
    EXPECT_EQ(ValidityMinutes(255), 63u * 7 * 24 * 60);
}

TEST(ModemPort, NamesAModemSoThatTheStoredPortFindsItAgain) {
    const platform::ManagedModem modem{"356938035643809", u"Quectel EC25", {"/dev/ttyUSB2"}};
    const std::u16string entry = *ModemPortEntry(modem);
    EXPECT_EQ(entry, u"mm-356938035643809: Quectel EC25 (ModemManager)");
    EXPECT_EQ(ModemIdOfPort(entry), "356938035643809");
    EXPECT_EQ(MergeModemPorts({u"/dev/ttyS0:"}, {modem}),
              (std::vector<std::u16string>{u"/dev/ttyS0:", entry}));

    const std::vector<std::u16string> notModems = {u"/dev/ttyUSB0: Huawei", u"COM1:",  u"mm-:",
                                                   u"mm-12 34: x",          u"mm-abc", u""};
    for (const std::u16string& port : notModems) {
        SCOPED_TRACE(std::string(port.begin(), port.end()));
        EXPECT_FALSE(ModemIdOfPort(port));
    }
    EXPECT_FALSE(ModemPortEntry({"12:34", u"x", {}}));
    // A long name is cut, never the id or what says it is ModemManager's.
    const std::u16string cut =
        *ModemPortEntry({std::string(40, 'f'), std::u16string(200, u'x'), {}});
    EXPECT_EQ(cut.size(), 99u);
    EXPECT_TRUE(cut.ends_with(u" (ModemManager)"));
}

}  // namespace
}  // namespace mivex::modem
