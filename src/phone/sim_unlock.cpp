#include "phone/sim_unlock.h"

#include <optional>

#include "phone/at_exchanges.h"
#include "phone/sim_answers.h"

namespace mivex::phone {

namespace {

constexpr std::string_view kPinQuery = "AT+CPIN?\r";
constexpr std::string_view kRetriesQuery = "AT+CPINR=\"SIM PIN\"\r";
constexpr std::string_view kStoreQuery = "AT+CPMS?\r";
constexpr std::string_view kPinTest = "AT+CPIN=?\r";
constexpr std::string_view kMask = "****";
constexpr ExchangeTimeouts kPinTimeouts{kStartupTimeouts.writeMs, kPinAnswerMs};

void ShowProgress(platform::StatusSink& status, std::u16string_view text) {
    status.ShowStatus(text, platform::StatusBeep::None, platform::StatusColour::Blue);
}

// What AT+CPIN? found out.
enum class Query { State, Unknown, Lost };
struct PinStateAnswer {
    Query query = Query::Unknown;
    SimState state = SimState::Ready;
};

PinStateAnswer AskOnce(PortHandle& port, std::string_view command) {
    ResponseBuffer answer;
    const bool ok = Exchange(port, command, answer, kOkTerminator, kStartupTimeouts);
    if (port.Lost())
        return {Query::Lost};
    if (const std::optional<SimState> state = ok ? ParsePinState(answer.Text()) : std::nullopt)
        return {Query::State, *state};
    return {};
}

// Under AT+CMEE=0 a phone without a SIM card answers AT+CPIN? with a plain
// "ERROR", as one that does not know the command does (and an exchange stops
// reading at "ERROR", so a code behind it is never seen). The test form tells
// them apart: a phone that knows the command answers it with OK.
PinStateAnswer AskPinState(PortHandle& port) {
    const PinStateAnswer first = AskOnce(port, kPinQuery);
    if (first.query != Query::Unknown || port.LastEnding() != ReadEnding::ErrorWord)
        return first;
    ResponseBuffer answer;
    if (Exchange(port, kPinTest, answer, kOkTerminator, kStartupTimeouts))
        return {Query::State, SimState::NoSim};
    return {port.Lost() ? Query::Lost : Query::Unknown};
}

std::optional<int> TriesLeft(PortHandle& port) {
    ResponseBuffer answer;
    if (!Exchange(port, kRetriesQuery, answer, kOkTerminator, kStartupTimeouts))
        return std::nullopt;
    return ParsePinRetries(answer.Text(), "SIM PIN");
}

// `text` with every copy of `secret` masked.
std::string Masked(std::string_view text, std::string_view secret) {
    std::string masked(text);
    for (std::size_t at = masked.find(secret); at != std::string::npos;
         at = masked.find(secret, at + kMask.size())) {
        masked.replace(at, secret.size(), kMask);
    }
    return masked;
}

// Sends AT+CPIN="<pin>" once with the trace held back, then traces the
// command and the answer with the PIN masked (a phone whose echo stayed on
// sends the PIN back).
enum class PinAnswer { Accepted, Refused, Unanswered, Lost };
PinAnswer SendPin(PortHandle& port, const std::string& pin) {
    std::string command = "AT+CPIN=\"" + pin + "\"\r";
    Trace* trace = port.trace();
    port.SetTrace(nullptr);
    ResponseBuffer answer;
    const bool ok = Exchange(port, command, answer, kOkTerminator, kPinTimeouts);
    port.SetTrace(trace);
    if (trace != nullptr) {
        (void)trace->TraceWrite(TraceKind::Transmit, Masked(command, pin));
        (void)trace->TraceWrite(TraceKind::Receive, Masked(answer.Text(), pin));
    }
    std::fill(command.begin(), command.end(), '\0');
    if (ok)
        return PinAnswer::Accepted;
    if (port.Lost())
        return PinAnswer::Lost;
    return port.LastEnding() == ReadEnding::ErrorWord ? PinAnswer::Refused : PinAnswer::Unanswered;
}

// Polls until AT+CPIN? says READY and the store selection is answered, for
// at most kSimReadyWaitMs.
SimCheck WaitUntilReady(PortHandle& port, platform::StatusSink& status) {
    ShowProgress(status, kWaitingForSimText);
    platform::Clock& clock = port.clock();
    const std::uint64_t deadline = clock.NowMs() + kSimReadyWaitMs;
    for (;;) {
        const PinStateAnswer state = AskOnce(port, kPinQuery);
        if (state.query == Query::Lost)
            return {std::u16string(kPhoneLostText)};
        if (state.query == Query::State && state.state != SimState::Ready &&
            state.state != SimState::SimBusy)
            return {std::u16string(SimStateText(state.state))};
        if (state.query == Query::State && state.state == SimState::Ready) {
            ResponseBuffer answer;
            if (Exchange(port, kStoreQuery, answer, kOkTerminator, kStoreTimeouts))
                return {};
            if (port.Lost())
                return {std::u16string(kPhoneLostText)};
        }
        if (clock.NowMs() + kSimPollMs > deadline)
            return {std::u16string(kSimNotReadyText)};
        clock.SleepMs(kSimPollMs);
    }
}

SimCheck EnterPin(PortHandle& port, platform::PinPrompter* pins, platform::StatusSink& status) {
    if (pins == nullptr)
        return {std::u16string(SimStateText(SimState::SimPin))};
    const platform::PinQuestion question{TriesLeft(port)};
    std::optional<platform::PinEntry> entry = pins->AskPin(question);
    if (!entry)
        return {std::u16string(kPinNotGivenText)};
    if (!IsPinText(entry->digits)) {
        pins->PinRefused();
        return {std::u16string(kBadPinText)};
    }
    ShowProgress(status, kUnlockingText);
    const PinAnswer answer = SendPin(port, entry->digits);
    std::fill(entry->digits.begin(), entry->digits.end(), '\0');
    switch (answer) {
        case PinAnswer::Accepted:
            pins->PinAccepted();
            return WaitUntilReady(port, status);
        case PinAnswer::Refused: {
            pins->PinRefused();
            // The third wrong PIN blocks the SIM; say so rather than ask again.
            const PinStateAnswer after = AskOnce(port, kPinQuery);
            if (after.query == Query::State && after.state == SimState::SimPuk)
                return {std::u16string(SimStateText(SimState::SimPuk))};
            return {std::u16string(kWrongPinText)};
        }
        case PinAnswer::Unanswered:
            pins->PinRefused();
            return {std::u16string(kPinUnansweredText)};
        case PinAnswer::Lost:
            pins->PinRefused();
            return {std::u16string(kPhoneLostText)};
    }
    return {std::u16string(kWrongPinText)};
}

}  // namespace

SimCheck MakeSimReady(PortHandle& port, platform::PinPrompter* pins, platform::StatusSink& status) {
    const PinStateAnswer state = AskPinState(port);
    if (state.query == Query::Lost)
        return {std::u16string(kPhoneLostText)};
    // A phone that does not know the question, or did not answer it, goes on
    // as before there was one; its message commands tell the rest.
    if (state.query == Query::Unknown)
        return {};
    switch (state.state) {
        case SimState::Ready:
            return {};
        case SimState::SimPin:
            return EnterPin(port, pins, status);
        case SimState::SimBusy:
            return WaitUntilReady(port, status);
        default:
            return {std::u16string(SimStateText(state.state))};
    }
}

}  // namespace mivex::phone
