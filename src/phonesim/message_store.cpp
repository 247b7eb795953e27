#include "phonesim/message_store.h"

#include <utility>

namespace mivex::phonesim {

std::size_t TpduLength(const std::vector<std::uint8_t>& pdu) {
    if (pdu.empty()) {
        return 0;
    }
    const std::size_t serviceCentreOctets = 1 + std::size_t{pdu[0]};
    return serviceCentreOctets < pdu.size() ? pdu.size() - serviceCentreOctets : 0;
}

std::optional<int> MessageStore::FirstFreeSlot() const {
    int slot = 1;
    for (const auto& [used, message] : slots_) {
        if (used != slot) {
            break;
        }
        ++slot;
    }
    return IsValidSlot(slot) ? std::optional<int>(slot) : std::nullopt;
}

bool MessageStore::Put(int slot, StoredMessage message) {
    if (!IsValidSlot(slot)) {
        return false;
    }
    slots_[slot] = std::move(message);
    return true;
}

const StoredMessage* MessageStore::Find(int slot) const {
    const auto found = slots_.find(slot);
    return found == slots_.end() ? nullptr : &found->second;
}

StoredMessage* MessageStore::Find(int slot) {
    const auto found = slots_.find(slot);
    return found == slots_.end() ? nullptr : &found->second;
}

bool MessageStore::Erase(int slot) {
    return slots_.erase(slot) != 0;
}

std::string_view StoreName(StoreId id) {
    return id == StoreId::Phone ? "ME" : "SM";
}

std::optional<StoreId> StoreByName(std::string_view name) {
    if (name == "ME") {
        return StoreId::Phone;
    }
    if (name == "SM") {
        return StoreId::Sim;
    }
    return std::nullopt;
}

}  // namespace mivex::phonesim
