// Any bytes as an answer about the SIM card (AT+CPIN?, AT+CPINR):
// a state or none, a count of tries within 0-99 or none, never a crash; a
// state is only ever read from a line that says it is one.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "phone/sim_answers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using mivex::fuzz::Require;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    if (mivex::phone::ParsePinState(answer))
        Require(answer.find("+CPIN:") != std::string_view::npos, "a state needs a +CPIN: line");
    if (const auto tries = mivex::phone::ParsePinRetries(answer, "SIM PIN"))
        Require(*tries >= 0 && *tries <= 99, "tries are a small count");
    return 0;
}
