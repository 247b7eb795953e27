#include "phone/phone_link.h"

#include <gtest/gtest.h>

#include "link_fixture.h"

namespace mivex::phone::test {
namespace {

using options::Option;
using platform::StatusBeep;
using platform::StatusColour;
using Texts = std::vector<std::u16string>;

constexpr std::string_view kOk = "\r\nOK\r\n";
constexpr std::string_view kInitCommands[] = {"ATV1\r", "ATE0\r", "AT+CMEE=0\r",
                                              "AT+CSCS=\"GSM\"\r", "AT+CMGF=0\r"};

class PhoneLink : public LinkTest {
protected:
    // A phone that accepts every set-up command and names its maker.
    void AnswerEverything() {
        for (const std::string_view command : kInitCommands)
            line.answers[std::string(command)] = kOk;
        line.answers["AT+CGMI\r"] = "\r\nACME Phones Ltd\r\n\r\nOK\r\n";
    }
    PortHandle Connect() { return OpenPhoneLink(link, options, status); }

    FakeOptions options;
    testing::RecordingStatusSink status;
};

TEST_F(PhoneLink, ConnectsWithTheDefaultsAndShowsEachStep) {
    AnswerEverything();
    PortHandle port = Connect();
    ASSERT_TRUE(port.isValid());
    EXPECT_EQ(status.Texts(),
              (Texts{u"Opening COM1:", u"Initializing ", u"Initializing 1", u"Initializing 12",
                     u"Initializing 123", u"Initializing 1234", u"Initializing 12345",
                     u"Initializing 12345 ACME", u"Initializing 12345 ACME OK"}));
    for (const testing::StatusLine& shown : status.lines) {
        EXPECT_EQ(shown.colour, StatusColour::Blue);
        EXPECT_EQ(shown.beep, StatusBeep::None);
    }
    EXPECT_EQ(line.opened, (Texts{u"COM1:"}));
    ASSERT_EQ(line.configured.size(), 1u);
    EXPECT_EQ(line.configured[0].baudRate, 19200);
    EXPECT_EQ(line.configured[0].dataBits, 8);
    EXPECT_EQ(line.configured[0].stopBits, platform::StopBits::One);
    EXPECT_EQ(line.configured[0].flowControl, platform::FlowControl::None);
    EXPECT_EQ(line.purges, 2);  // once when configured, once when the link is up
    EXPECT_EQ(sounds.startSounds, 1);
    EXPECT_EQ(line.closes, 0);
    ASSERT_EQ(line.writes.size(), 6u);
    for (std::size_t index = 0; index < 5; ++index)
        EXPECT_EQ(line.writes[index].bytes, kInitCommands[index]);
    EXPECT_EQ(line.writes[5].bytes, "AT+CGMI\r");
}

TEST_F(PhoneLink, MarksEachCommandThatFailed) {
    struct Case {
        std::vector<std::string_view> refused;  // answered with ERROR
        bool manufacturer;
        std::u16string_view finalLine;
    };
    const Case cases[] = {
        {{"AT+CMEE=0\r"}, true, u"Initializing 12.45 ACME OK"},
        // A phone that takes only ATE0 still gives a working link.
        {{"ATV1\r", "AT+CMEE=0\r", "AT+CSCS=\"GSM\"\r", "AT+CMGF=0\r"},
         false,
         u"Initializing .2... OK"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.refused.size());
        status.lines.clear();
        AnswerEverything();
        for (const std::string_view command : test.refused)
            line.answers[std::string(command)] = "\r\nERROR\r\n";
        if (!test.manufacturer)
            line.answers.erase("AT+CGMI\r");
        PortHandle port = Connect();
        EXPECT_TRUE(port.isValid());
        EXPECT_EQ(status.Texts().back(), test.finalLine);
        EXPECT_EQ(status.lines.size(), test.manufacturer ? 9u : 8u);
    }
}

TEST_F(PhoneLink, APhoneThatAnswersNothingIsReportedInRed) {
    line.answers["AT+CGMI\r"] = "\r\nACME\r\n\r\nOK\r\n";  // not enough on its own
    PortHandle port = Connect();
    EXPECT_FALSE(port.isValid());
    EXPECT_EQ(line.closes, 1);
    const testing::StatusLine& last = status.lines.back();
    EXPECT_EQ(last.text, u"Failed setup - Check options and phone settings!  ");
    EXPECT_EQ(last.colour, StatusColour::Red);
    EXPECT_EQ(last.beep, StatusBeep::Stop);
    EXPECT_EQ(status.lines[status.lines.size() - 2].text, u"Initializing ..... ACME");
    EXPECT_EQ(clock.sleeps.back(), 1000u);
}

TEST_F(PhoneLink, APortThatWillNotOpenIsReportedAfterTheSettleWait) {
    line.refuseOpen = true;
    const std::uint64_t start = clock.NowMs();
    PortHandle port = Connect();
    EXPECT_FALSE(port.isValid());
    EXPECT_EQ(status.Texts(),
              (Texts{u"Opening COM1:", u"Failed connect - Check options and phone settings!  "}));
    EXPECT_EQ(status.lines.back().colour, StatusColour::Red);
    EXPECT_EQ(status.lines.back().beep, StatusBeep::Stop);
    // Opened at once, the failure shown after the settle second, then a pause.
    EXPECT_EQ(line.openTimes, (std::vector<std::uint64_t>{start}));
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{1000, 1000}));
}

TEST_F(PhoneLink, SoundsOffSilencesTheStartAndTheFailureBeep) {
    options.integers[Option::SoundsOff] = 1;
    line.refuseOpen = true;
    PortHandle port = Connect();
    EXPECT_EQ(sounds.startSounds, 0);
    EXPECT_EQ(status.lines.back().beep, StatusBeep::None);
    EXPECT_EQ(status.lines.back().colour, StatusColour::Red);
}

TEST_F(PhoneLink, ConfiguresOnlyOnceASecondHasPassedSinceTheStart) {
    AnswerEverything();
    const std::uint64_t start = clock.NowMs();
    PortHandle port = Connect();
    EXPECT_EQ(line.openTimes.at(0), start);
    EXPECT_EQ(line.configureTimes.at(0), start + 1000);
}

TEST_F(PhoneLink, TraceModeShowsTheLineSettingsASecondEach) {
    struct Case {
        std::int32_t baud, dataBits, stopBits, flowControl;
        std::u16string_view speed, flow;
    };
    const Case cases[] = {
        {0, 0, 0, 0, u"Speed 19200 Data 8 Stop 1", u"Flow Control - None"},
        {115200, 7, 1, 1, u"Speed 115200 Data 7 Stop 1.5", u"Flow Control - Hardware"},
        {9600, 8, 2, 2, u"Speed 9600 Data 8 Stop 2", u"Flow Control - Software"},
        {4800, 8, 3, 7, u"Speed 4800 Data 8 Stop ", u"Flow Control - Unknown"},
    };
    StartTrace();
    AnswerEverything();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.baud);
        options.integers = {{Option::BaudRate, test.baud},
                            {Option::DataBits, test.dataBits},
                            {Option::StopBits, test.stopBits},
                            {Option::FlowControl, test.flowControl}};
        status.lines.clear();
        clock.sleeps.clear();
        line.openTimes.clear();
        line.configureTimes.clear();
        const std::uint64_t start = clock.NowMs();
        PortHandle port = Connect();
        ASSERT_TRUE(port.isValid());
        const Texts texts = status.Texts();
        ASSERT_GE(texts.size(), 3u);
        EXPECT_EQ(texts[1], test.speed);
        EXPECT_EQ(texts[2], test.flow);
        EXPECT_EQ(std::vector<std::uint32_t>(clock.sleeps.begin(), clock.sleeps.begin() + 3),
                  (std::vector<std::uint32_t>{1000, 1000, 1000}));
        // The three seconds cover the settle wait: configured as soon as opened.
        EXPECT_EQ(line.openTimes.at(0), start + 3000);
        EXPECT_EQ(line.configureTimes.at(0), start + 3000);
    }
}

TEST_F(PhoneLink, OpensThePortPartOfTheStoredName) {
    AnswerEverything();
    options.strings[Option::Port] = u"COM5: Bluetooth Serial";
    PortHandle port = Connect();
    EXPECT_EQ(status.Texts().front(), u"Opening COM5: Bluetooth Serial");
    EXPECT_EQ(line.opened, (Texts{u"COM5:"}));
}

TEST_F(PhoneLink, TheStatusLineStaysWithinNinetyNineCharacters) {
    AnswerEverything();
    options.strings[Option::Port] = u"/dev/" + std::u16string(99, u'p');
    line.answers["AT+CGMI\r"] = "\r\n" + std::string(300, 'M') + "\r\n\r\nOK\r\n";
    PortHandle port = Connect();
    ASSERT_TRUE(port.isValid());
    const Texts texts = status.Texts();
    EXPECT_EQ(texts.front(), u"Opening /dev/" + std::u16string(86, u'p'));
    EXPECT_EQ(texts.back(), u"Initializing 12345 " + std::u16string(77, u'M') + u" OK");
    for (const std::u16string& text : texts)
        EXPECT_LE(text.size(), kMaxStatusLineChars);
}

}  // namespace
}  // namespace mivex::phone::test
