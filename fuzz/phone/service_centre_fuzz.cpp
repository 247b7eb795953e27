// Any bytes as an AT+CSCA? answer: the number is the first quoted text from
// the answer's "+CSCA:" line on (from the start when there is none), with at
// most a "+" added in front.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "phone/answer_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using mivex::fuzz::Require;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const std::string number = mivex::phone::ParseServiceCentre(answer);
    if (number.empty())
        return 0;
    Require(number.find('"') == std::string::npos, "the number holds no quote");
    const std::size_t line = answer.find("+CSCA:");
    const std::size_t open = answer.find('"', line == std::string_view::npos ? 0 : line);
    Require(open != std::string_view::npos, "a number needs a quote before it");
    const std::string_view quoted = answer.substr(open + 1, answer.find('"', open + 1) - open - 1);
    Require(number == quoted || (number == "+" + std::string(quoted) && quoted.front() != '+'),
            "the number is the quoted text, with at most a plus sign added");
    return 0;
}
