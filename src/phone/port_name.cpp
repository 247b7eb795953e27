#include "phone/port_name.h"

#include "text/utf8.h"

namespace mivex::phone {

namespace {

// Serial ports past this number do not exist; a longer run of digits is just
// a name, not an index that could overflow.
constexpr int kMaxComNumber = 9999;

// n for "COMn" (case-insensitive, n from 1 and without leading zeros).
std::optional<int> ComPortNumber(std::u16string_view name) {
    if (name.size() < 4 || name.size() > 7)
        return std::nullopt;
    const auto upper = [](char16_t unit) {
        return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
    };
    if (upper(name[0]) != u'C' || upper(name[1]) != u'O' || upper(name[2]) != u'M')
        return std::nullopt;
    if (name[3] == u'0')
        return std::nullopt;
    int number = 0;
    for (const char16_t unit : name.substr(3)) {
        if (unit < u'0' || unit > u'9')
            return std::nullopt;
        number = number * 10 + (unit - u'0');
    }
    if (number > kMaxComNumber)
        return std::nullopt;
    return number;
}

}  // namespace

std::u16string CutPortName(std::u16string_view storedName) {
    if (storedName.empty())
        return std::u16string(kDefaultPortName);
    const std::size_t colon = storedName.find(u':');
    return std::u16string(colon == std::u16string_view::npos ? storedName
                                                             : storedName.substr(0, colon + 1));
}

std::optional<std::string> DevicePathForPort(std::u16string_view portName) {
    std::u16string_view name = portName.substr(0, portName.find(u':'));
    if (name.empty() || name.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    if (const std::optional<int> number = ComPortNumber(name))
        return "/dev/ttyS" + std::to_string(*number - 1);
    std::string path = text::Utf16ToUtf8(name);
    if (path.front() != '/')
        path.insert(0, "/dev/");
    return path;
}

}  // namespace mivex::phone
