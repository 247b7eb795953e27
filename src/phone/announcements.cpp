#include "phone/announcements.h"

#include <array>
#include <charconv>
#include <vector>

namespace mivex::phone {
namespace {

constexpr int kHighestValue = 9;
constexpr int kHighestIndex = 99999;

// The values one "(0-2)" or "(0,2)" or "0" list allows, as a bit mask.
std::optional<unsigned> ParseValueList(std::string_view list) {
    if (list.size() >= 2 && list.front() == '(' && list.back() == ')') {
        list = list.substr(1, list.size() - 2);
    }
    unsigned allowed = 0;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        const std::size_t dash = item.find('-');
        int low = 0;
        int high = 0;
        const std::string_view first = item.substr(0, dash);
        const std::string_view last =
            dash == std::string_view::npos ? first : item.substr(dash + 1);
        const auto lowRead = std::from_chars(first.data(), first.data() + first.size(), low);
        const auto highRead = std::from_chars(last.data(), last.data() + last.size(), high);
        if (lowRead.ec != std::errc{} || lowRead.ptr != first.data() + first.size() ||
            highRead.ec != std::errc{} || highRead.ptr != last.data() + last.size() || low < 0 ||
            high > kHighestValue || low > high) {
            return std::nullopt;
        }
        for (int value = low; value <= high; ++value) {
            allowed |= 1U << value;
        }
    }
    return allowed;
}

// The parameter lists of the answer, split at the commas between lists.
std::optional<std::vector<unsigned>> ParseOffer(std::string_view answer) {
    constexpr std::string_view kPrefix = "+CNMI:";
    const std::size_t start = answer.find(kPrefix);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = answer.substr(start + kPrefix.size());
    rest = rest.substr(0, rest.find_first_of("\r\n"));
    std::vector<unsigned> offer;
    std::string current;
    int depth = 0;
    for (const char c : rest) {
        if (c == ' ') {
            continue;
        }
        if (c == ',' && depth == 0) {
            const std::optional<unsigned> values = ParseValueList(current);
            if (!values) {
                return std::nullopt;
            }
            offer.push_back(*values);
            current.clear();
            continue;
        }
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        current += c;
    }
    const std::optional<unsigned> values = ParseValueList(current);
    if (!values || depth != 0) {
        return std::nullopt;
    }
    offer.push_back(*values);
    return offer;
}

bool Offers(const std::vector<unsigned>& offer, std::size_t parameter, int value) {
    return parameter < offer.size() && (offer[parameter] & (1U << value)) != 0;
}

}  // namespace

std::optional<std::string> ChooseIndicationCommand(std::string_view testAnswer) {
    const std::optional<std::vector<unsigned>> offer = ParseOffer(testAnswer);
    if (!offer || !Offers(*offer, 1, 1)) {
        return std::nullopt;
    }
    // Mode 2 buffers announcements while a command runs and says them after
    // its answer; mode 1 may drop them, and the backstop receive finds those.
    const int mode = Offers(*offer, 0, 2) ? 2 : Offers(*offer, 0, 1) ? 1 : -1;
    if (mode < 0) {
        return std::nullopt;
    }
    std::string command = "AT+CNMI=" + std::to_string(mode) + ",1";
    // The later parameters only as far as the phone lists them.
    if (offer->size() > 2) {
        command += ",0";
    }
    if (offer->size() > 3) {
        command += Offers(*offer, 3, 2) ? ",2" : ",0";
    }
    if (offer->size() > 4 && Offers(*offer, 4, 0)) {
        command += ",0";
    }
    return command + "\r";
}

std::optional<Announcement> ParseAnnouncement(std::string_view line) {
    Announcement announcement;
    if (line.starts_with("+CMTI:")) {
        announcement.report = false;
    } else if (line.starts_with("+CDSI:")) {
        announcement.report = true;
    } else {
        return std::nullopt;
    }
    line.remove_prefix(6);
    while (line.starts_with(' ')) {
        line.remove_prefix(1);
    }
    if (!line.starts_with('"')) {
        return std::nullopt;
    }
    const std::size_t close = line.find('"', 1);
    if (close == std::string_view::npos || close < 2 || close > 5 ||
        line.substr(close + 1, 1) != ",") {
        return std::nullopt;
    }
    announcement.store = std::string(line.substr(1, close - 1));
    for (const char c : announcement.store) {
        if (c < 'A' || c > 'Z') {
            return std::nullopt;
        }
    }
    const std::string_view number = line.substr(close + 2);
    const auto read =
        std::from_chars(number.data(), number.data() + number.size(), announcement.index);
    if (read.ec != std::errc{} || read.ptr != number.data() + number.size() ||
        announcement.index < 1 || announcement.index > kHighestIndex) {
        return std::nullopt;
    }
    return announcement;
}

}  // namespace mivex::phone
