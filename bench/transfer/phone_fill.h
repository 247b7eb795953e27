#pragma once

// What the benchmarks' phone holds and what their Outbox is to send: a
// realistic mix of message lengths, some of them long messages in parts.

#include <string>
#include <string_view>
#include <vector>

#include "phonesim/message_store.h"

namespace mivex::bench {

// The service centre the phone stamps and the runs send through.
inline constexpr std::string_view kServiceCentre = "+447700900000";

// `messages` stored PDUs: four in five in the phone's memory, which has room
// for a quarter more and an empty slot after every twentieth message (as
// deletions leave it), the rest filling the SIM card. Roughly one PDU in
// three is a part of a long message; every long message is whole.
struct PhoneFill {
    phonesim::PhoneStores stores;
    int texts = 0;  // whole messages once the parts are joined
};
[[nodiscard]] PhoneFill ReceiveStores(int messages);

// The texts of `messages` Outbox messages of which `longMessages` are longer
// than 160 characters (two or three segments), spread through the list.
[[nodiscard]] std::vector<std::u16string> OutboxTexts(int messages, int longMessages);

// The recipient or sender number of message `index`, from a small circle of people.
[[nodiscard]] std::u16string PersonNumber(int index);

}  // namespace mivex::bench
