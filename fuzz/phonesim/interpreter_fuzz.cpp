// Any byte stream from a client: the interpreter answers or ignores it, never
// crashes, keeps its stores within their capacity, and is always brought back
// to a plain "AT" -> OK by ESC, ESC, CR, as a client resynchronises.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "phonesim/at_interpreter.h"
#include "sms/hex_text.h"

namespace {

using mivex::fuzz::Require;
using namespace mivex::phonesim;

constexpr std::string_view kHiDeliver = "00040B914477000910F200004021513150800002C834";

Interpreter MakePhone() {
    PhoneStores stores{MessageStore(4), MessageStore(2)};
    (void)stores.phone.Put(2, {mivex::sms::HexToBytes(kHiDeliver), MessageStatus::ReceivedUnread});
    PhoneSettings settings;
    settings.ownNumber = "+44770090012";
    FaultPlan faults;
    std::string error;
    for (const auto& [kind, request] : {std::pair{FaultKind::Unsolicited, "+CMGR +CMTI: \"SM\",3"},
                                        {FaultKind::Garbage, "+CSQ 8"},
                                        {FaultKind::CmsError, "+CMGD=1 321"},
                                        {FaultKind::Cut, "+CGMR 5"},
                                        {FaultKind::Silent, "+CSCA?"}}) {
        faults.commandFaults.push_back(*ParseCommandFault(kind, request, error));
    }
    faults.refusedSubmissions = {2};
    return Interpreter(std::move(stores), settings, std::move(faults), [] {
        return LocalTime{{2024, 1, 2, 3, 4, 5, 0}, 0};
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Interpreter phone = MakePhone();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Fed in two pieces, so a command split across reads is exercised too.
    const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
    (void)phone.Feed(input.substr(0, split));
    (void)phone.Feed(input.substr(split));

    for (const StoreId id : {StoreId::Phone, StoreId::Sim}) {
        const MessageStore& store = phone.Stores().Get(id);
        Require(store.Used() <= store.Capacity(), "a store never holds more than its capacity");
    }
    if (phone.LineCut()) {
        Require(phone.Feed("AT\r").bytes.empty(), "a cut line stays dead");
        return 0;
    }
    (void)phone.Feed("\x1b\x1b\r");
    (void)phone.Feed("ATE0V1\r");
    Require(phone.Feed("AT\r").bytes == "\r\nOK\r\n", "ESC ESC CR brings the phone back");
    return 0;
}
