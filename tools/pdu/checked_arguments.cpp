#include "checked_arguments.h"

#include <optional>

#include "sms/dial_number.h"
#include "sms/submit_encoder.h"
#include "text/utf8.h"

namespace mivex::tools {

namespace {

[[nodiscard]] CheckedArgument Refused(std::string problem) {
    return {{}, std::move(problem)};
}

[[nodiscard]] std::string TooLong(std::string_view what, std::size_t length, std::size_t limit,
                                  std::string_view unit = "characters") {
    return std::string(what) + " has " + std::to_string(length) + " " + std::string(unit) +
           "; at most " + std::to_string(limit) + " are allowed";
}

// Converts and filters a number; the problem names the option on failure.
[[nodiscard]] CheckedArgument FilteredNumber(std::string_view option, std::string_view utf8) {
    std::optional<std::u16string> number = text::Utf8ToUtf16(utf8);
    if (!number) {
        return Refused(std::string(option) + " is not valid UTF-8");
    }
    sms::FilterDialChars(*number);
    return {std::move(*number), {}};
}

}  // namespace

CheckedArgument CheckRecipient(std::string_view utf8) {
    const std::optional<std::u16string> typed = text::Utf8ToUtf16(utf8);
    if (typed && !sms::IsUsableRecipientNumber(*typed)) {
        return Refused(
            "--to must hold a digit and nothing but 0-9 * # + p w and the separators "
            "space - . ( ) /");
    }
    CheckedArgument recipient = FilteredNumber("--to", utf8);
    if (!recipient.ok()) {
        return recipient;
    }
    if (recipient.value.size() > sms::kMaxNumberLength) {
        return Refused(TooLong("--to", recipient.value.size(), sms::kMaxNumberLength));
    }
    return recipient;
}

CheckedArgument CheckServiceCentre(std::string_view utf8) {
    CheckedArgument serviceCentre = FilteredNumber("--sc", utf8);
    if (!serviceCentre.ok()) {
        return serviceCentre;
    }
    if (!sms::IsUsableServiceCentre(serviceCentre.value)) {
        return Refused("--sc must begin with \"+\" and hold at least one more dial character");
    }
    if (serviceCentre.value.size() > sms::kMaxNumberLength) {
        return Refused(TooLong("--sc", serviceCentre.value.size(), sms::kMaxNumberLength));
    }
    return serviceCentre;
}

CheckedArgument CheckMessageText(std::string_view utf8) {
    std::optional<std::u16string> text = text::Utf8ToUtf16(utf8);
    if (!text) {
        return Refused("TEXT is not valid UTF-8");
    }
    if (text->size() > sms::kMaxMessageChars) {
        return Refused(TooLong("TEXT", text->size(), sms::kMaxMessageChars, "UTF-16 units"));
    }
    return {std::move(*text), {}};
}

}  // namespace mivex::tools
