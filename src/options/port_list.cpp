#include "options/port_list.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>

#include "options/option_ids.h"
#include "text/utf8.h"

namespace mivex::options {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 4> kPortPrefixes = {"ttyS", "ttyUSB", "ttyACM", "rfcomm"};

// Sysfs attributes and udev records are a few hundred bytes; anything much
// larger is not what we are looking for.
constexpr std::streamsize kMaxFileBytes = 64 * 1024;

std::optional<std::string> ReadSmallFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(kMaxFileBytes), '\0');
    in.read(bytes.data(), kMaxFileBytes);
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsPortName(std::string_view name) {
    for (const std::string_view prefix : kPortPrefixes) {
        if (name.size() > prefix.size() && name.starts_with(prefix) &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
    return false;
}

// The 8250 driver registers a fixed number of ttyS devices whether or not a
// UART answers at their address; the serial core reports those as type 0
// (PORT_UNKNOWN), and opening one fails with EIO.
bool IsRealPort(const fs::path& ttyFolder, std::string_view name) {
    if (!name.starts_with("ttyS"))
        return true;
    const std::optional<std::string> type = ReadSmallFile(ttyFolder / "type");
    if (!type)
        return false;
    const std::string_view value = Trimmed(*type);
    return !value.empty() && value != "0";
}

// udev's record of a character device: "E:KEY=VALUE" lines.
std::map<std::string, std::string> UdevProperties(const PortRoots& roots,
                                                  const fs::path& ttyFolder) {
    std::map<std::string, std::string> properties;
    const std::optional<std::string> number = ReadSmallFile(ttyFolder / "dev");
    if (!number)
        return properties;
    const std::string_view majorMinor = Trimmed(*number);
    if (majorMinor.empty() || majorMinor.find('/') != std::string_view::npos)
        return properties;
    const std::optional<std::string> record =
        ReadSmallFile(roots.udevData / ("c" + std::string(majorMinor)));
    if (!record)
        return properties;
    std::istringstream lines(*record);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.starts_with("E:"))
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        properties[line.substr(2, equals - 2)] = line.substr(equals + 1);
    }
    return properties;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// udev's *_ENC values keep the device's own string with unsafe bytes as \xNN.
std::string DecodeEscapes(std::string_view encoded) {
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '\\' && i + 3 < encoded.size() && encoded[i + 1] == 'x') {
            const int high = HexDigit(encoded[i + 2]);
            const int low = HexDigit(encoded[i + 3]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        decoded.push_back(encoded[i]);
    }
    return decoded;
}

std::string Underscored(std::string text) {
    std::replace(text.begin(), text.end(), '_', ' ');
    return text;
}

// "Huawei Technologies Co., Ltd." reads "Huawei Technologies": the maker as
// printed on the box, without the company's legal form.
std::string CompanyName(std::string_view registered) {
    static constexpr std::array<std::string_view, 12> kLegalForms = {
        "Co.",   "Co",          "Ltd.", "Ltd", "Inc.", "Inc",
        "Corp.", "Corporation", "GmbH", "AG",  "LLC",  "Limited"};
    std::string_view name = Trimmed(registered.substr(0, registered.find(',')));
    for (bool cut = true; cut;) {
        cut = false;
        for (const std::string_view form : kLegalForms) {
            if (name.size() > form.size() && name.ends_with(form) &&
                name[name.size() - form.size() - 1] == ' ') {
                name = Trimmed(name.substr(0, name.size() - form.size()));
                cut = true;
            }
        }
    }
    return std::string(name);
}

std::string FirstOf(const std::map<std::string, std::string>& properties,
                    std::string_view fromDatabase, std::string_view encoded,
                    std::string_view plain) {
    if (const auto found = properties.find(std::string(fromDatabase)); found != properties.end())
        return found->second;
    if (const auto found = properties.find(std::string(encoded)); found != properties.end())
        return DecodeEscapes(found->second);
    if (const auto found = properties.find(std::string(plain)); found != properties.end())
        return Underscored(found->second);
    return {};
}

bool StartsWithWord(std::string_view text, std::string_view word) {
    if (word.empty() || text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    }
    return text.size() == word.size() || text[word.size()] == ' ';
}

// Device strings come from the hardware: no control characters reach the
// list, and runs of blanks shrink to one.
std::string Cleaned(std::string_view text) {
    std::string clean;
    for (const char c : text) {
        const bool blank = static_cast<unsigned char>(c) <= 0x20 || c == 0x7f;
        if (!blank)
            clean.push_back(c);
        else if (!clean.empty() && clean.back() != ' ')
            clean.push_back(' ');
    }
    return std::string(Trimmed(clean));
}

// What the user knows the device by; empty when udev has no maker or model.
std::u16string FriendlyName(const std::map<std::string, std::string>& properties) {
    const std::string vendor = CompanyName(
        Cleaned(FirstOf(properties, "ID_VENDOR_FROM_DATABASE", "ID_VENDOR_ENC", "ID_VENDOR")));
    const std::string model =
        Cleaned(FirstOf(properties, "ID_MODEL_FROM_DATABASE", "ID_MODEL_ENC", "ID_MODEL"));
    // "HUAWEI Mobile" from a maker "HUAWEI" is not made "HUAWEI HUAWEI Mobile".
    const std::string_view vendorWord = std::string_view(vendor).substr(0, vendor.find(' '));
    const std::string name = vendor.empty() || StartsWithWord(model, vendorWord) ? model
                             : model.empty()                                     ? vendor
                                             : vendor + " " + model;
    return text::Utf8ToUtf16(name).value_or(std::u16string());
}

// Orders "ttyUSB2" before "ttyUSB10": runs of digits compare by value.
bool NaturalLess(std::u16string_view a, std::u16string_view b) {
    const auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && digit(a[endA]))
                ++endA;
            while (endB < b.size() && digit(b[endB]))
                ++endB;
            std::u16string_view numberA = a.substr(i, endA - i);
            std::u16string_view numberB = b.substr(j, endB - j);
            while (numberA.size() > 1 && numberA.front() == u'0')
                numberA.remove_prefix(1);
            while (numberB.size() > 1 && numberB.front() == u'0')
                numberB.remove_prefix(1);
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

std::u16string Entry(std::string_view deviceName, std::u16string_view friendlyName) {
    std::u16string entry = u"/dev/";
    entry.append(deviceName.begin(), deviceName.end());
    entry += u':';
    if (!friendlyName.empty() && entry.size() + 1 < kMaxOptionChars) {
        entry += u' ';
        entry += friendlyName.substr(0, kMaxOptionChars - entry.size());
        // A cut must not leave half of a surrogate pair.
        if (char16_t last = entry.back(); last >= 0xD800 && last <= 0xDBFF)
            entry.pop_back();
        while (entry.back() == u' ')
            entry.pop_back();
    }
    return entry;
}

}  // namespace

std::vector<std::u16string> ListPorts(const PortRoots& roots) {
    std::vector<std::u16string> entries;
    std::error_code error;
    for (fs::directory_iterator it(roots.sysClassTty, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsPortName(name) || !IsRealPort(it->path(), name))
            continue;
        std::error_code missing;
        if (!fs::exists(roots.dev / name, missing))
            continue;
        entries.push_back(Entry(name, FriendlyName(UdevProperties(roots, it->path()))));
    }
    if (entries.empty())
        return {u"COM1:", u"COM2:"};
    std::sort(entries.begin(), entries.end(), NaturalLess);
    return entries;
}

std::size_t OfferStoredPort(std::vector<std::u16string>& entries, std::u16string_view stored) {
    if (stored.empty())
        return 0;
    if (const auto found = std::find(entries.begin(), entries.end(), stored);
        found != entries.end())
        return static_cast<std::size_t>(found - entries.begin());
    const auto place = std::upper_bound(entries.begin(), entries.end(), stored, NaturalLess);
    const auto added = entries.insert(place, std::u16string(stored));
    return static_cast<std::size_t>(added - entries.begin());
}

void MarkHeldPorts(std::vector<std::u16string>& entries,
                   const std::vector<platform::ManagedModem>& modems) {
    for (std::u16string& entry : entries) {
        const std::size_t colon = entry.find(u':');
        if (colon == std::u16string::npos || entry.ends_with(kHeldPortMark))
            continue;
        const std::string device = text::Utf16ToUtf8(entry.substr(0, colon));
        const bool held = std::any_of(modems.begin(), modems.end(), [&](const auto& modem) {
            return std::find(modem.ports.begin(), modem.ports.end(), device) != modem.ports.end();
        });
        if (held)
            entry += kHeldPortMark;
    }
}

std::u16string WithoutHeldMark(std::u16string_view entry) {
    if (entry.ends_with(kHeldPortMark))
        entry.remove_suffix(kHeldPortMark.size());
    return std::u16string(entry);
}

}  // namespace mivex::options
