// Any bytes as an AT+CNMI=? answer and as an unsolicited line: a command
// that asks for +CMTI and nothing else can reach the line, and an
// announcement names a store of capital letters and a slot in range.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "phone/announcements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using mivex::fuzz::Require;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto command = mivex::phone::ChooseIndicationCommand(text)) {
        Require(command->starts_with("AT+CNMI=") && command->ends_with("\r"), "a CNMI command");
        Require(command->find_first_not_of("AT+CNMI=0123456789,\r") == std::string::npos,
                "only digits and commas after the command name");
        Require(command->substr(9, 2) == ",1", "stored messages announced");
    }
    if (const auto announced = mivex::phone::ParseAnnouncement(text)) {
        Require(announced->index >= 1 && announced->index <= 99999, "slot within range");
        Require(!announced->store.empty() && announced->store.size() <= 4, "store name length");
        Require(
            announced->store.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos,
            "store name of capitals");
    }
    return 0;
}
