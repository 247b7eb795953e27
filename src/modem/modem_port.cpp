#include "modem/modem_port.h"

#include <algorithm>

#include "options/option_ids.h"
#include "phone/port_name.h"

namespace mivex::modem {

namespace {

constexpr std::u16string_view kModemSuffix = u" (ModemManager)";

bool IsIdChar(char character) {
    return (character >= '0' && character <= '9') || (character >= 'A' && character <= 'Z') ||
           (character >= 'a' && character <= 'z') || character == '-' || character == '_' ||
           character == '.';
}

}  // namespace

std::optional<std::string> ModemIdOfPort(std::u16string_view storedPort) {
    const std::u16string cut = phone::CutPortName(storedPort);
    if (!cut.starts_with(kModemPortPrefix) || !cut.ends_with(u':')) {
        return std::nullopt;
    }
    const std::u16string_view id(cut.data() + kModemPortPrefix.size(),
                                 cut.size() - kModemPortPrefix.size() - 1);
    std::string narrow;
    for (const char16_t unit : id) {
        if (unit > 0x7F || !IsIdChar(static_cast<char>(unit))) {
            return std::nullopt;
        }
        narrow.push_back(static_cast<char>(unit));
    }
    if (narrow.empty()) {
        return std::nullopt;
    }
    return narrow;
}

std::optional<std::u16string> ModemPortEntry(const platform::ManagedModem& modem) {
    if (modem.id.empty() || !std::all_of(modem.id.begin(), modem.id.end(), IsIdChar)) {
        return std::nullopt;
    }
    std::u16string entry(kModemPortPrefix);
    entry.append(modem.id.begin(), modem.id.end());
    entry += u':';
    if (entry.size() + 1 + kModemSuffix.size() > options::kMaxOptionChars) {
        return entry.size() <= options::kMaxOptionChars ? std::optional(entry) : std::nullopt;
    }
    // The name is cut, not the suffix, so the entry always says what it is.
    const std::size_t room = options::kMaxOptionChars - entry.size() - 1 - kModemSuffix.size();
    std::u16string name = modem.name.substr(0, room);
    if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) {
        name.pop_back();
    }
    entry += u' ';
    entry += name;
    entry += kModemSuffix;
    return entry;
}

std::vector<std::u16string> MergeModemPorts(std::vector<std::u16string> serialPorts,
                                            const std::vector<platform::ManagedModem>& modems) {
    for (const platform::ManagedModem& modem : modems) {
        if (std::optional<std::u16string> entry = ModemPortEntry(modem)) {
            serialPorts.push_back(std::move(*entry));
        }
    }
    return serialPorts;
}

}  // namespace mivex::modem
