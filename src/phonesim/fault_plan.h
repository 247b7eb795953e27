#pragma once

// What a simulated phone is told to get wrong, for tests of the clients that
// talk to it. Command faults name the command lines they hit by a pattern: the
// line as the client sent it ("AT" may be left out, case does not matter),
// matching a line that equals it or goes on with "=" or "?" ("+CMGR" hits
// "AT+CMGR=3" but "+CMGR=3" does not hit "AT+CMGR=31"). "PDU" matches the hex
// text a client sends after the "> " prompt, and "*" matches every line and
// every PDU.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::phonesim {

enum class FaultKind {
    Unsolicited,  // a line such as +CMTI: "SM",3 or RING before the answer
    Garbage,      // `count` noise bytes before the answer
    Silent,       // no answer at all; the command is not carried out
    Error,        // "ERROR" instead of the answer; the command is not carried out
    CmsError,     // "+CMS ERROR: `count`" instead of the answer, whatever AT+CMEE says
    Cut,          // the line closes after `count` bytes of the answer
    Late,         // the answer comes `count` ms late, as from a slow SIM; later
                  // answers wait behind it, as a phone answers in order
};

struct CommandFault {
    FaultKind kind = FaultKind::Error;
    std::string pattern;  // normalised: upper case, "AT" first unless "*" or "PDU"
    std::string text;     // Unsolicited: the line
    int count = 0;        // Garbage, CmsError, Cut, Late

    friend bool operator==(const CommandFault&, const CommandFault&) = default;
};

// The pattern every fault and every line is compared in.
[[nodiscard]] std::string NormalisePattern(std::string_view pattern);

// Whether `pattern` (normalised) hits `line` (normalised).
[[nodiscard]] bool PatternMatches(std::string_view pattern, std::string_view line);

// A command fault from its command-line form: "PATTERN" for Silent and Error,
// "PATTERN LINE" for Unsolicited, "PATTERN NUMBER" for the others. Nothing,
// with `error` set, for a malformed request.
[[nodiscard]] std::optional<CommandFault> ParseCommandFault(FaultKind kind,
                                                            std::string_view request,
                                                            std::string& error);

struct FaultPlan {
    std::vector<CommandFault> commandFaults;
    // An empty slot read with AT+CMGR answers "+CMS ERROR: 321" instead of a
    // bare OK, as some phones do.
    bool emptySlotError = false;
    // Which AT+CMGS submissions (counted from 1) the network refuses after the PDU.
    std::vector<int> refusedSubmissions;

    // The faults that hit `line` (normalised), in the order they were given.
    [[nodiscard]] std::vector<const CommandFault*> Matching(std::string_view line) const;
    [[nodiscard]] bool RefusesSubmission(int number) const;
    // A phone silent on every line is a dead line: it does not even echo.
    [[nodiscard]] bool MuteLine() const;
};

}  // namespace mivex::phonesim
