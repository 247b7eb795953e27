#pragma once

// The delivery reports a network sends back for the messages a phone sent
// with a report requested (TP-SRR): after a delay, an SMS-STATUS-REPORT
// that the phone stores among its messages.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "phonesim/deliver_builder.h"
#include "phonesim/submit_parser.h"

namespace mivex::phonesim {

enum class ReportScenario {
    None,                  // no report ever comes
    Delivered,             // one report: delivered
    Failed,                // one report: validity period expired
    WaitingThenDelivered,  // recipient busy, the network keeps trying; then delivered
};

struct ReportPlan {
    ReportScenario scenario = ReportScenario::None;
    int delayMs = 0;  // from the send to the first report; a second one follows as long again
};

// "delivered", "failed", "waiting-then-delivered"; nothing for anything else.
[[nodiscard]] std::optional<ReportScenario> ParseReportScenario(std::string_view name);

// TP-Status values the network's reports carry.
inline constexpr std::uint8_t kReportDelivered = 0x00;
inline constexpr std::uint8_t kReportRecipientBusy = 0x21;
inline constexpr std::uint8_t kReportValidityExpired = 0x46;

// The whole PDU as a phone stores it: the service-centre field (00 when
// `serviceCentre` is not an international number), then the
// SMS-STATUS-REPORT on the message `reference` to `recipient`, which the
// centre took at `submitted`, with the status reached at `discharged`.
[[nodiscard]] std::vector<std::uint8_t> BuildStatusReport(
    std::uint8_t reference, std::string_view recipient, std::string_view serviceCentre,
    const LocalTime& submitted, const LocalTime& discharged, std::uint8_t status);

class NetworkReports {
public:
    explicit NetworkReports(ReportPlan plan) : plan_(plan) {}

    // A SUBMIT the phone accepted under `reference` at `now`; its reports
    // are scheduled when it asks for one.
    void Submitted(const SubmitTpdu& submit, std::uint8_t reference, std::string_view serviceCentre,
                   const LocalTime& now);

    [[nodiscard]] bool Pending() const { return !pending_.empty(); }

    // The reports due by `now`, oldest first; they are no longer pending.
    [[nodiscard]] std::vector<std::vector<std::uint8_t>> TakeDue(const LocalTime& now);

private:
    struct Scheduled {
        sms::FileTime due = 0;
        std::vector<std::uint8_t> pdu;
    };
    void Schedule(const SubmitTpdu& submit, std::uint8_t reference, std::string_view serviceCentre,
                  const LocalTime& now, int afterMs, std::uint8_t status);

    ReportPlan plan_;
    std::vector<Scheduled> pending_;
};

}  // namespace mivex::phonesim
