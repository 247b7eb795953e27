#include "phone/phone_link.h"

#include <gtest/gtest.h>

#include "link_fixture.h"
#include "phone/at_exchanges.h"
#include "phone/sim_state.h"

namespace mivex::phone::test {
namespace {

using options::Option;
using platform::StatusBeep;
using platform::StatusColour;
using Texts = std::vector<std::u16string>;

constexpr std::string_view kInitCommands[] = {"ATV1\r", "ATE0\r", "AT+CMEE=0\r",
                                              "AT+CSCS=\"GSM\"\r", "AT+CMGF=0\r"};

class PhoneLink : public LinkTest {
protected:
    // A phone that accepts every set-up command and names its maker.
    void AnswerEverything() {
        for (const std::string_view command : kInitCommands)
            line.answers[std::string(command)] = "\r\nOK\r\n";
        line.answers["AT+CGMI\r"] = "\r\nACME Phones Ltd\r\n\r\nOK\r\n";
        line.answers[std::string(kStepCommand)] = "\r\n+CMGF: 0\r\n\r\nOK\r\n";
        line.answers["AT+CPIN?\r"] = "\r\n+CPIN: READY\r\n\r\nOK\r\n";
    }
    PortHandle Connect() { return OpenPhoneLink(link, options, status); }

    FakeOptions options;
    testing::RecordingStatusSink status;
};

TEST_F(PhoneLink, ConnectsWithTheDefaultsAfterTheSettleSecond) {
    AnswerEverything();
    const std::uint64_t start = clock.NowMs();
    PortHandle port = Connect();
    ASSERT_TRUE(port.isValid());
    EXPECT_EQ(status.Texts().back(), u"Initializing 12345 ACME OK");
    // Opened at once, configured only once the settle second has passed.
    EXPECT_EQ(line.openTimes, (std::vector<std::uint64_t>{start}));
    EXPECT_EQ(line.configureTimes, (std::vector<std::uint64_t>{start + 1000}));
    EXPECT_EQ(line.purges, 2);  // once when configured, once when the link is up
    EXPECT_EQ(sounds.startSounds, 1);
    ASSERT_EQ(line.writes.size(), 7u);
    for (std::size_t index = 0; index < 5; ++index)
        EXPECT_EQ(line.writes[index].bytes, kInitCommands[index]);
    EXPECT_EQ(line.writes[5].bytes, "AT+CGMI\r");
    EXPECT_EQ(line.writes[6].bytes, "AT+CPIN?\r");
}

// The PIN's answers a simulated phone does not give: none at all, the line
// failing, and a phone that knows nothing of PINs.
TEST_F(PhoneLink, APinAnswerThatGoesWrongEndsTheRunAfterOneTry) {
    struct GivesPin final : platform::PinPrompter {
        std::optional<platform::PinEntry> AskPin(const platform::PinQuestion&) override {
            return platform::PinEntry{"1234", false};
        }
    } pins;
    link.pins = &pins;
    const std::string pinCommand = "AT+CPIN=\"1234\"\r";
    struct Case {
        const char* name;
        std::string pinState;  // the answer to AT+CPIN?
        bool lineFails;        // the line fails once the PIN is written
        std::u16string_view failure;
    };
    const Case cases[] = {
        {"no answer", "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n", false, kPinUnansweredText},
        {"line gone", "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n", true, kPhoneLostText},
        {"no such command", "\r\nERROR\r\n", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnswerEverything();
        line.answers["AT+CPIN?\r"] = c.pinState;
        line.answers["AT+CPIN=?\r"] = "\r\nERROR\r\n";
        line.writes.clear();
        line.failReadsAt.reset();
        line.onWrite = [&](std::string_view written) {
            if (c.lineFails && written == pinCommand)
                line.failReadsAt = clock.NowMs();
        };
        PortHandle port = Connect();
        EXPECT_EQ(port.isValid(), c.failure.empty());
        if (!c.failure.empty()) {
            EXPECT_EQ(status.lines.back().text, c.failure);
        }
        const auto sent = std::count_if(line.writes.begin(), line.writes.end(),
                                        [&](const WriteSeen& w) { return w.bytes == pinCommand; });
        EXPECT_EQ(sent, c.failure.empty() ? 0 : 1);
    }
}

TEST_F(PhoneLink, APhoneThatTakesOnlyOneCommandStillLinksUp) {
    AnswerEverything();
    for (const std::string_view command :
         {"ATV1\r", "AT+CMEE=0\r", "AT+CSCS=\"GSM\"\r", "AT+CMGF=0\r"})
        line.answers[std::string(command)] = "\r\nERROR\r\n";
    line.answers.erase("AT+CGMI\r");
    EXPECT_TRUE(Connect().isValid());
    EXPECT_EQ(status.Texts().back(), u"Initializing .2... OK");
    EXPECT_EQ(status.lines.size(), 8u);  // no line for a maker that did not answer
}

TEST_F(PhoneLink, APhoneThatAnswersNothingIsReportedInRed) {
    // Once the line cannot be brought back into step after the first
    // silence, nothing more is sent: the maker is never asked.
    line.answers["AT+CGMI\r"] = "\r\nACME\r\n\r\nOK\r\n";
    EXPECT_FALSE(Connect().isValid());
    EXPECT_EQ(line.closes, 1);
    const testing::StatusLine& last = status.lines.back();
    EXPECT_EQ(last.text, u"Failed setup - Check options and phone settings!  ");
    EXPECT_EQ(std::pair(last.colour, last.beep), std::pair(StatusColour::Red, StatusBeep::Stop));
    EXPECT_EQ(status.lines[status.lines.size() - 2].text, u"Initializing .....");
    EXPECT_EQ(line.writes.size(), 1u + kStepAttempts);
}

TEST_F(PhoneLink, APortThatWillNotOpenIsReportedAfterTheSettleWait) {
    line.refuseOpen = true;
    for (const bool soundsOff : {false, true}) {
        SCOPED_TRACE(soundsOff);
        options.integers[Option::SoundsOff] = soundsOff ? 1 : 0;
        status.lines.clear();
        clock.sleeps.clear();
        sounds.startSounds = 0;
        EXPECT_FALSE(Connect().isValid());
        EXPECT_EQ(status.Texts(), (Texts{u"Opening COM1:", std::u16string(kFailedConnectText)}));
        EXPECT_EQ(std::pair(status.lines.back().colour, status.lines.back().beep),
                  std::pair(StatusColour::Red, soundsOff ? StatusBeep::None : StatusBeep::Stop));
        EXPECT_EQ(sounds.startSounds, soundsOff ? 0 : 1);
        // The failure is shown after the settle second, then a pause.
        EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{1000, 1000}));
    }
}

TEST_F(PhoneLink, TraceModeShowsTheLineSettingsASecondEach) {
    // options: baud rate, data bits, stop bits, flow control; the two lines shown
    using Int = std::int32_t;
    const std::tuple<Int, Int, Int, Int, std::u16string, std::u16string> cases[] = {
        {0, 0, 0, 0, u"Speed 19200 Data 8 Stop 1", u"Flow Control - None"},
        {115200, 7, 1, 1, u"Speed 115200 Data 7 Stop 1.5", u"Flow Control - Hardware"},
        {9600, 8, 2, 2, u"Speed 9600 Data 8 Stop 2", u"Flow Control - Software"},
        {4800, 8, 3, 7, u"Speed 4800 Data 8 Stop ", u"Flow Control - Unknown"},
    };
    StartTrace();
    AnswerEverything();
    for (const auto& [baud, dataBits, stopBits, flow, speedText, flowText] : cases) {
        SCOPED_TRACE(baud);
        options.integers = {{Option::BaudRate, baud},
                            {Option::DataBits, dataBits},
                            {Option::StopBits, stopBits},
                            {Option::FlowControl, flow}};
        status.lines.clear();
        const std::uint64_t start = clock.NowMs();
        ASSERT_TRUE(Connect().isValid());
        const Texts texts = status.Texts();
        EXPECT_EQ(Texts(texts.begin() + 1, texts.begin() + 3), (Texts{speedText, flowText}));
        // The port gets the settings read from the options, not the defaults.
        const platform::LineSettings& set = line.configured.back();
        EXPECT_EQ(std::tuple(set.baudRate, set.dataBits, static_cast<Int>(set.flowControl)),
                  std::tuple(baud == 0 ? 19200 : baud, dataBits == 0 ? 8 : dataBits, flow));
        // The three seconds shown cover the settle wait: configured as soon as opened.
        EXPECT_EQ(line.openTimes.back(), start + 3000);
        EXPECT_EQ(line.configureTimes.back(), start + 3000);
    }
}

TEST_F(PhoneLink, TheStatusLineStaysWithinNinetyNineCharacters) {
    AnswerEverything();
    // The stored name may go on after the port's colon; only the port is opened.
    options.strings[Option::Port] = u"COM5: " + std::u16string(99, u'p');
    line.answers["AT+CGMI\r"] = "\r\n" + std::string(300, 'M') + "\r\n\r\nOK\r\n";
    ASSERT_TRUE(Connect().isValid());
    EXPECT_EQ(line.opened, (Texts{u"COM5:"}));
    const Texts texts = status.Texts();
    EXPECT_EQ(texts.front(), u"Opening COM5: " + std::u16string(85, u'p'));
    EXPECT_EQ(texts.back(), u"Initializing 12345 " + std::u16string(77, u'M') + u" OK");
    for (const std::u16string& text : texts)
        EXPECT_LE(text.size(), kMaxStatusLineChars);
}

}  // namespace
}  // namespace mivex::phone::test
