#pragma once

// What a receive or a sending run talks to: the phone behind one open link,
// whichever way it is reached. The AT link (AtMessageLink) drives a serial
// phone in PDU mode; the ModemManager link (modem/) asks ModemManager on the
// system bus about a modem it owns. The runs keep their own rules (a message
// leaves the phone only once it is on disk, a message counts as sent only when
// the phone confirmed it) and call these steps in the same order for both.
//
// A link is opened once, used for many operations and closed; it lives on the
// thread that opened it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "phone/answer_parsers.h"
#include "sms/deliver_decoder.h"
#include "sms/file_time.h"
#include "sms/status_report_decoder.h"
#include "sms/submit_encoder.h"

namespace mivex::phone {

// One stored message as a link reads it. The AT link hands over the raw PDU
// and lets the store decode it; a link that gets messages already decoded
// hands over the record's values, or a delivery report. An empty message is
// an empty slot.
struct ReceivedMessage {
    std::vector<std::uint8_t> pdu;               // service-centre field first
    std::optional<sms::DeliverMessage> deliver;  // already decoded by the link
    std::optional<sms::StatusReport> report;

    [[nodiscard]] bool empty() const { return pdu.empty() && !deliver && !report; }
};

// What the sending run settled before the first message.
struct OutgoingSetup {
    bool usePhoneServiceCentre = true;
    std::u16string serviceCentre;  // filtered; empty with the phone's own
    sms::SubmitOptions submitOptions;
};

// One unit the phone is handed: an SMS-SUBMIT PDU for the AT link, the whole
// number and text for a link that segments by itself.
struct OutgoingPart {
    sms::EncodedPdu pdu;
    std::u16string number;
    std::u16string text;
};

struct SubmitResult {
    bool sent = false;
    // TP-MR of the message, where the link learns it; a delivery report
    // names the message by it.
    std::optional<std::uint8_t> messageReference;
    // Why it was not sent, in the phone side's own words; may be empty.
    std::u16string detail;
};

// A message or delivery report the phone says has just landed in one of its
// stores, at `index`.
struct Announcement {
    std::string store;
    int index = 0;
    bool report = false;

    friend bool operator==(const Announcement&, const Announcement&) = default;
};

// How a wait for announcements ended.
enum class WaitEnding {
    Announced,  // at least one announcement came
    TimedOut,
    Woken,  // the wake descriptor turned readable
    Lost,   // the link is gone
};

class MessageLink {
public:
    virtual ~MessageLink() = default;

    // The stores a receive reads, in order.
    [[nodiscard]] virtual std::span<const std::string_view> ReceiveStores() const = 0;
    // Selects the store later reads and deletes use, with its counts. Empty
    // when it failed; then StoreRefused says whether the phone refused it
    // (a store it does not have) or no answer was had (it may hold messages).
    [[nodiscard]] virtual std::optional<StorageCounts> SelectStore(std::string_view name) = 0;
    [[nodiscard]] virtual bool StoreRefused() const = 0;
    // The store some phones keep delivery reports in apart from messages,
    // read after the others when reports are wanted; none where the link
    // finds reports among its messages.
    [[nodiscard]] virtual std::optional<std::string_view> ReportStore() const {
        return std::nullopt;
    }
    // The message at `index` (1 up to the store's total); empty for an empty
    // slot or a failed read.
    [[nodiscard]] virtual ReceivedMessage ReadMessage(int index) = 0;
    // True only when the phone confirmed the deletion.
    [[nodiscard]] virtual bool DeleteMessage(int index) = 0;
    // The link is gone for good (a cut line, a vanished modem): nothing more
    // is tried on it.
    [[nodiscard]] virtual bool Lost() const = 0;

    // The phone's own service-centre number, or nothing when the link sends
    // through it without learning it.
    [[nodiscard]] virtual std::optional<std::u16string> PhoneServiceCentre() = 0;
    // The parts one message is sent as; `counters` move on as the AT encoder
    // moves them.
    [[nodiscard]] virtual std::vector<OutgoingPart> PrepareMessage(
        const OutgoingSetup& setup, std::u16string_view number, std::u16string_view text,
        sms::SubmitCounters& counters) = 0;
    [[nodiscard]] virtual SubmitResult Submit(const OutgoingPart& part) = 0;

    // Asks the phone to announce new messages (and reports, where it can)
    // as they land. False where the link cannot; a caller that watches then
    // relies on full receives alone.
    [[nodiscard]] virtual bool RequestAnnouncements() { return false; }
    // Waits up to `timeoutMs` for announcements, appending them to
    // `announced`, or until one of `wake` turns readable (a stop asked for,
    // work for the link); it sleeps in poll() and never spins. The AT link listens on its port for
    // +CMTI and +CDSI, the ModemManager link for ModemManager's Added signal. By default nothing
    // is announced and only the wake ends a wait early.
    [[nodiscard]] virtual WaitEnding WaitForAnnouncements(int timeoutMs, std::span<const int> wake,
                                                          std::vector<Announcement>& announced);

    // Ends the link; harmless twice.
    virtual void Close() = 0;
};

}  // namespace mivex::phone
