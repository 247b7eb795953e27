#pragma once

// A transfer run on a real pseudo-terminal against the simulated phone, with a
// real store. The line is real; the pauses are skipped and recorded, so a run
// takes real time only where a real time-out is the point.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include "fake_controls.h"
#include "fake_options.h"
#include "phone/posix_serial_device.h"
#include "phone_fixtures.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "platform/memory_controls.h"
#include "sms/submit_encoder.h"
#include "store/message_records.h"
#include "store/store.h"
#include "temp_dir.h"
#include "transfer/send_run.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer::test {

using Octets = std::vector<std::uint8_t>;
using Events = std::vector<std::u16string>;

inline constexpr std::string_view kSender = "+447700900123";
inline constexpr std::string_view kPhoneCentre = "+447700900000";
inline constexpr std::u16string_view kLinked = u"(linked)";

inline std::u16string WithCount(std::u16string_view before, int count,
                                std::u16string_view after = {}) {
    const std::string digits = std::to_string(count);
    return std::u16string(before) + std::u16string(digits.begin(), digits.end()) +
           std::u16string(after);
}
inline std::u16string Pause(std::uint32_t ms) {
    return WithCount(u"pause ", static_cast<int>(ms));
}
inline std::u16string Coloured(int colour, int beep, std::u16string_view text) {
    return WithCount(u"", colour, u"/") + WithCount(u"", beep, u": ") + std::u16string(text);
}

// What a run showed and how long it paused, in order: a blue text without a
// beep as it is, any other text behind its colour and beep codes ("1/2: "),
// and a pause as "pause N". Time is the steady clock plus every pause skipped.
class EventLog final : public platform::StatusSink, public platform::Clock {
public:
    void ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                    platform::StatusColour colour) override {
        if (beep == platform::StatusBeep::None && colour == platform::StatusColour::Blue)
            events.emplace_back(text);
        else
            events.push_back(Coloured(static_cast<int>(colour), static_cast<int>(beep), text));
        if (onShow)
            onShow(text);
    }
    std::uint64_t NowMs() override {
        using namespace std::chrono;
        return static_cast<std::uint64_t>(
                   duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()) +
               skippedMs_;
    }
    void SleepMs(std::uint32_t ms) override {
        skippedMs_ += ms;
        events.push_back(Pause(ms));
    }
    platform::LocalTime Local() override { return {2024, 3, 9, 14, 6, 0, 0}; }

    Events events;
    std::function<void(std::u16string_view)> onShow;  // after each text is recorded

private:
    std::uint64_t skippedMs_ = 0;
};

// The PDUs a phone holds after kSender sent `text`, one per segment.
inline std::vector<Octets> Delivered(std::u16string_view text, std::uint8_t concatRef = 0) {
    return phonesim::BuildDeliverPdus(text, kSender, kPhoneCentre, phonesim::test::FixedTime(),
                                      concatRef);
}

inline phonesim::PhoneStores Stores(int capacity, const std::map<int, Octets>& phone,
                                    const std::map<int, Octets>& sim = {}) {
    phonesim::PhoneStores stores{phonesim::MessageStore(capacity),
                                 phonesim::MessageStore(capacity)};
    for (const auto& [into, slots] : {std::pair{&stores.phone, &phone}, {&stores.sim, &sim}})
        for (const auto& [slot, pdu] : *slots)
            EXPECT_TRUE(into->Put(slot, {pdu, phonesim::MessageStatus::ReceivedUnread}));
    return stores;
}

struct Queued {
    std::u16string number;
    std::u16string text;
    bool selected = true;
};

class TransferOnPty : public ::testing::Test {
protected:
    // Starts the phone and points the Port option at it; fatal when it cannot start.
    void StartPhone(phonesim::PhoneStores stores, phonesim::FaultPlan faults = {},
                    std::string serviceCentre = std::string(kPhoneCentre)) {
        phonesim::PhoneSetup setup;
        setup.stores = std::move(stores);
        setup.faults = std::move(faults);
        setup.settings.serviceCentre = std::move(serviceCentre);
        setup.settings.report = reportPlan;
        setup.clock = phonesim::test::FixedTime;
        phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
        std::string error;
        ASSERT_TRUE(phone->Start(error)) << error;
        const std::string& path = phone->DevicePath();
        options.strings[options::Option::Port] = std::u16string(path.begin(), path.end()) + u":";
    }

    // The texts shown, with a start-up that linked up as kLinked and one that
    // failed as its failure text; the pauses have a test of their own.
    [[nodiscard]] Events RunEvents() const {
        Events run;
        for (const std::u16string& event : log.events) {
            if (event.starts_with(u"Initializing ") && event.ends_with(u" OK"))
                run.emplace_back(kLinked);
            else if (!event.starts_with(u"Opening ") && !event.starts_with(u"Initializing ") &&
                     !event.starts_with(u"pause "))
                run.push_back(event);
        }
        return run;
    }

    // A fresh store with one Outbox record and list row per message.
    void Queue(const std::vector<Queued>& messages) {
        log.events.clear();
        list.Reset();
        FreshStore();
        store::FolderHandle outbox = Open(store::kOutboxName);
        ASSERT_TRUE(Open(store::kSentName).valid());
        for (const Queued& message : messages) {
            const store::ObjectId id = outbox->WriteRecord(
                0, store::ToProps(store::OutboxRecord{message.number, u"Ann", 0, message.text, 0}));
            ASSERT_NE(id, 0u);
            AddRow(message.number, id, message.selected);
        }
    }
    void AddRow(std::u16string_view text, store::ObjectId id, bool selected) {
        const std::size_t row = list.AddRow(text);
        list.SetItemData(row, id);
        list.SetSelected(row, selected);
    }
    int Send() {
        return SendOutbox(list, context, *Open(store::kOutboxName), *Open(store::kSentName),
                          counters);
    }

    void FreshStore() {
        store =
            std::make_unique<store::Store>(directory.path() / std::to_string(++storesMade), sounds);
    }
    [[nodiscard]] store::FolderHandle Open(std::u16string_view name) {
        store::FolderHandle folder = store->OpenFolder(
            name, name == store::kInboxName ? store::kInboxByDate : store::kOutboxByDate);
        EXPECT_TRUE(folder.valid());
        return folder;
    }
    // Every record of the folder, in its sort order.
    [[nodiscard]] std::vector<store::PropArray> ReadAll(store::Folder& folder) {
        std::vector<store::PropArray> records;
        store::PropArray props;
        const auto keep = [&](store::ObjectId, const store::PropArray& read) {
            records.push_back(read);
        };
        EXPECT_EQ(store::ScanRecords(folder, props, keep), 0u);
        return records;
    }

    EventLog log;
    phone::PosixSerialOpener opener;
    mivex::testing::CountingSounds sounds;
    phone::LinkContext link{log, opener, sounds, nullptr};
    mivex::testing::FakeOptions options;
    TransferContext context{link, options, log};
    std::unique_ptr<phonesim::SimulatedPhone> phone;
    phonesim::ReportPlan reportPlan;  // what the phone's network reports
    mivex::testing::TempDir directory;
    std::unique_ptr<store::Store> store = std::make_unique<store::Store>(directory.path(), sounds);
    int storesMade = 0;
    platform::MemoryList list;
    sms::SubmitCounters counters;
};

}  // namespace mivex::transfer::test
