#pragma once

// A link another owner keeps open, handed to a run: everything goes through
// to it except Close, which leaves it open for its owner.

#include "phone/message_link.h"

namespace mivex::transfer {

class LentLink final : public phone::MessageLink {
public:
    explicit LentLink(phone::MessageLink& owned) : owned_(owned) {}

    std::span<const std::string_view> ReceiveStores() const override {
        return owned_.ReceiveStores();
    }
    std::optional<phone::StorageCounts> SelectStore(std::string_view name) override {
        return owned_.SelectStore(name);
    }
    bool StoreRefused() const override { return owned_.StoreRefused(); }
    std::optional<std::string_view> ReportStore() const override { return owned_.ReportStore(); }
    phone::ReceivedMessage ReadMessage(int index) override { return owned_.ReadMessage(index); }
    bool DeleteMessage(int index) override { return owned_.DeleteMessage(index); }
    bool Lost() const override { return owned_.Lost(); }
    std::optional<std::u16string> PhoneServiceCentre() override {
        return owned_.PhoneServiceCentre();
    }
    std::vector<phone::OutgoingPart> PrepareMessage(const phone::OutgoingSetup& setup,
                                                    std::u16string_view number,
                                                    std::u16string_view text,
                                                    sms::SubmitCounters& counters) override {
        return owned_.PrepareMessage(setup, number, text, counters);
    }
    phone::SubmitResult Submit(const phone::OutgoingPart& part) override {
        return owned_.Submit(part);
    }
    bool RequestAnnouncements() override { return owned_.RequestAnnouncements(); }
    phone::WaitEnding WaitForAnnouncements(int timeoutMs, std::span<const int> wake,
                                           std::vector<phone::Announcement>& announced) override {
        return owned_.WaitForAnnouncements(timeoutMs, wake, announced);
    }
    void Close() override {}

private:
    phone::MessageLink& owned_;
};

}  // namespace mivex::transfer
