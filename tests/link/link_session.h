#pragma once

// The phone link's own serial code on a real pseudo-terminal against the
// simulated phone, on the system clock: no test looks at how long anything
// took, a hang shows up as a test that never ends.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link_fixture.h"
#include "phone/posix_serial_device.h"
#include "phone_fixtures.h"
#include "phonesim/simulated_phone.h"
#include "platform/clock.h"

namespace mivex::phone::integration {

using Octets = std::vector<std::uint8_t>;
using phonesim::test::Fault;
using phonesim::test::FixedTime;
using phonesim::test::kHiSubmit;
using phonesim::test::Plan;
using test::TraceRecord;

// The service centre the simulated phone reports and stamps its messages with.
inline constexpr std::string_view kPhoneServiceCentre = "+447700900000";

// The SMS-DELIVER PDUs (service-centre field first, as AT+CMGR prints them) a
// phone holds after +447700900123 sent `text`, one per segment.
[[nodiscard]] std::vector<Octets> DeliverPdus(std::u16string_view text);

// A phone store of 30 slots holding each PDU unread in its slot, and an empty SIM.
[[nodiscard]] phonesim::PhoneStores Stores(const std::map<int, Octets>& phone);

// What the slots from 1 to `last` read as, an empty text for an empty slot.
[[nodiscard]] std::vector<std::u16string> ReadSlots(PortHandle& port, int last);

class PhoneOnPty : public ::testing::Test {
protected:
    // Starts the phone on a fresh pseudo-terminal; fatal failure when it cannot.
    void StartPhone(phonesim::PhoneStores stores, phonesim::FaultPlan faults = {},
                    std::uint32_t baudRate = 0);

    // The port opened and set up without the start-up's settle wait, with the
    // phone's echo switched off as the start-up would leave it.
    [[nodiscard]] PortHandle OpenQuickly();

    // Trace mode on with a fresh file; the records once it is closed.
    void StartTrace();
    [[nodiscard]] std::vector<TraceRecord> StopTrace();

    platform::SystemClock clock;
    PosixSerialOpener opener;
    testing::CountingSounds sounds;
    LinkContext link{clock, opener, sounds, nullptr};
    std::unique_ptr<phonesim::SimulatedPhone> phone;
    test::TemporaryDirectory directory;
    Trace trace{clock, directory.path()};
};

}  // namespace mivex::phone::integration
