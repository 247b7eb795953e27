#include "phone/announcements.h"

#include <gtest/gtest.h>

namespace mivex::phone {
namespace {

TEST(Announcements, IndicationChosenFromWhatThePhoneOffers) {
    // what the phone offers, the command chosen (empty: none)
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"\r\n+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)\r\n\r\nOK\r\n", "AT+CNMI=2,1,0,2,0\r"},
        {"+CNMI: (0,1),(0,1),(0),(0,1),(1)\r\n", "AT+CNMI=1,1,0,0\r"},
        {"+CNMI: (0-3),(0-3)\r\n", "AT+CNMI=2,1\r"},
        {"+CNMI: 2,1,0,0,0\r\n", "AT+CNMI=2,1,0,0,0\r"},
        {"+CNMI: (0-2),(0,2,3),(0),(0-2),(0)\r\n", ""},  // routed only, never stored
        {"+CNMI: (0,3),(0-3),(0),(0),(0)\r\n", ""},      // no mode that announces on the line
        {"+CNMI: (0-2,(0-3)\r\n", ""},
        {"+CNMI: (2-0),(1)\r\n", ""},
        {"+CNMI: (0-99),(1)\r\n", ""},
        {"\r\nOK\r\n", ""},
    };
    for (const auto& [offer, chosen] : cases) {
        SCOPED_TRACE(offer);
        EXPECT_EQ(ChooseIndicationCommand(offer).value_or(""), chosen);
    }
}

TEST(Announcements, LinesReadAsAnnouncements) {
    const std::pair<std::string_view, std::optional<Announcement>> cases[] = {
        {"+CMTI: \"ME\",3", Announcement{"ME", 3, false}},
        {"+CMTI:\"SM\",12", Announcement{"SM", 12, false}},
        {"+CDSI: \"SR\",1", Announcement{"SR", 1, true}},
        {"+CMTI: \"ME\",0", std::nullopt},
        {"+CMTI: \"ME\",100000", std::nullopt},
        {"+CMTI: \"ME\",3x", std::nullopt},
        {"+CMTI: \"me\",3", std::nullopt},
        {"+CMTI: \"\",3", std::nullopt},
        {"+CMTI: ME,3", std::nullopt},
        {"+CMT: ,24", std::nullopt},
        {"RING", std::nullopt},
    };
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(ParseAnnouncement(line), expected);
    }
}

}  // namespace
}  // namespace mivex::phone
