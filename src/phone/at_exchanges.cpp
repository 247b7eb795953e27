#include "phone/at_exchanges.h"

#include "sms/hex_text.h"

namespace mivex::phone {

namespace {

constexpr char kCtrlZ = 26;

// "+CMGS: <mr>" as a line of its own before the final OK.
bool HasSubmitResult(std::string_view answer) {
    const std::size_t result = answer.find("\r\n+CMGS:");
    return answer.ends_with(kOkTerminator) && result != std::string_view::npos &&
           result < answer.size() - kOkTerminator.size();
}

// kBareAnswerWatchBytes byte times at the line's speed, rounded up, and a
// millisecond for the granularity of the wait.
std::uint32_t BareAnswerWatchMs(const PortHandle& port) {
    const auto baud = static_cast<std::uint32_t>(port.BaudRate());
    constexpr std::uint32_t kBits = 10 * kBareAnswerWatchBytes;
    return 1 + (kBits * 1000 + baud - 1) / baud;
}

bool IsStoreName(std::string_view store) {
    const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    return store.size() == 2 && upper(store[0]) && upper(store[1]);
}

// An answer read past, or taken for a command, may carry a line the phone
// said unasked in between; a new message's announcement among it is kept.
void KeepAnnouncements(PortHandle& port, std::string_view text) {
    if (text.find("+CMTI:") != std::string_view::npos ||
        text.find("+CDSI:") != std::string_view::npos)
        port.KeepAside(text);
}

// The exchange proper, on a line known to be in step.
bool ExchangeInStep(PortHandle& port, std::string_view command, ResponseBuffer& answer,
                    std::string_view terminator, ExchangeTimeouts timeouts) {
    (void)SerialWrite(port, command, timeouts.writeMs);
    const ReadEnding ending = SerialReadAnswer(port, answer, terminator, timeouts.readMs);
    KeepAnnouncements(port, answer.Text());
    port.SetLastEnding(ending);
    if (ending == ReadEnding::LineFailed)
        port.MarkLost();
    else if (ending != ReadEnding::Terminator)
        port.MarkOutOfStep();
    return ending == ReadEnding::Terminator;
}

}  // namespace

bool BringIntoStep(PortHandle& port) {
    platform::Clock& clock = port.clock();
    ResponseBuffer answer;
    for (int attempt = 0; attempt < kStepAttempts && !port.Lost(); ++attempt) {
        if (DrainUntilQuiet(port, 0, kStoreTimeouts.readMs) == Drained::LineFailed)
            break;
        (void)SerialWrite(port, kStepCommand, kStoreTimeouts.writeMs);
        const std::uint64_t deadline = clock.NowMs() + kStoreTimeouts.readMs;
        for (std::uint64_t now = clock.NowMs(); now < deadline; now = clock.NowMs()) {
            const ReadEnding ending = SerialReadAnswer(port, answer, kOkTerminator,
                                                       static_cast<std::uint32_t>(deadline - now));
            if (ending == ReadEnding::LineFailed) {
                port.MarkLost();
                return false;
            }
            KeepAnnouncements(port, answer.Text());
            if (ending == ReadEnding::TimedOut)
                break;
            // Late answers, and errors and noise among them, are read past.
            if (ending != ReadEnding::Terminator ||
                answer.Text().find(kStepAnswerLine) == std::string_view::npos) {
                continue;
            }
            const Drained after = DrainUntilQuiet(port, kQuietMs, kStoreTimeouts.readMs);
            if (after == Drained::Nothing) {
                port.MarkInStep();
                return true;
            }
            if (after == Drained::LineFailed)
                port.MarkLost();
            break;
        }
    }
    port.MarkLost();
    return false;
}

bool Exchange(PortHandle& port, std::string_view command, ResponseBuffer& answer,
              std::string_view terminator, ExchangeTimeouts timeouts) {
    answer.Clear();
    port.SetLastEnding(ReadEnding::LineFailed);
    if (!port.isValid() || port.Lost())
        return false;
    if (!port.InStep() || DrainUntilQuiet(port, 0, timeouts.readMs) != Drained::Nothing) {
        if (!BringIntoStep(port))
            return false;
    }
    return ExchangeInStep(port, command, answer, terminator, timeouts);
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
    std::vector<std::uint8_t> pdu = ParseStoredMessagePdu(answer.Text());
    if (pdu.empty() &&
        DrainUntilQuiet(port, BareAnswerWatchMs(port), kStoreTimeouts.readMs) != Drained::Nothing) {
        port.MarkOutOfStep();
    }
    return pdu;
}

bool DeleteStoredMessage(PortHandle& port, int index) {
    if (index < 0)
        return false;
    if (!port.isValid() || port.Lost())
        return false;
    if (!port.InStep() || DrainUntilQuiet(port, 0, kStoreTimeouts.readMs) != Drained::Nothing) {
        (void)BringIntoStep(port);
        return false;
    }
    ResponseBuffer answer;
    const std::string command = "AT+CMGD=" + std::to_string(index) + "\r";
    return Exchange(port, command, answer, kOkTerminator, kStoreTimeouts);
}

bool SubmitPdu(PortHandle& port, std::string_view hexPdu, int tpduOctets) {
    return SubmitPduForReference(port, hexPdu, tpduOctets).accepted;
}

SubmitAnswer SubmitPduForReference(PortHandle& port, std::string_view hexPdu, int tpduOctets) {
    // The first octet is the length of the service-centre field that follows
    // it; the phone counts only what comes after that field.
    if (hexPdu.empty() || !sms::IsHexText(hexPdu))
        return {};
    const std::size_t octets = hexPdu.size() / 2;
    const std::size_t serviceCentreOctets = 1 + sms::HexDigitsToInt(hexPdu.substr(0, 2));
    if (tpduOctets < 1 || serviceCentreOctets + static_cast<std::size_t>(tpduOctets) != octets)
        return {};

    ResponseBuffer answer;
    const std::string command = "AT+CMGS=" + std::to_string(tpduOctets) + "\r";
    if (!Exchange(port, command, answer, kPromptTerminator, kSubmitPromptTimeouts))
        return {};
    port.clock().SleepMs(kSubmitPauseMs);
    std::string pdu(hexPdu);
    pdu += kCtrlZ;
    // The PDU answers the prompt: nothing may come between them, and only
    // its own "+CMGS: <mr>" result line shows that this answer is the PDU's.
    // A bare OK is some other answer, and the PDU's is still to come.
    if (!ExchangeInStep(port, pdu, answer, kOkTerminator, kSubmitPduTimeouts))
        return {};
    if (!HasSubmitResult(answer.Text())) {
        port.MarkOutOfStep();
        return {};
    }
    return {true, ParseSubmitReference(answer.Text())};
}

}  // namespace mivex::phone
