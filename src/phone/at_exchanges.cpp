#include "phone/at_exchanges.h"

#include "sms/hex_text.h"

namespace mivex::phone {

namespace {

constexpr char kCtrlZ = 26;

bool IsStoreName(std::string_view store) {
    const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    return store.size() == 2 && upper(store[0]) && upper(store[1]);
}

}  // namespace

bool Exchange(PortHandle& port, std::string_view command, ResponseBuffer& answer,
              std::string_view terminator, ExchangeTimeouts timeouts) {
    (void)SerialWrite(port, command, timeouts.writeMs);
    return SerialReadUntil(port, answer, terminator, timeouts.readMs);
}

std::optional<StorageCounts> SelectStorage(PortHandle& port, std::string_view store) {
    if (!IsStoreName(store))
        return std::nullopt;
    ResponseBuffer answer;
    const std::string command = "AT+CPMS=\"" + std::string(store) + "\"\r";
    if (!Exchange(port, command, answer, kOkTerminator, kStoreTimeouts))
        return std::nullopt;
    return ParseStorageCounts(answer.Text());
}

std::string GetServiceCentre(PortHandle& port) {
    ResponseBuffer answer;
    if (!Exchange(port, "AT+CSCA?\r", answer, kOkTerminator, kStoreTimeouts))
        return {};
    return ParseServiceCentre(answer.Text());
}

std::vector<std::uint8_t> ReadStoredMessage(PortHandle& port, int index) {
    if (index < 0)
        return {};
    ResponseBuffer answer;
    const std::string command = "AT+CMGR=" + std::to_string(index) + "\r";
    if (!Exchange(port, command, answer, kOkTerminator, kStoreTimeouts))
        return {};
    return ParseStoredMessagePdu(answer.Text());
}

bool DeleteStoredMessage(PortHandle& port, int index) {
    if (index < 0)
        return false;
    ResponseBuffer answer;
    const std::string command = "AT+CMGD=" + std::to_string(index) + "\r";
    return Exchange(port, command, answer, kOkTerminator, kStoreTimeouts);
}

bool SubmitPdu(PortHandle& port, std::string_view hexPdu, int tpduOctets) {
    // The first octet is the length of the service-centre field that follows
    // it; the phone counts only what comes after that field.
    if (hexPdu.empty() || !sms::IsHexText(hexPdu))
        return false;
    const std::size_t octets = hexPdu.size() / 2;
    const std::size_t serviceCentreOctets = 1 + sms::HexDigitsToInt(hexPdu.substr(0, 2));
    if (tpduOctets < 1 || serviceCentreOctets + static_cast<std::size_t>(tpduOctets) != octets)
        return false;

    ResponseBuffer answer;
    const std::string command = "AT+CMGS=" + std::to_string(tpduOctets) + "\r";
    if (!Exchange(port, command, answer, kPromptTerminator, kSubmitPromptTimeouts))
        return false;
    port.clock().SleepMs(kSubmitPauseMs);
    std::string pdu(hexPdu);
    pdu += kCtrlZ;
    return Exchange(port, pdu, answer, kOkTerminator, kSubmitPduTimeouts);
}

}  // namespace mivex::phone
