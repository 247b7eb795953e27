#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace mivex::sms {

// Reads a PDU front to back and never past its end: every read says whether
// the octets were there, so a truncated PDU is a result, not an overrun.
class PduReader {
public:
    explicit PduReader(std::span<const std::uint8_t> octets) : octets_(octets) {}

    [[nodiscard]] std::optional<std::uint8_t> ReadOctet() {
        if (position_ >= octets_.size()) {
            return std::nullopt;
        }
        return octets_[position_++];
    }

    // The next `count` octets, or nothing (and no move) when fewer remain.
    [[nodiscard]] std::optional<std::span<const std::uint8_t>> Read(std::size_t count) {
        if (count > Remaining()) {
            return std::nullopt;
        }
        const auto taken = octets_.subspan(position_, count);
        position_ += count;
        return taken;
    }

    // Everything from here to the end, without moving.
    [[nodiscard]] std::span<const std::uint8_t> Rest() const { return octets_.subspan(position_); }

    [[nodiscard]] std::size_t Remaining() const { return octets_.size() - position_; }

private:
    std::span<const std::uint8_t> octets_;
    std::size_t position_ = 0;
};

}  // namespace mivex::sms
