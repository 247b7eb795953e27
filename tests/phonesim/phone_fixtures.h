#pragma once

// Shared pieces of the simulated phone's tests: a fixed clock, sample PDUs,
// faults and an interpreter that answers one command line at a time.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "phonesim/at_interpreter.h"
#include "sms/hex_text.h"

namespace mivex::phonesim::test {

// An SMS-DELIVER "Hi" from +44770090012, no service centre, as AT+CMGR prints it.
inline constexpr std::string_view kHiDeliver = "00040B914477000910F200004021513150800002C834";
// The SUBMIT the program makes for "Hi" to +44770090012: AT+CMGS=16.
inline constexpr std::string_view kHiSubmit = "0011000B914477000910F200000B02C834";

inline LocalTime FixedTime() {
    return {{2024, 3, 9, 14, 5, 59, 0}, 60};
}

inline PhoneStores StoresWith(std::initializer_list<std::pair<int, std::string_view>> phone,
                              std::initializer_list<std::pair<int, std::string_view>> sim = {},
                              int capacity = 30) {
    PhoneStores stores{MessageStore(capacity), MessageStore(capacity)};
    for (auto [store, slots] : {std::pair{&stores.phone, phone}, std::pair{&stores.sim, sim}})
        for (const auto& [slot, hex] : slots)
            EXPECT_TRUE(store->Put(slot, {sms::HexToBytes(hex), MessageStatus::ReceivedUnread}));
    return stores;
}

// A command fault in its command-line form, "PATTERN [ARGUMENT]".
inline CommandFault Fault(FaultKind kind, std::string_view request) {
    std::string error;
    std::optional<CommandFault> fault = ParseCommandFault(kind, request, error);
    EXPECT_TRUE(fault.has_value()) << request << ": " << error;
    return fault.value_or(CommandFault{});
}

inline FaultPlan Plan(std::vector<CommandFault> faults) {
    FaultPlan plan;
    plan.commandFaults = std::move(faults);
    return plan;
}

// An interpreter with echo off, as the program leaves a phone after start-up.
class Phone {
public:
    explicit Phone(PhoneStores stores = StoresWith({{1, kHiDeliver}}), FaultPlan faults = {},
                   PhoneSettings settings = {})
        : interpreter_(std::move(stores), std::move(settings), std::move(faults), FixedTime) {
        (void)interpreter_.Feed("ATE0\r");
    }

    // Everything the phone sends back for `bytes`.
    std::string operator()(std::string_view bytes) { return Feed(bytes).bytes; }
    InterpreterOutput Feed(std::string_view bytes) { return interpreter_.Feed(bytes); }
    Interpreter& interpreter() { return interpreter_; }

private:
    Interpreter interpreter_;
};

}  // namespace mivex::phonesim::test
