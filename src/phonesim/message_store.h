#pragma once

// The phone's two message memories, "ME" (phone) and "SM" (SIM card): numbered
// slots from 1 to the capacity, each empty or holding one PDU as AT+CMGR
// prints it (service-centre field first) with its 27.005 status.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace mivex::phonesim {

// <stat> of AT+CMGR and AT+CMGL in PDU mode.
enum class MessageStatus : int {
    ReceivedUnread = 0,
    ReceivedRead = 1,
    StoredUnsent = 2,
    StoredSent = 3,
};

// Status 4 of AT+CMGL: every message.
inline constexpr int kListAll = 4;

// The largest PDU a slot takes: a 12-octet service-centre field and the
// largest TPDU (164 octets: a 20-digit address, a 7-octet validity period and
// 140 octets of user data).
inline constexpr std::size_t kMaxPduOctets = 12 + 164;

inline constexpr int kMaxCapacity = 10000;

struct StoredMessage {
    std::vector<std::uint8_t> pdu;
    MessageStatus status = MessageStatus::ReceivedUnread;

    friend bool operator==(const StoredMessage&, const StoredMessage&) = default;
};

// The TPDU length AT+CMGR and AT+CMGL report: the octets after the
// service-centre field, 0 when that field claims more octets than there are.
[[nodiscard]] std::size_t TpduLength(const std::vector<std::uint8_t>& pdu);

class MessageStore {
public:
    explicit MessageStore(int capacity = 30) : capacity_(capacity) {}

    [[nodiscard]] int Capacity() const { return capacity_; }
    [[nodiscard]] int Used() const { return static_cast<int>(slots_.size()); }
    [[nodiscard]] bool IsValidSlot(int slot) const { return slot >= 1 && slot <= capacity_; }

    // The lowest empty slot, or nothing when the store is full.
    [[nodiscard]] std::optional<int> FirstFreeSlot() const;

    // Puts a message in a valid slot, replacing what was there. False for a
    // slot outside 1..capacity.
    [[nodiscard]] bool Put(int slot, StoredMessage message);

    [[nodiscard]] const StoredMessage* Find(int slot) const;
    [[nodiscard]] StoredMessage* Find(int slot);

    // True when a message was there.
    bool Erase(int slot);

    // Slot order.
    [[nodiscard]] const std::map<int, StoredMessage>& Messages() const { return slots_; }

    friend bool operator==(const MessageStore&, const MessageStore&) = default;

private:
    int capacity_;
    std::map<int, StoredMessage> slots_;
};

enum class StoreId { Phone, Sim };

// "ME" or "SM".
[[nodiscard]] std::string_view StoreName(StoreId id);
[[nodiscard]] std::optional<StoreId> StoreByName(std::string_view name);

struct PhoneStores {
    MessageStore phone;  // "ME"
    MessageStore sim;    // "SM"

    [[nodiscard]] MessageStore& Get(StoreId id) { return id == StoreId::Phone ? phone : sim; }
    [[nodiscard]] const MessageStore& Get(StoreId id) const {
        return id == StoreId::Phone ? phone : sim;
    }

    friend bool operator==(const PhoneStores&, const PhoneStores&) = default;
};

}  // namespace mivex::phonesim
