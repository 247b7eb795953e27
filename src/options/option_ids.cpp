#include "options/option_ids.h"

#include <array>

namespace mivex::options {

namespace {

constexpr std::array<std::string_view, kOptionCount> kNames = {
    "UsePhoneServiceCentre",
    "DeleteAfterReceive",
    "ShowAllContactNumbers",
    "SoundsOff",
    "ValidityPeriod",
    "StatusReport",
    "ReplyPath",
    "ServiceCentre",
    "NameOrder",
    "RemoveNumberTag",
    "Port",
    "BaudRate",
    "DataBits",
    "StopBits",
    "FlowControl",
    "Category",
    "GsmAlphabetOnly",
    "ReceiveAsTheyArrive",
};

}  // namespace

std::string_view OptionName(Option option) {
    return kNames.at(static_cast<std::size_t>(option));
}

std::optional<Option> OptionByName(std::string_view name) {
    for (std::size_t index = 0; index < kNames.size(); ++index) {
        if (kNames[index] == name)
            return static_cast<Option>(index);
    }
    return std::nullopt;
}

}  // namespace mivex::options
