#pragma once

// Runs through the real ModemManager link against the ModemManager mock on a
// private system bus, with a real store: the mock's parameters as JSON, and
// what the runs showed and the mock recorded.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "mm_bus.h"
#include "text/utf8.h"
#include "transfer_fixture.h"

namespace mivex::modem::test {

inline constexpr std::string_view kImei = "356938035643809";
inline constexpr std::u16string_view kPort = u"mm-356938035643809: Quectel EC25 (ModemManager)";

inline std::string Utf8(std::u16string_view text) {
    return text::Utf16ToUtf8(text);
}

// The mock's parameters: a modem with `messages` (JSON objects) and
// `modemExtra` members, and `faults` members of the whole.
inline std::string Modem(const std::string& messages, const std::string& modemExtra = "",
                         const std::string& faults = "") {
    return "{\"modems\": [{\"manufacturer\": \"Quectel\", \"model\": \"EC25\", \"imei\": \"" +
           std::string(kImei) + "\", \"ports\": [\"ttyUSB2\", \"cdc-wdm0\"], \"messages\": [" +
           messages + "]" + modemExtra + "}]" + faults + "}";
}
inline std::string Message(int pduType, int state, const std::string& number,
                           const std::string& text, const std::string& extra = "") {
    return "{\"PduType\": " + std::to_string(pduType) + ", \"State\": " + std::to_string(state) +
           ", \"Number\": \"" + number + "\", \"Text\": \"" + text +
           "\", \"Timestamp\": \"2024-03-05T14:22:01+01:00\"" + extra + "}";
}

class ModemRun : public transfer::test::TransferOnPty {
protected:
    void Start(const std::string& parameters) {
        std::string error;
        ASSERT_TRUE(bus.StartMock(parameters, error)) << error;
        options.strings[options::Option::Port] = std::u16string(kPort);
    }
    [[nodiscard]] std::vector<std::string> CallsOf(std::string_view call) const {
        std::vector<std::string> found;
        for (const std::string& line : bus.Calls())
            if (line.find("\"call\": \"" + std::string(call) + "\"") != std::string::npos)
                found.push_back(line);
        return found;
    }
    [[nodiscard]] bool Showed(std::u16string_view part) const {
        for (const std::u16string& event : log.events)
            if (event.find(part) != std::u16string::npos)
                return true;
        return false;
    }

    ModemManagerBus bus;
};

}  // namespace mivex::modem::test
