#pragma once

// The phone link's own serial code (termios and poll on a real
// pseudo-terminal) against the simulated phone on the other end. The phone
// answers in real time, so the link runs on the system clock here; no test
// looks at how long anything took, a hang shows up as a test that never ends.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fake_controls.h"
#include "options/option_ids.h"
#include "phone/posix_serial_device.h"
#include "phone/serial_line.h"
#include "phonesim/simulated_phone.h"
#include "platform/clock.h"

namespace mivex::phone::integration {

using Octets = std::vector<std::uint8_t>;

// The service centre the simulated phone reports and stamps its messages with.
inline constexpr std::string_view kPhoneServiceCentre = "+447700900000";
inline constexpr std::u16string_view kSender = u"+447700900123";

// Options held in maps; an absent one reads as 0 or empty with a false result.
class MapOptions final : public options::OptionReader {
public:
    bool ReadOption(options::Option option, std::int32_t& value) override;
    bool ReadOption(options::Option option, std::u16string& value) override;

    std::map<options::Option, std::int32_t> integers;
    std::map<options::Option, std::u16string> strings;
};

// The fixed moment the phone stamps messages with.
[[nodiscard]] phonesim::LocalTime FixedTime();

// The SMS-DELIVER PDUs (service-centre field first, as AT+CMGR prints them) a
// phone holds after `sender` sent `text`: one, or one per segment of a long
// text, made by the program's own SUBMIT encoder and turned around the way a
// network delivers them.
[[nodiscard]] std::vector<Octets> DeliverPdus(std::u16string_view text,
                                              std::u16string_view sender = kSender,
                                              std::uint8_t concatRef = 0);

// "ME" and "SM" stores of the given capacities holding each PDU unread in its slot.
[[nodiscard]] phonesim::PhoneStores Stores(const std::map<int, Octets>& phone,
                                           const std::map<int, Octets>& sim = {},
                                           int phoneCapacity = 30, int simCapacity = 30);

// `count` characters of a sentence, repeated as needed.
[[nodiscard]] std::u16string TextOfLength(std::size_t count);

// The text of an SMS-DELIVER PDU; fails the test when it does not decode.
[[nodiscard]] std::u16string DecodedText(const Octets& pdu);

// A directory that exists for the life of the object.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A trace record without its stamp: 'T' or 'R' and the data.
using TraceRecord = std::pair<char, std::string>;

// The Transmit and Receive records of a trace file, in order.
[[nodiscard]] std::vector<TraceRecord> ReadTraceRecords(const std::filesystem::path& file);

class PhoneOnPty : public ::testing::Test {
protected:
    // Starts the phone on a fresh pseudo-terminal; fatal failure when it cannot.
    void StartPhone(phonesim::PhoneSetup setup);
    // Messages as given, the fixed clock, everything else as a phone comes.
    void StartPhone(phonesim::PhoneStores stores, phonesim::FaultPlan faults = {});

    // The Port option naming the phone's device.
    [[nodiscard]] std::u16string PortOption() const;

    // The port opened and set up without the start-up's settle wait, with the
    // phone's echo switched off as the start-up would leave it.
    [[nodiscard]] PortHandle OpenQuickly();

    // Stops the phone; its stores and submissions are then final.
    void StopPhone() { phone->Stop(); }

    platform::SystemClock clock;
    PosixSerialOpener opener;
    testing::CountingSounds sounds;
    testing::RecordingStatusSink status;
    LinkContext link{clock, opener, sounds, nullptr};
    std::unique_ptr<phonesim::SimulatedPhone> phone;
};

// A command fault on the lines `pattern` hits.
[[nodiscard]] phonesim::CommandFault Fault(phonesim::FaultKind kind, std::string_view pattern,
                                           int count = 0, std::string text = {});

// A plan of command faults only.
[[nodiscard]] phonesim::FaultPlan CommandFaults(std::vector<phonesim::CommandFault> faults);

}  // namespace mivex::phone::integration
