#pragma once

// Reading of the SMS-SUBMIT PDUs a client gives AT+CMGS (GSM 03.40), so the
// simulated phone can check them and send a message to its own number back
// as an SMS-DELIVER. The octets come from the client and are trusted for
// nothing: every field is checked against the end before it is read, and a
// PDU with octets beyond its user data is refused, as a network would.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::phonesim {

struct SubmitTpdu {
    std::uint8_t firstOctet = 0;
    std::uint8_t messageReference = 0;
    std::uint8_t destinationType = 0;  // type-of-address octet of TP-DA
    std::string destination;           // TP-DA digits, "+" first when international
    std::uint8_t protocolIdentifier = 0;
    std::uint8_t dataCoding = 0;
    std::vector<std::uint8_t> validityPeriod;  // 0, 1 or 7 octets as TP-VPF says
    std::uint8_t userDataLength = 0;           // TP-UDL: septets or octets as TP-DCS says
    std::vector<std::uint8_t> userData;        // the octets TP-UDL covers, header included

    [[nodiscard]] bool HasHeader() const { return (firstOctet & 0x40) != 0; }
};

enum class SubmitStatus {
    Parsed,
    Empty,                 // no octets at all
    ServiceCentreTooLong,  // the service-centre field runs past the end
    NotSubmit,             // TP-MTI is not 01
    TooShort,              // the PDU ends before TP-DA, TP-PID, TP-DCS, TP-VP or TP-UDL
    AddressTooLong,        // TP-DA longer than 20 digits
    UserDataTooLong,       // TP-UDL above 160 septets or 140 octets
    UserDataTruncated,     // fewer user-data octets than TP-UDL needs
    HeaderTruncated,       // TP-UDHL claims more octets than the user data holds
    TrailingOctets,        // octets after the user data
};

struct SubmitParseResult {
    SubmitStatus status = SubmitStatus::Empty;
    SubmitTpdu submit;                    // meaningful only when parsed
    std::size_t serviceCentreOctets = 0;  // length octet included

    [[nodiscard]] bool parsed() const { return status == SubmitStatus::Parsed; }
};

// Alphabets of TP-DCS (GSM 03.38 section 4): what TP-UDL counts.
enum class Alphabet { Default, EightBit, Ucs2 };
[[nodiscard]] Alphabet AlphabetOf(std::uint8_t dataCoding);

// Reads a whole PDU as AT+CMGS is given it: service-centre field, then TPDU.
[[nodiscard]] SubmitParseResult ParseSubmitPdu(std::span<const std::uint8_t> pdu);

[[nodiscard]] std::string_view DescribeSubmitStatus(SubmitStatus status);

}  // namespace mivex::phonesim
