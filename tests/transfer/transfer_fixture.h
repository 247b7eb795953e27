#pragma once

// A transfer run on a real pseudo-terminal against the simulated phone, with a
// real store. The line is real; the pauses are skipped and recorded, so a run
// takes real time only where a real time-out is the point.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fake_controls.h"
#include "fake_options.h"
#include "phone/posix_serial_device.h"
#include "phonesim/simulated_phone.h"
#include "platform/memory_controls.h"
#include "sms/submit_encoder.h"
#include "store/message_records.h"
#include "store/store.h"
#include "temp_dir.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer::test {

using Octets = std::vector<std::uint8_t>;
using Events = std::vector<std::u16string>;

inline constexpr std::string_view kSender = "+447700900123";
inline constexpr std::string_view kPhoneCentre = "+447700900000";
inline constexpr std::u16string_view kLinked = u"(linked)";

// What a run showed and how long it paused, in order: a blue text without a
// beep as it is, any other text behind its colour and beep codes ("1/2: "),
// and a pause as "pause N". Time is the steady clock plus every pause skipped.
class EventLog final : public platform::StatusSink, public platform::Clock {
public:
    void ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                    platform::StatusColour colour) override;
    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t milliseconds) override;
    platform::LocalTime Local() override { return {2024, 3, 9, 14, 6, 0, 0}; }

    Events events;
    std::function<void(std::u16string_view)> onShow;  // after each text is recorded

private:
    std::uint64_t skippedMs_ = 0;
};

[[nodiscard]] std::u16string Pause(std::uint32_t milliseconds);
[[nodiscard]] std::u16string Coloured(int colour, int beep, std::u16string_view text);
[[nodiscard]] std::u16string WithCount(std::u16string_view before, int count,
                                       std::u16string_view after = {});

// The PDUs a phone holds after kSender sent `text`, one per segment.
[[nodiscard]] std::vector<Octets> Delivered(std::u16string_view text, std::uint8_t concatRef = 0);

[[nodiscard]] phonesim::PhoneStores Stores(int capacity, const std::map<int, Octets>& phone,
                                           const std::map<int, Octets>& sim = {});

struct Queued {
    std::u16string number;
    std::u16string text;
    bool selected = true;
};

class TransferOnPty : public ::testing::Test {
protected:
    // Starts the phone and points the Port option at it; fatal when it cannot start.
    void StartPhone(phonesim::PhoneStores stores, phonesim::FaultPlan faults = {},
                    std::string serviceCentre = std::string(kPhoneCentre));
    [[nodiscard]] phonesim::PhoneStores StopPhone();

    // The texts shown, with a start-up that linked up as kLinked and one that
    // failed as its failure text; the pauses have a test of their own.
    [[nodiscard]] Events RunEvents() const;

    // A fresh store with one Outbox record and list row per message.
    void Queue(const std::vector<Queued>& messages);
    void AddRow(std::u16string_view text, store::ObjectId id, bool selected);
    int Send();

    void FreshStore();
    [[nodiscard]] store::FolderHandle Open(std::u16string_view name);
    // Every record of the folder, in its sort order.
    [[nodiscard]] std::vector<store::PropArray> ReadAll(store::Folder& folder);

    EventLog log;
    phone::PosixSerialOpener opener;
    mivex::testing::CountingSounds sounds;
    phone::LinkContext link{log, opener, sounds, nullptr};
    mivex::testing::FakeOptions options;
    TransferContext context{link, options, log};
    std::unique_ptr<phonesim::SimulatedPhone> phone;
    mivex::testing::TempDir directory;
    std::unique_ptr<store::Store> store = std::make_unique<store::Store>(directory.path(), sounds);
    int storesMade = 0;
    platform::MemoryList list;
    sms::SubmitCounters counters;
};

}  // namespace mivex::transfer::test
