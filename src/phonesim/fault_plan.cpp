#include "phonesim/fault_plan.h"

#include <algorithm>
#include <charconv>

namespace mivex::phonesim {
namespace {

constexpr std::string_view kAnyLine = "*";
constexpr std::string_view kPduLine = "PDU";
constexpr int kMaxFaultCount = 100000;

std::optional<int> ParseCount(std::string_view text) {
    int value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc{} || end != text.data() + text.size() || value < 0 ||
        value > kMaxFaultCount) {
        return std::nullopt;
    }
    return value;
}

bool NeedsArgument(FaultKind kind) {
    return kind != FaultKind::Silent && kind != FaultKind::Error;
}

}  // namespace

std::string NormalisePattern(std::string_view pattern) {
    std::string upper(pattern);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    if (upper == kAnyLine || upper == kPduLine || upper.starts_with("AT")) {
        return upper;
    }
    return "AT" + upper;
}

bool PatternMatches(std::string_view pattern, std::string_view line) {
    if (pattern == kAnyLine) {
        return true;
    }
    if (!line.starts_with(pattern)) {
        return false;
    }
    // "+CSCA?" and the bare "AT" end the pattern themselves; a name ends at "=" or "?".
    return line.size() == pattern.size() || line[pattern.size()] == '=' ||
           line[pattern.size()] == '?';
}

std::optional<CommandFault> ParseCommandFault(FaultKind kind, std::string_view request,
                                              std::string& error) {
    const std::size_t space = request.find(' ');
    const std::string_view pattern = request.substr(0, space);
    const std::string_view argument =
        space == std::string_view::npos ? std::string_view{} : request.substr(space + 1);
    if (pattern.empty()) {
        error = "\"" + std::string(request) + "\" names no command";
        return std::nullopt;
    }
    if (NeedsArgument(kind) == argument.empty()) {
        error = NeedsArgument(kind) ? "\"" + std::string(request) + "\" needs a command and a " +
                                          (kind == FaultKind::Unsolicited ? "line" : "number")
                                    : "\"" + std::string(request) + "\" needs a command only";
        return std::nullopt;
    }
    CommandFault fault;
    fault.kind = kind;
    fault.pattern = NormalisePattern(pattern);
    if (kind == FaultKind::Unsolicited) {
        fault.text = std::string(argument);
    } else if (NeedsArgument(kind)) {
        const std::optional<int> count = ParseCount(argument);
        if (!count) {
            error = "\"" + std::string(argument) + "\" is not a number from 0 to 100000";
            return std::nullopt;
        }
        fault.count = *count;
    }
    return fault;
}

std::vector<const CommandFault*> FaultPlan::Matching(std::string_view line) const {
    std::vector<const CommandFault*> matching;
    for (const CommandFault& fault : commandFaults) {
        if (PatternMatches(fault.pattern, line)) {
            matching.push_back(&fault);
        }
    }
    return matching;
}

bool FaultPlan::RefusesSubmission(int number) const {
    return std::find(refusedSubmissions.begin(), refusedSubmissions.end(), number) !=
           refusedSubmissions.end();
}

bool FaultPlan::MuteLine() const {
    return std::any_of(commandFaults.begin(), commandFaults.end(), [](const CommandFault& fault) {
        return fault.kind == FaultKind::Silent && fault.pattern == kAnyLine;
    });
}

}  // namespace mivex::phonesim
