#pragma once

// Links that stand in front of another one, passing everything through to
// it but Close: a link another owner keeps open, handed to a run, and a link
// opened with the phone's lock, which lets the lock go once it is closed.

#include <memory>

#include "phone/message_link.h"
#include "transfer/phone_lock.h"

namespace mivex::transfer {

class ForwardingLink : public phone::MessageLink {
public:
    explicit ForwardingLink(phone::MessageLink& owned) : owned_(owned) {}

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

protected:
    phone::MessageLink& owned_;
};

// Its Close leaves the link open for its owner.
class LentLink final : public ForwardingLink {
public:
    using ForwardingLink::ForwardingLink;
    void Close() override {}
};

// Holds the phone's lock for as long as the link it owns is open.
class LockedLink final : public ForwardingLink {
public:
    LockedLink(std::unique_ptr<phone::MessageLink> link, PhoneLock lock)
        : ForwardingLink(*link), link_(std::move(link)), lock_(std::move(lock)) {}
    ~LockedLink() override { LockedLink::Close(); }

    void Close() override {
        if (closed_) {
            return;
        }
        closed_ = true;
        link_->Close();
        lock_.Release();
    }

private:
    std::unique_ptr<phone::MessageLink> link_;
    PhoneLock lock_;
    bool closed_ = false;
};

}  // namespace mivex::transfer
