#include "transfer_fixture.h"

#include <chrono>

#include "phone_fixtures.h"
#include "phonesim/deliver_builder.h"
#include "transfer/send_run.h"

namespace mivex::transfer::test {

void EventLog::ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                          platform::StatusColour colour) {
    if (beep == platform::StatusBeep::None && colour == platform::StatusColour::Blue)
        events.emplace_back(text);
    else
        events.push_back(Coloured(static_cast<int>(colour), static_cast<int>(beep), text));
    if (onShow)
        onShow(text);
}

std::uint64_t EventLog::NowMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
               std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
           skippedMs_;
}

void EventLog::SleepMs(std::uint32_t milliseconds) {
    skippedMs_ += milliseconds;
    events.push_back(Pause(milliseconds));
}

std::u16string WithCount(std::u16string_view before, int count, std::u16string_view after) {
    const std::string digits = std::to_string(count);
    return std::u16string(before) + std::u16string(digits.begin(), digits.end()) +
           std::u16string(after);
}

std::u16string Pause(std::uint32_t milliseconds) {
    return WithCount(u"pause ", static_cast<int>(milliseconds));
}

std::u16string Coloured(int colour, int beep, std::u16string_view text) {
    return WithCount(u"", colour, u"/") + WithCount(u"", beep, u": ") + std::u16string(text);
}

std::vector<Octets> Delivered(std::u16string_view text, std::uint8_t concatRef) {
    return phonesim::BuildDeliverPdus(text, kSender, kPhoneCentre, phonesim::test::FixedTime(),
                                      concatRef);
}

phonesim::PhoneStores Stores(int capacity, const std::map<int, Octets>& phone,
                             const std::map<int, Octets>& sim) {
    phonesim::PhoneStores stores{phonesim::MessageStore(capacity),
                                 phonesim::MessageStore(capacity)};
    for (const auto& [slot, pdu] : phone)
        EXPECT_TRUE(stores.phone.Put(slot, {pdu, phonesim::MessageStatus::ReceivedUnread}));
    for (const auto& [slot, pdu] : sim)
        EXPECT_TRUE(stores.sim.Put(slot, {pdu, phonesim::MessageStatus::ReceivedUnread}));
    return stores;
}

void TransferOnPty::StartPhone(phonesim::PhoneStores stores, phonesim::FaultPlan faults,
                               std::string serviceCentre) {
    phonesim::PhoneSetup setup;
    setup.stores = std::move(stores);
    setup.faults = std::move(faults);
    setup.settings.serviceCentre = std::move(serviceCentre);
    setup.clock = phonesim::test::FixedTime;
    phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone->Start(error)) << error;
    const std::string& path = phone->DevicePath();
    options.strings[options::Option::Port] = std::u16string(path.begin(), path.end()) + u":";
}

phonesim::PhoneStores TransferOnPty::StopPhone() {
    phone->Stop();
    return phone->Stores();
}

Events TransferOnPty::RunEvents() const {
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

void TransferOnPty::Queue(const std::vector<Queued>& messages) {
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

void TransferOnPty::AddRow(std::u16string_view text, store::ObjectId id, bool selected) {
    const std::size_t row = list.AddRow(text);
    list.SetItemData(row, id);
    list.SetSelected(row, selected);
}

int TransferOnPty::Send() {
    store::FolderHandle outbox = Open(store::kOutboxName);
    store::FolderHandle sent = Open(store::kSentName);
    return SendOutbox(list, context, *outbox, *sent, counters);
}

void TransferOnPty::FreshStore() {
    store = std::make_unique<store::Store>(directory.path() / std::to_string(++storesMade), sounds);
}

store::FolderHandle TransferOnPty::Open(std::u16string_view name) {
    store::FolderHandle folder = store->OpenFolder(
        name, name == store::kInboxName ? store::kInboxByDate : store::kOutboxByDate);
    EXPECT_TRUE(folder.valid());
    return folder;
}

std::vector<store::PropArray> TransferOnPty::ReadAll(store::Folder& folder) {
    std::vector<store::PropArray> records;
    store::PropArray props;
    EXPECT_EQ(store::ScanRecords(
                  folder, props,
                  [&](store::ObjectId, const store::PropArray& read) { records.push_back(read); }),
              0u);
    return records;
}

}  // namespace mivex::transfer::test
