#pragma once

// Delivery reports matched to the Sent messages they report on. A report
// names the message only by its 8-bit reference and its recipient, so a
// match needs both, and a service-centre time that fits the send:
// references wrap at 256, and the newest message sent under that reference
// to that recipient, at most kReportWindow before the report, is the one.
//
// The matching takes a report's fields, not a PDU, so reports that reach the
// program some other way than from the phone's message stores fit it too.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sms/status_report_decoder.h"
#include "store/folder.h"
#include "store/sent_report.h"

namespace mivex::store {

inline constexpr sms::FileTime kFileTimeMinute = 600'000'000;
// How long after a send its report may come.
inline constexpr sms::FileTime kReportWindow = 7 * 24 * 60 * kFileTimeMinute;
// The service centre's clock and this computer's need not agree to the
// second: a report stamped this much before the send still counts as after it.
inline constexpr sms::FileTime kClockSkewAllowance = 15 * kFileTimeMinute;

enum class ReportOutcome {
    Recorded,   // held for its Sent record until Commit (or older than what is there)
    Unmatched,  // no Sent message awaits it
};

class StatusReportBook {
public:
    // `sent` is the open Sent folder, in any sort order; it is read once,
    // at the first report.
    explicit StatusReportBook(Folder& sent) : sent_(sent) {}

    // Records the report on the Sent message it reports on, for Commit to
    // write. Of two reports on one segment the one with the later discharge
    // time wins.
    [[nodiscard]] ReportOutcome Record(const sms::StatusReport& report);

    // Writes what Record changed since the last Commit as one durable step:
    // one sync for many reports instead of one each. False when the store
    // did not take it; nothing of it is then on disk, and the next Record
    // reads the Sent folder afresh.
    [[nodiscard]] bool Commit();

    // Sent records that could not be read while looking for messages awaiting reports.
    [[nodiscard]] std::size_t UnreadableRecords() const { return unreadable_; }

private:
    struct Awaiting {
        ObjectId id = 0;
        std::u16string number;  // filtered to dial characters
        sms::FileTime sentTime = 0;
        SentReport report;
        bool changed = false;  // since the last Commit
    };

    void Load();
    [[nodiscard]] Awaiting* Find(const sms::StatusReport& report, std::u16string_view number);

    Folder& sent_;
    bool loaded_ = false;
    std::size_t unreadable_ = 0;
    std::vector<Awaiting> awaiting_;
};

// Whether two dial-filtered numbers name the same phone: equal, or sharing at
// least sms::kMinMatchingTail trailing characters, as the name lookup matches.
[[nodiscard]] bool SameRecipient(std::u16string_view a, std::u16string_view b);

}  // namespace mivex::store
