#include "sms/hex_text.h"

namespace mivex::sms {
namespace {

constexpr int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::uint32_t HexDigitsToInt(std::string_view chars) {
    std::uint32_t value = 0;
    for (const char c : chars) {
        const int digit = DigitValue(c);
        value = value * 16 + static_cast<std::uint32_t>(digit < 0 ? 0 : digit);
    }
    return value;
}

std::vector<std::uint8_t> HexToBytes(std::string_view hex) {
    std::vector<std::uint8_t> octets;
    octets.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        octets.push_back(static_cast<std::uint8_t>(HexDigitsToInt(hex.substr(i, 2))));
    }
    return octets;
}

bool IsHexText(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return false;
    }
    for (const char c : hex) {
        if (DigitValue(c) < 0) {
            return false;
        }
    }
    return true;
}

std::string BytesToHex(std::span<const std::uint8_t> octets) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(octets.size() * 2);
    for (const std::uint8_t octet : octets) {
        hex.push_back(kDigits[octet >> 4]);
        hex.push_back(kDigits[octet & 0x0F]);
    }
    return hex;
}

}  // namespace mivex::sms
