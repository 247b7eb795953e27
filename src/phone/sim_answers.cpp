#include "phone/sim_answers.h"

#include <array>

namespace mivex::phone {

namespace {

// A phone answers these well within a line; longer is not a count.
constexpr int kMaxRetries = 99;

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

// The rest of the first line of `answer` that starts with `prefix`.
std::optional<std::string_view> LineAfter(std::string_view answer, std::string_view prefix) {
    std::size_t start = 0;
    while (start < answer.size()) {
        std::size_t end = answer.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = answer.size();
        const std::string_view line = answer.substr(start, end - start);
        if (line.starts_with(prefix))
            return line.substr(prefix.size());
        start = end + 1;
    }
    return std::nullopt;
}

struct CodeState {
    std::string_view code;
    SimState state;
};

// The <code> values of AT+CPIN? (27.007 8.3), and two that phones print
// for a missing or starting SIM.
constexpr std::array<CodeState, 18> kPinCodes = {{
    {"READY", SimState::Ready},
    {"SIM PIN", SimState::SimPin},
    {"SIM PUK", SimState::SimPuk},
    {"SIM PIN2", SimState::SimPin2},
    {"SIM PUK2", SimState::SimPuk2},
    {"PH-SIM PIN", SimState::PhoneSimPin},
    {"PH-FSIM PIN", SimState::PhoneSimPin},
    {"PH-FSIM PUK", SimState::PhoneSimPin},
    {"PH-NET PIN", SimState::NetworkLock},
    {"PH-NET PUK", SimState::NetworkLock},
    {"PH-NETSUB PIN", SimState::NetworkLock},
    {"PH-NETSUB PUK", SimState::NetworkLock},
    {"PH-SP PIN", SimState::NetworkLock},
    {"PH-SP PUK", SimState::NetworkLock},
    {"PH-CORP PIN", SimState::NetworkLock},
    {"PH-CORP PUK", SimState::NetworkLock},
    {"NOT INSERTED", SimState::NoSim},
    {"NOT READY", SimState::SimBusy},
}};

std::optional<int> Number(std::string_view digits) {
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<SimState> ParsePinState(std::string_view answer) {
    const std::optional<std::string_view> rest = LineAfter(answer, "+CPIN:");
    if (!rest)
        return std::nullopt;
    const std::string_view code = Trimmed(*rest);
    for (const CodeState& known : kPinCodes) {
        if (code == known.code)
            return known.state;
    }
    return code.empty() ? std::nullopt : std::optional<SimState>(SimState::OtherLock);
}

std::optional<int> ParsePinRetries(std::string_view answer, std::string_view code) {
    std::size_t start = 0;
    while (start < answer.size()) {
        std::size_t end = answer.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = answer.size();
        std::string_view line = answer.substr(start, end - start);
        start = end + 1;
        if (!line.starts_with("+CPINR:"))
            continue;
        line.remove_prefix(7);
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos || Trimmed(line.substr(0, comma)) != code)
            continue;
        std::string_view count = line.substr(comma + 1);
        const std::optional<int> retries = Number(Trimmed(count.substr(0, count.find(','))));
        if (retries && *retries <= kMaxRetries)
            return retries;
        return std::nullopt;
    }
    return std::nullopt;
}

bool IsPinText(std::string_view pin) {
    if (pin.size() < kMinPinDigits || pin.size() > kMaxPinDigits)
        return false;
    for (const char c : pin) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

}  // namespace mivex::phone
