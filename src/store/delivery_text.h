#pragma once

// How a Sent message's delivery is told to the user: the mark on its row in
// the Sent view, the line under its text in the message pane, and the last
// column of the command-line listing.

#include <string>
#include <string_view>

#include "store/sent_report.h"

namespace mivex::store {

// "✓ " delivered, "… " waiting or still being tried, "✗ " failed; empty when
// no report is awaited. Rows put it before the recipient's name.
[[nodiscard]] std::u16string_view DeliveryMark(DeliveryKind kind);

// "MMDD  hh:mm  " then the mark and the recipient's name.
[[nodiscard]] std::u16string SentRowText(sms::FileTime sentTime, std::u16string_view recipientName,
                                         DeliveryKind kind);

// "Delivered 2026-12-06 14:03", "Waiting for the delivery report", "Not
// delivered yet, the network keeps trying: recipient busy", "Not delivered:
// validity period expired"; empty when no report is awaited.
[[nodiscard]] std::u16string DeliveryLine(const DeliverySummary& summary);

// "delivered 2026-12-06 14:03", "waiting", "failed: validity period expired",
// or empty when no report is awaited.
[[nodiscard]] std::u16string DeliveryColumn(const DeliverySummary& summary);

// "YYYY-MM-DD hh:mm" of a stored time.
void AppendDeliveryTime(std::u16string& text, sms::FileTime time);

}  // namespace mivex::store
