#include "modem/mm_link.h"

#include <array>
#include <chrono>

#include "modem/context_wait.h"
#include "modem/link_status.h"
#include "modem/message_arrivals.h"
#include "modem/modem_link.h"
#include "modem/modem_lock.h"
#include "modem/modem_message.h"
#include "modem/modem_session.h"
#include "modem/sms_objects.h"
#include "phone/line_settings.h"
#include "phone/phone_link.h"
#include "text/utf8.h"

namespace mivex::modem {

namespace {

using platform::StatusBeep;
using platform::StatusColour;

constexpr std::array<std::string_view, 1> kModemStores = {kModemStore};
constexpr std::uint8_t kStatusReportRequestFlag = 0x20;  // TP-SRR

std::string OrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

int MsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

class ModemLink final : public phone::MessageLink {
public:
    ModemLink(std::unique_ptr<ModemSession> session, GObjectPtr<MMObject> object,
              platform::StatusSink& status, phone::LinkContext& link)
        : session_(std::move(session)),
          object_(std::move(object)),
          messaging_(mm_object_get_modem_messaging(object_.get())),
          status_(status),
          link_(link) {}
    ~ModemLink() override { Close(); }
    ModemLink(const ModemLink&) = delete;
    ModemLink& operator=(const ModemLink&) = delete;

    [[nodiscard]] std::span<const std::string_view> ReceiveStores() const override {
        return kModemStores;
    }

    // Messaging.List, then each message's properties; the slots are the
    // receivable ones.
    [[nodiscard]] std::optional<phone::StorageCounts> SelectStore(std::string_view name) override {
        slots_.clear();
        announcedSelected_ = name == kAnnouncedStore;
        if (Lost() || !messaging_) {
            return std::nullopt;
        }
        if (announcedSelected_) {
            const int count = static_cast<int>(announced_.size());
            return phone::StorageCounts{count, count};
        }
        const std::optional<std::vector<std::string>> paths = List();
        if (!paths) {
            return std::nullopt;
        }
        std::vector<GObjectPtr<MMSms>> messages = SmsAt(*paths);
        if (lost_) {
            return std::nullopt;
        }
        for (std::size_t index = 0; index < messages.size(); ++index) {
            if (!messages[index] ||
                slots_.size() == static_cast<std::size_t>(phone::kMaxStoreCount)) {
                continue;  // deleted meanwhile by someone else
            }
            ModemSms fields = FieldsOf(messages[index].get());
            if (IsReceivable(fields)) {
                // Read now: an announcement of it that is still to come
                // would only read it again.
                if (arrivals_) {
                    arrivals_->Forget((*paths)[index]);
                }
                slots_.push_back({(*paths)[index], std::move(fields)});
            }
        }
        const int count = static_cast<int>(slots_.size());
        return phone::StorageCounts{count, count};
    }

    [[nodiscard]] bool StoreRefused() const override { return false; }

    [[nodiscard]] phone::ReceivedMessage ReadMessage(int index) override {
        if (announcedSelected_) {
            return ReadAnnounced(index);
        }
        if (index < 1 || static_cast<std::size_t>(index) > slots_.size()) {
            return {};
        }
        return ReceivedFromModem(slots_[static_cast<std::size_t>(index) - 1].fields);
    }

    [[nodiscard]] bool DeleteMessage(int index) override {
        std::string* path = SelectedPath(index);
        if (Lost() || path == nullptr || path->empty() || !Delete(*path)) {
            return false;
        }
        path->clear();  // never twice
        return true;
    }

    [[nodiscard]] bool Lost() const override { return lost_ || (arrivals_ && arrivals_->Gone()); }

    // ModemManager sends through the SIM's own centre without telling it.
    [[nodiscard]] std::optional<std::u16string> PhoneServiceCentre() override {
        return std::nullopt;
    }

    [[nodiscard]] std::vector<phone::OutgoingPart> PrepareMessage(const phone::OutgoingSetup& setup,
                                                                  std::u16string_view number,
                                                                  std::u16string_view text,
                                                                  sms::SubmitCounters&) override {
        setup_ = setup;
        phone::OutgoingPart part;
        part.number = number;
        part.text = setup.submitOptions.alphabet == sms::AlphabetChoice::GsmOnly
                        ? ReduceToGsmAlphabet(text)
                        : std::u16string(text);
        return {std::move(part)};
    }

    [[nodiscard]] phone::SubmitResult Submit(const phone::OutgoingPart& part) override {
        if (lost_ || !messaging_) {
            return Refused(kModemGoneText);
        }
        GObjectPtr<MMSms> sms = Create(part);
        if (!sms) {
            return Refused(lastFailure_);
        }
        const std::string path = OrEmpty(mm_sms_get_path(sms.get()));
        phone::SubmitResult result;
        result.sent = Send(sms.get());
        if (result.sent) {
            // TP-MR is one octet; anything else cannot be matched to a report.
            const guint reference = mm_sms_get_message_reference(sms.get());
            if (reference <= 0xFF) {
                result.messageReference = static_cast<std::uint8_t>(reference);
            }
        } else {
            result.detail = lastFailure_;
        }
        // Sent or not, the message object goes: sent copies must not fill
        // the modem, and a failed one stays in the Outbox to be sent again.
        if (!lost_ && !path.empty()) {
            (void)Delete(path);
        }
        return result;
    }

    [[nodiscard]] bool RequestAnnouncements() override {
        if (Lost() || !Follow()) {
            return false;
        }
        arrivals_->Listen();
        return true;
    }

    // Each message that became whole is announced in kAnnouncedStore at its
    // place in `announced`, counted from 1; that store holds this wait's
    // announcements until the next wait.
    [[nodiscard]] phone::WaitEnding WaitForAnnouncements(
        int timeoutMs, std::span<const int> wake,
        std::vector<phone::Announcement>& announced) override {
        announced_.clear();
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (Lost() || !Follow()) {
                return phone::WaitEnding::Lost;
            }
            bool timedOut = false;
            for (Arrival& arrival : arrivals_->Settle(timedOut)) {
                announced_.push_back(std::move(arrival.path));
                announced.push_back({std::string(kAnnouncedStore),
                                     static_cast<int>(announced_.size()), arrival.report});
            }
            if (timedOut) {
                Failed(nullptr, true);
            }
            if (!announced_.empty()) {
                return phone::WaitEnding::Announced;
            }
            if (Lost()) {
                return phone::WaitEnding::Lost;
            }
            const ContextWaitEnding ending =
                WaitOnContext(session_->Context(), timeoutMs < 0 ? -1 : MsLeft(deadline), wake,
                              [this] { return arrivals_->Stirred(); });
            if (ending == ContextWaitEnding::Woken) {
                return phone::WaitEnding::Woken;
            }
            if (ending == ContextWaitEnding::TimedOut) {
                return phone::WaitEnding::TimedOut;
            }
        }
    }

    void Close() override {
        arrivals_.reset();  // its signal handlers go before what they hang on
        announced_.clear();
        slots_.clear();
        messaging_.reset();
        object_.reset();
        session_.reset();
    }

private:
    static phone::SubmitResult Refused(std::u16string_view detail) {
        phone::SubmitResult result;
        result.detail = detail;
        return result;
    }

    struct Slot {
        std::string path;  // emptied once deleted
        ModemSms fields;
    };

    std::optional<std::vector<std::string>> List() {
        bool timedOut = false;
        GObjectPtr<GAsyncResult> result = session_->Await(
            session_->Timeouts().callMs,
            [&](GCancellable* cancellable, GAsyncReadyCallback ready, gpointer data) {
                g_dbus_proxy_call(G_DBUS_PROXY(messaging_.get()), "List", nullptr,
                                  G_DBUS_CALL_FLAGS_NONE, -1, cancellable, ready, data);
            },
            timedOut);
        GError* error = nullptr;
        GVariant* answer =
            result ? g_dbus_proxy_call_finish(G_DBUS_PROXY(messaging_.get()), result.get(), &error)
                   : nullptr;
        if (answer == nullptr) {
            Failed(error, timedOut);
            g_clear_error(&error);
            return std::nullopt;
        }
        std::vector<std::string> paths;
        GVariantIter* iter = nullptr;
        const gchar* path = nullptr;
        g_variant_get(answer, "(ao)", &iter);
        while (g_variant_iter_next(iter, "&o", &path)) {
            paths.emplace_back(path);
        }
        g_variant_iter_free(iter);
        g_variant_unref(answer);
        return paths;
    }

    // Follows the modem's arrivals and presence from the first wait or
    // request on, so that a run that does not watch costs no more D-Bus
    // traffic than before. False once the link is closed.
    bool Follow() {
        if (!arrivals_ && messaging_) {
            arrivals_ =
                std::make_unique<MessageArrivals>(*session_, object_.get(), messaging_.get());
        }
        return arrivals_ != nullptr;
    }

    // The Sms objects at `paths`; a time-out ends the link.
    std::vector<GObjectPtr<MMSms>> SmsAt(const std::vector<std::string>& paths) {
        bool timedOut = false;
        std::vector<GObjectPtr<MMSms>> messages =
            SmsObjects(*session_, messaging_.get(), paths, SmsSignals::Ignored, timedOut);
        if (timedOut) {
            Failed(nullptr, true);
        }
        return messages;
    }

    // An announced message, read afresh: it may have gone since, or been
    // read and deleted by a full receive.
    phone::ReceivedMessage ReadAnnounced(int index) {
        const std::string* path = SelectedPath(index);
        if (Lost() || path == nullptr || path->empty()) {
            return {};
        }
        std::vector<GObjectPtr<MMSms>> messages = SmsAt({*path});
        if (messages.empty() || !messages.front()) {
            return {};
        }
        const ModemSms fields = FieldsOf(messages.front().get());
        return IsReceivable(fields) ? ReceivedFromModem(fields) : phone::ReceivedMessage{};
    }

    // The path of message `index` of the selected store; null out of range.
    std::string* SelectedPath(int index) {
        if (index < 1) {
            return nullptr;
        }
        const auto at = static_cast<std::size_t>(index) - 1;
        if (announcedSelected_) {
            return at < announced_.size() ? &announced_[at] : nullptr;
        }
        return at < slots_.size() ? &slots_[at].path : nullptr;
    }

    GObjectPtr<MMSms> Create(const phone::OutgoingPart& part) {
        MMSmsProperties* properties = mm_sms_properties_new();
        const std::string number = text::Utf16ToUtf8(part.number);
        const std::string body = text::Utf16ToUtf8(part.text);
        mm_sms_properties_set_number(properties, number.c_str());
        mm_sms_properties_set_text(properties, body.c_str());
        mm_sms_properties_set_validity_relative(
            properties, ValidityMinutes(setup_.submitOptions.validityPeriod));
        mm_sms_properties_set_delivery_report_request(
            properties, (setup_.submitOptions.firstOctetFlags & kStatusReportRequestFlag) != 0);
        if (!setup_.usePhoneServiceCentre && !setup_.serviceCentre.empty()) {
            const std::string centre = text::Utf16ToUtf8(setup_.serviceCentre);
            mm_sms_properties_set_smsc(properties, centre.c_str());
        }
        bool timedOut = false;
        GObjectPtr<GAsyncResult> result = session_->Await(
            session_->Timeouts().callMs,
            [&](GCancellable* cancellable, GAsyncReadyCallback ready, gpointer data) {
                mm_modem_messaging_create(messaging_.get(), properties, cancellable, ready, data);
            },
            timedOut);
        g_object_unref(properties);
        GError* error = nullptr;
        GObjectPtr<MMSms> sms(
            result ? mm_modem_messaging_create_finish(messaging_.get(), result.get(), &error)
                   : nullptr);
        if (!sms) {
            Failed(error, timedOut, false);
            g_clear_error(&error);
        }
        return sms;
    }

    bool Send(MMSms* sms) {
        bool timedOut = false;
        GObjectPtr<GAsyncResult> result = session_->Await(
            session_->Timeouts().sendMs,
            [&](GCancellable* cancellable, GAsyncReadyCallback ready, gpointer data) {
                mm_sms_send(sms, cancellable, ready, data);
            },
            timedOut);
        GError* error = nullptr;
        const bool sent = result && mm_sms_send_finish(sms, result.get(), &error);
        if (!sent) {
            Failed(error, timedOut, false);
            g_clear_error(&error);
        } else {
            // The reference arrives as a property change just before the answer.
            session_->DispatchPending();
        }
        return sent;
    }

    bool Delete(const std::string& path) {
        bool timedOut = false;
        GObjectPtr<GAsyncResult> result = session_->Await(
            session_->Timeouts().callMs,
            [&](GCancellable* cancellable, GAsyncReadyCallback ready, gpointer data) {
                mm_modem_messaging_delete(messaging_.get(), path.c_str(), cancellable, ready, data);
            },
            timedOut);
        GError* error = nullptr;
        const bool deleted =
            result && mm_modem_messaging_delete_finish(messaging_.get(), result.get(), &error);
        if (!deleted) {
            Failed(error, timedOut);
            g_clear_error(&error);
        }
        return deleted;
    }

    // Remembers why a call failed; a receive's failures are also shown, as
    // the receive's own red text cannot say why. A service that is gone, or
    // did not answer, ends the link: nothing more is tried on it, so nothing
    // is sent twice.
    void Failed(const GError* error, bool timedOut, bool show = true) {
        const CallFailure failure = DescribeFailure(error, timedOut);
        lastFailure_ = failure.lost && !timedOut ? std::u16string(kModemGoneText) : failure.text;
        lost_ = lost_ || failure.lost;
        if (show) {
            status_.ShowStatus(lastFailure_, StatusBeep::None, StatusColour::Red);
            link_.clock.SleepMs(phone::kFailurePauseMs);
        }
    }

    std::unique_ptr<ModemSession> session_;
    GObjectPtr<MMObject> object_;
    GObjectPtr<MMModemMessaging> messaging_;
    std::unique_ptr<MessageArrivals> arrivals_;
    platform::StatusSink& status_;
    phone::LinkContext& link_;
    std::vector<Slot> slots_;
    std::vector<std::string> announced_;  // this wait's announcements; emptied once deleted
    bool announcedSelected_ = false;
    phone::OutgoingSetup setup_;
    std::u16string lastFailure_;
    bool lost_ = false;
};

}  // namespace

std::unique_ptr<phone::MessageLink> ConnectModemLink(phone::LinkContext& link,
                                                     platform::StatusSink& status, bool soundsOff,
                                                     const std::string& modemId,
                                                     ModemTimeouts timeouts) {
    auto session = std::make_unique<ModemSession>(timeouts);
    if (session->Connect() != SessionState::Connected) {
        return FailToOpen(link, status, soundsOff, kNotRunningText);
    }
    for (ModemSession::Modem& modem : session->Modems()) {
        if (modem.info.id != modemId) {
            continue;
        }
        MMModem* mmModem = mm_object_peek_modem(modem.object.get());
        const phone::SimState lock =
            SimLockOfModem(mm_modem_get_unlock_required(mmModem), mm_modem_get_state(mmModem),
                           mm_modem_get_state_failed_reason(mmModem));
        if (lock != phone::SimState::Ready) {
            return FailToOpen(link, status, soundsOff, SimLockText(lock));
        }
        if (mm_object_peek_modem_messaging(modem.object.get()) == nullptr) {
            return FailToOpen(link, status, soundsOff, kNoMessagingText);
        }
        ShowLinkProgress(status, u"ModemManager " + modem.info.name + u" OK");
        return std::make_unique<ModemLink>(std::move(session), std::move(modem.object), status,
                                           link);
    }
    return FailToOpen(link, status, soundsOff, kModemNotFoundText);
}

}  // namespace mivex::modem
