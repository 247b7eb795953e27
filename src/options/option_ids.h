#pragma once

// The user settings, by their property number in the options record,
// and the read side that the phone link and the transfers are handed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mivex::options {

enum class Option : std::uint16_t {
    UsePhoneServiceCentre = 0,  // I4
    DeleteAfterReceive = 1,     // I4
    ShowAllContactNumbers = 2,  // I4
    SoundsOff = 3,              // I4
    ValidityPeriod = 4,         // I4: 0 one hour, 1 twelve hours, 2 one day, 3 one week
    StatusReport = 5,           // I4
    ReplyPath = 6,              // I4
    ServiceCentre = 7,          // string
    NameOrder = 8,              // I4
    RemoveNumberTag = 9,        // I4
    Port = 10,                  // string
    BaudRate = 11,              // I4
    DataBits = 12,              // I4
    StopBits = 13,              // I4: 0 one, 1 one and a half, 2 two
    FlowControl = 14,           // I4: 0 none, 1 hardware, 2 software
    Category = 15,              // string
    // I4: 1 sends every text in the GSM alphabet alone, characters outside it
    // as "?", for recipients whose phones cannot show Unicode texts.
    GsmAlphabetOnly = 16,
    // I4: 0 keeps the phone's port closed between the runs the user starts;
    // absent or 1 keeps it open while the window is, storing new messages as
    // the phone announces them.
    ReceiveAsTheyArrive = 17,
};

inline constexpr int kOptionCount = 18;

// Stored strings longer than this read back as absent.
inline constexpr std::size_t kMaxOptionChars = 99;

[[nodiscard]] constexpr bool IsStringOption(Option option) {
    return option == Option::ServiceCentre || option == Option::Port || option == Option::Category;
}

// The option's name as people type it ("BaudRate"), and back.
[[nodiscard]] std::string_view OptionName(Option option);
[[nodiscard]] std::optional<Option> OptionByName(std::string_view name);

// Read access to the settings. Every read goes to the store (nothing is
// cached), so a change takes effect at the next use. An absent option reads
// as 0 or the empty string and the result is false.
class OptionReader {
public:
    virtual ~OptionReader() = default;

    virtual bool ReadOption(Option option, std::int32_t& value) = 0;
    virtual bool ReadOption(Option option, std::u16string& value) = 0;
};

}  // namespace mivex::options
