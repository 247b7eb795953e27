#include <gtest/gtest.h>

#include <tuple>

#include "sms/delivery_status.h"
#include "sms/status_report_decoder.h"
#include "test_octets.h"

namespace mivex::sms {
namespace {

using test::Octets;

// No service centre, first octet 06, TP-MR 2A, TP-RA +447700900123, TP-SCTS
// 2026-12-06 14:03:20, TP-DT 2026-12-06 14:03:50, then `tail` from TP-ST on.
std::vector<std::uint8_t> Report(std::string_view tail, std::string_view head = "00 06") {
    return Octets(std::string(head) +
                  " 2A 0C 91 44 77 00 09 10 32 62 21 60 41 30 02 00 62 21 60 41 30 05 00 " +
                  std::string(tail));
}

TEST(StatusReportDecoder, ReadsTheFieldsItMatchesBy) {
    const FileTime taken = *CalendarToFileTime({2026, 12, 6, 14, 3, 20, 0});
    const FileTime discharged = *CalendarToFileTime({2026, 12, 6, 14, 3, 50, 0});
    const ReportDecodeResult result = DecodeStatusReport(Report("46"));
    ASSERT_TRUE(result.decoded());
    EXPECT_EQ(result.report, (StatusReport{0x2A, u"+447700900123", taken, discharged, 0x46}));
    // What may follow TP-ST (parameter indicator, user data) changes nothing.
    EXPECT_EQ(DecodeStatusReport(Report("00 07 00 00 02 C8 34", "07 91 44 77 00 09 00 F0 06"))
                  .report.status,
              0);
}

TEST(StatusReportDecoder, RefusesWhatIsNotAWholeReport) {
    const std::pair<std::vector<std::uint8_t>, ReportDecodeStatus> vectors[] = {
        {{}, ReportDecodeStatus::Empty},
        {Octets("FF 06"), ReportDecodeStatus::ServiceCentreTooLong},
        {Report("00", "00 04"), ReportDecodeStatus::NotStatusReport},
        {Octets("00 06"), ReportDecodeStatus::NoReference},
        {Octets("00 06 2A FF 91 44 77"), ReportDecodeStatus::AddressTruncated},
        {Octets("00 06 2A 0C 91 44 77 00 09 10 32 62 21 60"), ReportDecodeStatus::TimesTruncated},
        {Report(""), ReportDecodeStatus::NoStatus},
    };
    for (const auto& [pdu, status] : vectors) {
        SCOPED_TRACE(DescribeReportDecodeStatus(status));
        EXPECT_EQ(DecodeStatusReport(pdu).status, status);
        // A broken report is still told apart from a message, so it is never stored as one.
        EXPECT_EQ(IsStatusReportPdu(pdu), status >= ReportDecodeStatus::NoReference);
    }
}

TEST(DeliveryStatus, ClassAndReasonOfEachStatus) {
    const std::tuple<int, DeliveryState, std::u16string_view> vectors[] = {
        {0x00, DeliveryState::Delivered, u"delivered"},
        {0x02, DeliveryState::Delivered, u"replaced by the service centre"},
        {0x1F, DeliveryState::Delivered, u"delivered"},
        {0x21, DeliveryState::Trying, u"recipient busy"},
        {0x3F, DeliveryState::Trying, u"the service centre is still trying"},
        {0x46, DeliveryState::Failed, u"validity period expired"},
        {0x61, DeliveryState::Failed, u"recipient busy"},
        {0x7F, DeliveryState::Failed, u"refused by the service centre"},
        {0x80, DeliveryState::Failed, u"unknown status"},
    };
    for (const auto& [status, state, reason] : vectors) {
        SCOPED_TRACE(status);
        EXPECT_EQ(ClassifyReportStatus(status), state);
        EXPECT_EQ(DeliveryReason(status), reason);
    }
}

}  // namespace
}  // namespace mivex::sms
