#include "phonesim/store_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

#include "sms/hex_text.h"

namespace mivex::phonesim {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Splits off the first blank-separated word.
std::string_view TakeWord(std::string_view& text) {
    const std::size_t end = text.find_first_of(kBlanks);
    const std::string_view word = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : Trim(text.substr(end));
    return word;
}

// Why `hex` cannot be a stored PDU, or empty when it can.
std::string CheckPduText(std::string_view hex) {
    if (!sms::IsHexText(hex)) {
        return "\"" + std::string(hex.substr(0, 40)) + (hex.size() > 40 ? "..." : "") +
               "\" is not an even number of hex digits";
    }
    if (hex.size() / 2 > kMaxPduOctets) {
        return "the PDU has " + std::to_string(hex.size() / 2) + " octets, more than " +
               std::to_string(kMaxPduOctets);
    }
    return {};
}

// Loads one non-blank, non-comment line; returns the reason it was refused.
std::string LoadLine(std::string_view line, MessageStore& store) {
    const std::string_view first = TakeWord(line);
    std::string_view hex = first;
    std::optional<int> slot;
    if (!line.empty()) {
        int number = 0;
        const auto [end, status] =
            std::from_chars(first.data(), first.data() + first.size(), number);
        if (status != std::errc{} || end != first.data() + first.size()) {
            return "\"" + std::string(first) + "\" is not a slot number";
        }
        hex = TakeWord(line);
        if (!line.empty()) {
            return "unexpected text after the PDU: \"" + std::string(line) + "\"";
        }
        slot = number;
    }
    if (std::string reason = CheckPduText(hex); !reason.empty()) {
        return reason;
    }
    if (slot) {
        if (!store.IsValidSlot(*slot)) {
            return "slot " + std::to_string(*slot) + " is outside 1.." +
                   std::to_string(store.Capacity());
        }
        if (store.Find(*slot) != nullptr) {
            return "slot " + std::to_string(*slot) + " is already taken";
        }
    } else {
        slot = store.FirstFreeSlot();
        if (!slot) {
            return "no free slot left of " + std::to_string(store.Capacity());
        }
    }
    (void)store.Put(*slot, {sms::HexToBytes(hex), MessageStatus::ReceivedUnread});
    return {};
}

}  // namespace

LoadResult LoadStoreText(std::string_view text, std::string_view fileName, MessageStore& store) {
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (std::string reason = LoadLine(line, store); !reason.empty()) {
            return {false,
                    std::string(fileName) + ":" + std::to_string(lineNumber) + ": " + reason};
        }
    }
    return {true, {}};
}

LoadResult LoadStoreFile(const std::string& path, MessageStore& store) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {false, path + ": cannot be read: " + std::strerror(errno)};
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) {
        return {false, path + ": read failed"};
    }
    return LoadStoreText(contents.str(), path, store);
}

std::string FormatStoreDump(const PhoneStores& stores) {
    std::string dump;
    for (const StoreId id : {StoreId::Phone, StoreId::Sim}) {
        for (const auto& [slot, message] : stores.Get(id).Messages()) {
            dump += StoreName(id);
            dump += ' ';
            dump += std::to_string(slot);
            dump += ' ';
            dump += sms::BytesToHex(message.pdu);
            dump += '\n';
        }
    }
    return dump;
}

bool ReplaceFile(const std::string& path, std::string_view contents, std::string& error) {
    const std::string temporary = path + ".tmp";
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t count =
            write(descriptor, contents.data() + written, contents.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            error = temporary + ": " + std::strerror(errno);
            close(descriptor);
            unlink(temporary.c_str());
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    if (close(descriptor) != 0 || rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace mivex::phonesim
