#include "phonesim/at_interpreter.h"

#include <utility>

#include "sms/hex_text.h"

namespace mivex::phonesim {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kBackspace = '\b';
constexpr char kCtrlZ = 26;
constexpr char kEscape = 27;

// What the PDU stage of AT+CMGS and AT+CMGW is matched as by faults.
constexpr std::string_view kPduStage = "PDU";

// The message commands that read or write the SIM's files (stores, service
// centre); the mode settings work without a SIM.
bool NeedsSim(std::string_view name) {
    for (const std::string_view command :
         {"+CPMS", "+CSCA", "+CMGR", "+CMGL", "+CMGD", "+CMGS", "+CMGW"}) {
        if (name == command) {
            return true;
        }
    }
    return false;
}

}  // namespace

Interpreter::Interpreter(PhoneStores stores, PhoneSettings settings, FaultPlan faults,
                         LocalClock clock)
    : stores_(std::move(stores)),
      settings_(std::move(settings)),
      faults_(std::move(faults)),
      clock_(std::move(clock)),
      muteLine_(faults_.MuteLine()),
      sim_(settings_.sim),
      reports_(settings_.report) {}

InterpreterOutput Interpreter::Feed(std::string_view bytes) {
    InterpreterOutput out;
    StoreDueReports(out);
    for (const char byte : bytes) {
        if (lineCut_) {
            break;
        }
        if (pduRequest_) {
            FeedPduByte(byte, out);
        } else {
            FeedCommandByte(byte, out);
        }
    }
    out.storesChanged = std::exchange(storesChanged_, false);
    return out;
}

void Interpreter::FeedCommandByte(char byte, InterpreterOutput& out) {
    if (modes_.echo && !muteLine_) {
        out.bytes += byte;
    }
    switch (byte) {
        case kCarriageReturn: {
            const std::string line = std::exchange(line_, {});
            RunLine(line, std::exchange(lineOverflowed_, false), out);
            return;
        }
        case kLineFeed:
            return;  // clients end lines with CR LF; the CR already ran the line
        case kEscape:
            // Clients send ESC to leave a prompt they lost track of; here it
            // throws away whatever was typed before it.
            line_.clear();
            lineOverflowed_ = false;
            return;
        case kBackspace:
            if (!line_.empty()) {
                line_.pop_back();
            }
            return;
        default:
            if (line_.size() < kMaxCommandLine) {
                line_ += byte;
            } else {
                lineOverflowed_ = true;
            }
    }
}

void Interpreter::FeedPduByte(char byte, InterpreterOutput& out) {
    switch (byte) {
        case kCtrlZ:
            FinishPdu(out);
            return;
        case kEscape:
            pduRequest_.reset();
            pduHex_.clear();
            pduOverflowed_ = false;
            out.bytes += FormatAnswer({}, Result::Ok(), modes_.style);
            return;
        default:
            break;
    }
    if (modes_.echo) {
        out.bytes += byte;
    }
    if (byte == kCarriageReturn || byte == kLineFeed || byte == ' ') {
        return;
    }
    if (pduHex_.size() < kMaxPduHexDigits) {
        pduHex_ += byte;
    } else {
        pduOverflowed_ = true;
    }
}

template <typename ExecuteFn>
void Interpreter::Answer(std::string_view line, InterpreterOutput& out, ExecuteFn execute) {
    const std::size_t answerStart = out.bytes.size();
    bool silent = false;
    std::optional<std::string> replacement;
    std::optional<int> cut;
    std::optional<int> late;
    for (const CommandFault* fault : faults_.Matching(line)) {
        switch (fault->kind) {
            case FaultKind::Unsolicited:
                out.bytes += FormatUnsolicited(fault->text, modes_.style);
                break;
            case FaultKind::Garbage:
                out.bytes += Noise(fault->count);
                break;
            case FaultKind::Silent:
                silent = true;
                break;
            case FaultKind::Error:
                replacement = replacement.value_or(FormatAnswer({}, Result::Error(), modes_.style));
                break;
            case FaultKind::CmsError:
                // Given whatever AT+CMEE says: the point is to show a client
                // the coded form it did not ask for.
                replacement = replacement.value_or(
                    FormatAnswer({}, Result::CmsAlways(fault->count), modes_.style));
                break;
            case FaultKind::Cut:
                cut = cut.value_or(fault->count);
                break;
            case FaultKind::Late:
                late = late.value_or(fault->count);
                break;
        }
    }
    if (silent) {
        // Nothing is carried out either, as if the phone never saw the line.
    } else if (replacement) {
        out.bytes += *replacement;
    } else {
        answering_ = true;
        execute();
        answering_ = false;
    }
    if (late && !out.hold) {
        out.hold = InterpreterOutput::Hold{answerStart, *late};
    }
    if (cut) {
        out.cutAt = std::min(answerStart + static_cast<std::size_t>(*cut), out.bytes.size());
        lineCut_ = true;
    }
}

void Interpreter::RunLine(const std::string& line, bool overflowed, InterpreterOutput& out) {
    const std::string normal = NormaliseCommandLine(line);
    // V.250: characters before "AT" are noise; a line without it gets no answer.
    if (!normal.starts_with("AT")) {
        return;
    }
    Answer(normal, out, [&] {
        if (overflowed) {
            out.bytes += FormatAnswer({}, Result::Error(), modes_.style);
            return;
        }
        out.bytes += Execute(std::string_view(normal).substr(2));
        if (pendingRequest_) {
            if (pendingRequest_->purpose == PduPurpose::Send) {
                ++submissions_;
            }
            pduRequest_ = std::exchange(pendingRequest_, std::nullopt);
            pduHex_.clear();
            pduOverflowed_ = false;
        } else {
            out.bytes += std::exchange(afterAnswer_, {});
        }
    });
}

std::string Interpreter::Execute(std::string_view body) {
    pendingRequest_.reset();
    const std::optional<std::vector<AtCommand>> commands = SplitCommands(body);
    if (!commands) {
        return FormatAnswer({}, Result::Error(), modes_.style);
    }
    std::vector<std::string> information;
    for (std::size_t i = 0; i < commands->size(); ++i) {
        Reply reply = Dispatch((*commands)[i]);
        information.insert(information.end(), reply.information.begin(), reply.information.end());
        const bool last = i + 1 == commands->size();
        if (reply.result.kind == ResultKind::Prompt && !last) {
            // The PDU would have to follow the prompt, so nothing may come after it.
            pendingRequest_.reset();
            reply.result = Result::Error();
        }
        if (reply.result.Failed() || reply.result.kind == ResultKind::Prompt) {
            return FormatAnswer(information, reply.result, modes_.style);
        }
    }
    return FormatAnswer(information, Result::Ok(), modes_.style);
}

Interpreter::Reply Interpreter::Dispatch(const AtCommand& command) {
    // A locked, missing or starting SIM refuses what needs its files.
    if (NeedsSim(command.name)) {
        if (const std::optional<int> error = sim_.MessageCommandError()) {
            return {{}, Result::Cms(*error)};
        }
    }
    for (const auto* handlers : {&GeneralHandlers(), &MessageHandlers()}) {
        const auto found = handlers->find(command.name);
        if (found != handlers->end()) {
            return (this->*(found->second))(command);
        }
    }
    if (command.name.size() > 1 && command.name[0] == 'S') {
        return SRegister(command);
    }
    return {{}, Result::Error()};
}

void Interpreter::FinishPdu(InterpreterOutput& out) {
    const PduRequest request = *std::exchange(pduRequest_, std::nullopt);
    const std::string hex = std::exchange(pduHex_, {});
    const bool overflowed = std::exchange(pduOverflowed_, false);
    Answer(kPduStage, out, [&] {
        std::vector<std::string> information;
        Result result = Result::Cms(kCmsInvalidPduParameter);
        if (!overflowed && sms::IsHexText(hex)) {
            const std::vector<std::uint8_t> pdu = sms::HexToBytes(hex);
            if (TpduLength(pdu) == static_cast<std::size_t>(request.length)) {
                result = request.purpose == PduPurpose::Send
                             ? CompleteSubmission(pdu, information, out)
                             : CompleteWrite(pdu, request.status, information);
            }
        }
        out.bytes += FormatAnswer(information, result, modes_.style);
        out.bytes += std::exchange(afterAnswer_, {});
    });
}

std::string Interpreter::Noise(int count) {
    // Bytes with the top bit set, so noise can never spell a result code a
    // client would take for the answer.
    std::string noise;
    for (int i = 0; i < count; ++i) {
        noiseState_ ^= noiseState_ << 13;
        noiseState_ ^= noiseState_ >> 17;
        noiseState_ ^= noiseState_ << 5;
        noise += static_cast<char>(0x80 | (noiseState_ & 0x7F));
    }
    return noise;
}

}  // namespace mivex::phonesim
