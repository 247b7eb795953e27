#include "phone/submit_reference.h"

namespace mivex::phone {

std::optional<std::uint8_t> ParseSubmitReference(std::string_view answer) {
    constexpr std::string_view kResultLine = "+CMGS:";
    constexpr int kHighestReference = 255;
    constexpr std::size_t kMaxDigits = 3;
    const std::size_t line = answer.find(kResultLine);
    if (line == std::string_view::npos)
        return std::nullopt;
    std::size_t at = line + kResultLine.size();
    while (at < answer.size() && answer[at] == ' ')
        ++at;
    int value = 0;
    std::size_t digits = 0;
    for (; at < answer.size() && answer[at] >= '0' && answer[at] <= '9'; ++at, ++digits) {
        if (digits == kMaxDigits)
            return std::nullopt;
        value = value * 10 + (answer[at] - '0');
    }
    const bool ended =
        at == answer.size() || answer[at] == '\r' || answer[at] == '\n' || answer[at] == ',';
    if (digits == 0 || !ended || value > kHighestReference)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

}  // namespace mivex::phone
