// What reaches the phone from the network without the client asking: new
// messages and delivery reports, stored and announced as AT+CNMI says.

#include <utility>

#include "phonesim/at_interpreter.h"
#include "sms/hex_text.h"

namespace mivex::phonesim {

InterpreterOutput Interpreter::Arrive(std::string_view hexLine) {
    InterpreterOutput out;
    if (lineCut_) {
        return out;
    }
    StoreDueReports(out);
    const bool fits = hexLine.size() <= kMaxPduHexDigits && hexLine.size() % 2 == 0;
    std::vector<std::uint8_t> pdu;
    if (fits && sms::IsHexText(hexLine)) {
        pdu = sms::HexToBytes(hexLine);
    }
    // Only the framing is checked: a phone stores what the network hands it,
    // and a client has to cope with whatever that is.
    if (TpduLength(pdu) == 0) {
        out.notes.push_back("an incoming line is no PDU and was dropped: " +
                            std::string(hexLine.substr(0, 80)));
    } else if (const auto slot = StoreReceived(std::move(pdu))) {
        if (modes_.newMessageIndication[1] != 0) {
            Announce("+CMTI", *slot, out);
        }
    } else {
        out.notes.push_back("an incoming message was lost: both stores are full");
    }
    out.storesChanged = std::exchange(storesChanged_, false);
    return out;
}

InterpreterOutput Interpreter::Tick() {
    InterpreterOutput out;
    if (!lineCut_) {
        StoreDueReports(out);
    }
    out.storesChanged = std::exchange(storesChanged_, false);
    return out;
}

std::optional<std::pair<StoreId, int>> Interpreter::StoreReceived(std::vector<std::uint8_t> pdu) {
    const StoreId preferred = storage_[2];
    const StoreId other = preferred == StoreId::Phone ? StoreId::Sim : StoreId::Phone;
    for (const StoreId id : {preferred, other}) {
        MessageStore& store = stores_.Get(id);
        if (const std::optional<int> slot = store.FirstFreeSlot()) {
            (void)store.Put(*slot, {std::move(pdu), MessageStatus::ReceivedUnread});
            storesChanged_ = true;
            return std::pair{id, *slot};
        }
    }
    return std::nullopt;
}

void Interpreter::Announce(std::string_view code, std::pair<StoreId, int> slot,
                           InterpreterOutput& out) {
    const std::string line =
        FormatUnsolicited(std::string(code) + ": \"" + std::string(StoreName(slot.first)) + "\"," +
                              std::to_string(slot.second),
                          modes_.style);
    // A line in the middle of the client's command would land inside its answer.
    if (CommandUnderway()) {
        afterAnswer_ += line;
    } else {
        out.bytes += line;
    }
}

}  // namespace mivex::phonesim
