#pragma once

// The AT command exchanges of a transfer (3GPP TS 27.005, PDU mode). Each
// sends one command over an open port and reads the answer into a 500-byte
// buffer; any answer containing "ERROR" (plain or "+CMS ERROR: n") fails the
// exchange. Nothing is retried and nothing is shown: the result says what
// happened and the caller decides.
//
// Only fixed command texts, decimal numbers and checked hex text ever reach
// the line; anything else is refused before a byte is written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "phone/answer_parsers.h"
#include "phone/serial_line.h"
#include "phone/submit_reference.h"

namespace mivex::phone {

// Write and read time-outs in milliseconds.
struct ExchangeTimeouts {
    std::uint32_t writeMs;
    std::uint32_t readMs;
};

inline constexpr std::string_view kOkTerminator = "\r\nOK\r\n";
inline constexpr std::string_view kPromptTerminator = "\r\n> ";
inline constexpr ExchangeTimeouts kStartupTimeouts{1000, 2000};
inline constexpr ExchangeTimeouts kStoreTimeouts{1000, 3000};  // CPMS, CSCA, CMGR, CMGD
inline constexpr ExchangeTimeouts kSubmitPromptTimeouts{3000, 3000};
inline constexpr ExchangeTimeouts kSubmitPduTimeouts{10000, 20000};
// Between the prompt and the PDU, for phones that show the prompt early.
inline constexpr std::uint32_t kSubmitPauseMs = 200;

// Writes `command`, then reads the answer into `answer` until `terminator`.
// The write's own result is not looked at: a failed write shows up as a read
// that fails.
//
// An answer is only ever taken for the command that was just sent. A read
// that does not end on its terminator (a time-out, "ERROR", a full buffer, a
// failed line) leaves an answer the phone may still send, and input waiting
// before a command is an answer nobody asked for: either way the line is out
// of step, and before the next command it is brought back by BringIntoStep.
// While the phone answers every command in time, nothing is sent or waited
// for beyond the command itself. False, with nothing sent, on a lost line.
[[nodiscard]] bool Exchange(PortHandle& port, std::string_view command, ResponseBuffer& answer,
                            std::string_view terminator, ExchangeTimeouts timeouts);

// The command that brings the line back into step: ESC first, which ends a
// "> " prompt that came too late so that the command is not taken as a PDU,
// then a query whose answer line no command of the program draws.
inline constexpr std::string_view kStepCommand =
    "\x1b"
    "AT+CMGF?\r";
inline constexpr std::string_view kStepAnswerLine = "+CMGF:";
inline constexpr int kStepAttempts = 3;
// The line counts as quiet once no byte has come for this long.
inline constexpr std::uint32_t kQuietMs = 100;
// A bare OK to AT+CMGR is watched for bytes right behind it for this many
// byte times at the line's speed (10 bits a byte), and a millisecond more.
inline constexpr std::uint32_t kBareAnswerWatchBytes = 3;

// Drops what is waiting, sends kStepCommand and reads answers until one holds
// kStepAnswerLine; as a phone answers in order, every late answer came before
// it. The line must then stay quiet for kQuietMs, or an answer of an earlier
// attempt may have been taken for this one's and the next attempt starts.
// Each attempt has the store commands' time-outs. True when the line is in
// step again; after kStepAttempts, or when the line failed, it is lost.
[[nodiscard]] bool BringIntoStep(PortHandle& port);

// AT+CPMS="<store>": selects the store that reads and deletes use and returns
// its counts (see ParseStorageCounts). `store` is a memory name of two
// upper-case letters ("ME", "SM"); anything else is refused unsent.
[[nodiscard]] std::optional<StorageCounts> SelectStorage(PortHandle& port, std::string_view store);

// AT+CSCA?: the phone's service-centre number as the phone gave it (see
// ParseServiceCentre); empty on failure.
[[nodiscard]] std::string GetServiceCentre(PortHandle& port);

// AT+CMGR=<index>: the PDU stored at `index`, service-centre field first.
// Empty when the slot is empty, the exchange failed or `index` is negative.
// The bare OK of an empty slot is also what a stray line looks like; when
// bytes follow it within kBareAnswerWatchBytes byte times, it was one, and
// the line is out of step.
[[nodiscard]] std::vector<std::uint8_t> ReadStoredMessage(PortHandle& port, int index);

// AT+CMGD=<index>. False when the phone did not confirm or `index` is negative.
// The one command that loses something when it goes to the wrong slot: when
// the line is out of step, or input waits before it, the answer taken for
// the slot's read may not have been that read's, so nothing is sent; the
// line is brought back into step for the commands that follow.
[[nodiscard]] bool DeleteStoredMessage(PortHandle& port, int index);

// AT+CMGS=<tpduOctets>, then the PDU as hex text and Ctrl-Z once the phone
// prompts. `hexPdu` is the whole PDU, service-centre field included, as hex
// digit pairs; `tpduOctets` counts the octets after the service-centre field
// and must agree with the hex text. True when the phone answered OK. Refused
// unsent when the text is not hex or the count does not fit it; nothing is
// written after the command when no prompt came.
[[nodiscard]] bool SubmitPdu(PortHandle& port, std::string_view hexPdu, int tpduOctets);

// SubmitPdu, also giving the message reference of the phone's "+CMGS:" line
// (see ParseSubmitReference).
[[nodiscard]] SubmitAnswer SubmitPduForReference(PortHandle& port, std::string_view hexPdu,
                                                 int tpduOctets);

}  // namespace mivex::phone
