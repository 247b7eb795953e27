// The connection start-up on a real pseudo-terminal: the texts the user sees,
// the state it leaves the phone in, and the ways it fails.

#include <gtest/gtest.h>

#include "link_session.h"
#include "phone/at_exchanges.h"
#include "phone/phone_link.h"

namespace mivex::phone::integration {
namespace {

using options::Option;
using phonesim::FaultKind;
using platform::StatusBeep;
using platform::StatusColour;

class StartUp : public PhoneOnPty {
protected:
    void StartPhoneMadeBy(std::string manufacturer, phonesim::FaultPlan faults = {}) {
        phonesim::PhoneSetup setup;
        setup.stores = Stores({{1, DeliverPdus(u"Hello")[0]}});
        setup.settings.identity.manufacturer = std::move(manufacturer);
        setup.faults = std::move(faults);
        setup.clock = FixedTime;
        StartPhone(std::move(setup));
    }

    // The texts shown, in order, each checked to be a blue progress text.
    std::vector<std::u16string> ProgressTexts() const {
        std::vector<std::u16string> texts;
        for (const testing::StatusLine& line : status.lines) {
            EXPECT_EQ(line.colour, StatusColour::Blue)
                << std::string(line.text.begin(), line.text.end());
            EXPECT_EQ(line.beep, StatusBeep::None);
            texts.push_back(line.text);
        }
        return texts;
    }

    MapOptions options;
};

std::vector<std::u16string> InitializingTexts(std::u16string_view marks, std::u16string_view word) {
    std::vector<std::u16string> texts{u"Initializing "};
    for (std::size_t i = 1; i <= marks.size(); ++i)
        texts.push_back(u"Initializing " + std::u16string(marks.substr(0, i)));
    if (!word.empty())
        texts.push_back(texts.back() + u" " + std::u16string(word));
    texts.push_back(texts.back() + u" OK");
    return texts;
}

TEST_F(StartUp, BringsThePhoneIntoPduModeWithoutEcho) {
    struct Case {
        const char* name;
        phonesim::FaultPlan faults;
        bool friendlyName;
        bool soundsOff;
        std::u16string_view marks;
    };
    const Case cases[] = {
        {"every command answered", {}, false, false, u"12345"},
        // A phone that rejects AT+CMEE=0 still connects; its mark is a dot.
        {"AT+CMEE refused", CommandFaults({Fault(FaultKind::Error, "+CMEE")}), true, true,
         u"12.45"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        status.lines.clear();
        sounds.startSounds = 0;
        ASSERT_NO_FATAL_FAILURE(StartPhoneMadeBy("Tessaly Mobile", test.faults));
        // The port list adds a friendly name after the device's colon.
        const std::u16string port = PortOption() + (test.friendlyName ? u": Bench phone" : u"");
        options.strings[Option::Port] = port;
        options.integers[Option::BaudRate] = 115200;
        options.integers[Option::SoundsOff] = test.soundsOff ? 1 : 0;

        PortHandle linked = OpenPhoneLink(link, options, status);
        ASSERT_TRUE(linked.isValid());

        std::vector<std::u16string> expected{u"Opening " + port};
        const std::vector<std::u16string> initializing = InitializingTexts(test.marks, u"Tessaly");
        expected.insert(expected.end(), initializing.begin(), initializing.end());
        EXPECT_EQ(ProgressTexts(), expected);
        EXPECT_EQ(sounds.startSounds, test.soundsOff ? 0 : 1);

        // Echo is off and results are words: a bare AT gets exactly the OK.
        ResponseBuffer answer;
        ASSERT_TRUE(Exchange(linked, "AT\r", answer, kOkTerminator, kStartupTimeouts));
        EXPECT_EQ(answer.Text(), "\r\nOK\r\n");
        const std::optional<StorageCounts> counts = SelectStorage(linked, "ME");
        ASSERT_TRUE(counts.has_value());
        EXPECT_EQ(counts->used, 1);
        ClosePort(linked);
        StopPhone();
    }
}

TEST_F(StartUp, SilentPhoneFailsSetupAndFreesThePort) {
    // Every command waits out its whole read time-out here: the one slow test.
    ASSERT_NO_FATAL_FAILURE(
        StartPhoneMadeBy("Tessaly", CommandFaults({Fault(FaultKind::Silent, "*")})));
    options.strings[Option::Port] = PortOption();

    PortHandle linked = OpenPhoneLink(link, options, status);
    EXPECT_FALSE(linked.isValid());

    ASSERT_GE(status.lines.size(), 2u);
    // Five failed marks and no maker: AT+CGMI got no answer either.
    EXPECT_EQ(status.lines[status.lines.size() - 2].text, u"Initializing .....");
    EXPECT_EQ(status.lines.back().text, kFailedSetupText);
    EXPECT_EQ(status.lines.back().colour, StatusColour::Red);
    EXPECT_EQ(status.lines.back().beep, StatusBeep::Stop);
    // The failed start-up closed the port: it opens again at once.
    EXPECT_NE(opener.Open(PortOption()), nullptr);
}

TEST_F(StartUp, PortThatCannotBeOpenedFailsToConnect) {
    ASSERT_NO_FATAL_FAILURE(StartPhoneMadeBy("Tessaly"));
    PortHandle holder = OpenQuickly();
    ASSERT_TRUE(holder.isValid());

    const std::u16string held = PortOption();
    const std::u16string missing = u"/dev/pts/no-such-port";
    for (const std::u16string& port : {missing, held}) {
        SCOPED_TRACE(std::string(port.begin(), port.end()));
        status.lines.clear();
        options.strings[Option::Port] = port;
        PortHandle linked = OpenPhoneLink(link, options, status);
        EXPECT_FALSE(linked.isValid());
        ASSERT_EQ(status.lines.size(), 2u);
        EXPECT_EQ(status.lines[0].text, u"Opening " + port);
        EXPECT_EQ(status.lines[1].text, kFailedConnectText);
        EXPECT_EQ(status.lines[1].colour, StatusColour::Red);
        EXPECT_EQ(status.lines[1].beep, StatusBeep::Stop);
    }
    // The refused second opener disturbed nothing: the holder still talks.
    EXPECT_EQ(SelectStorage(holder, "ME")->used, 1);
}

TEST_F(StartUp, PortIsHeldForOneOpenerAtATime) {
    ASSERT_NO_FATAL_FAILURE(StartPhoneMadeBy("Tessaly"));
    PortHandle first = OpenQuickly();
    ASSERT_TRUE(first.isValid());
    EXPECT_EQ(opener.Open(PortOption()), nullptr);
    EXPECT_FALSE(OpenPort(link, PortOption()).isValid());

    ClosePort(first);
    PortHandle second = OpenQuickly();
    ASSERT_TRUE(second.isValid());
    EXPECT_EQ(ReadStoredMessage(second, 1).empty(), false);
}

}  // namespace
}  // namespace mivex::phone::integration
