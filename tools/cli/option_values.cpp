#include "option_values.h"

#include <charconv>
#include <limits>
#include <optional>

#include "options/option_defaults.h"
#include "text/utf8.h"

namespace mivex::tools {

namespace {

using options::Option;

[[nodiscard]] CheckedOptionValue Refused(std::string problem) {
    return {{}, std::move(problem)};
}

[[nodiscard]] std::string Named(Option option) {
    return std::string(options::OptionName(option));
}

CheckedOptionValue CheckInteger(Option option, std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error == std::errc::invalid_argument || stop != end)
        return Refused(Named(option) + " takes a whole number, not \"" + std::string(text) + "\"");
    const options::IntegerRange range = options::RangeOf(option);
    if (error == std::errc::result_out_of_range || value < range.lowest || value > range.highest) {
        if (range.highest == std::numeric_limits<std::int32_t>::max())
            return Refused(Named(option) + " must be at least " + std::to_string(range.lowest) +
                           " and fit in 32 bits, not " + std::string(text));
        return Refused(Named(option) + " must be " + std::to_string(range.lowest) + " to " +
                       std::to_string(range.highest) + ", not " + std::string(text));
    }
    return {value, {}};
}

CheckedOptionValue CheckString(Option option, std::string_view text) {
    std::optional<std::u16string> value = text::Utf8ToUtf16(text);
    if (!value)
        return Refused(Named(option) + " is not valid UTF-8");
    if (value->size() > options::kMaxOptionChars) {
        return Refused(Named(option) + " has " + std::to_string(value->size()) +
                       " characters; at most " + std::to_string(options::kMaxOptionChars) +
                       " can be stored");
    }
    return {std::move(*value), {}};
}

}  // namespace

CheckedOptionValue CheckOptionValue(Option option, std::string_view text) {
    return options::IsStringOption(option) ? CheckString(option, text) : CheckInteger(option, text);
}

}  // namespace mivex::tools
