// The connection start-up on a real pseudo-terminal: the texts the user sees
// and the state it leaves the phone in.

#include <gtest/gtest.h>

#include "link_session.h"
#include "phone/at_exchanges.h"
#include "phone/phone_link.h"

namespace mivex::phone::integration {
namespace {

using options::Option;
using phonesim::FaultKind;
using platform::StatusColour;

class StartUp : public PhoneOnPty {
protected:
    FakeOptions options;
};

TEST_F(StartUp, BringsThePhoneIntoPduModeWithoutEcho) {
    // A phone that rejects AT+CMEE=0 still connects; its mark is a dot.
    phonesim::PhoneSetup setup;
    setup.stores = Stores({{1, DeliverPdus(u"Hello")[0]}});
    setup.settings.identity.manufacturer = "Tessaly Mobile";
    setup.faults = Plan({Fault(FaultKind::Error, "+CMEE")});
    setup.clock = FixedTime;
    ASSERT_NO_FATAL_FAILURE(StartPhone(std::move(setup)));
    // The port list adds a friendly name after the device's colon.
    const std::u16string port = PortOption() + u": Bench phone";
    options.strings[Option::Port] = port;
    options.integers[Option::BaudRate] = 115200;

    PortHandle linked = OpenPhoneLink(link, options, status);
    ASSERT_TRUE(linked.isValid());
    std::vector<std::u16string> expected{u"Opening " + port, u"Initializing "};
    for (const std::u16string_view mark : {u"1", u"2", u".", u"4", u"5", u" Tessaly", u" OK"})
        expected.push_back(expected.back() + std::u16string(mark));
    EXPECT_EQ(status.Texts(), expected);
    for (const testing::StatusLine& shown : status.lines)
        EXPECT_EQ(shown.colour, StatusColour::Blue);
    EXPECT_EQ(sounds.startSounds, 1);

    // Echo is off and results are words: a bare AT gets exactly the OK.
    ResponseBuffer answer;
    ASSERT_TRUE(Exchange(linked, "AT\r", answer, kOkTerminator, kStartupTimeouts));
    EXPECT_EQ(answer.Text(), "\r\nOK\r\n");
    EXPECT_EQ(SelectStorage(linked, "ME")->used, 1);
}

}  // namespace
}  // namespace mivex::phone::integration
