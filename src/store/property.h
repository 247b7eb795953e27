#pragma once

// The record model: a record is a list of typed properties, each named by a
// property id, (property number << 16) | type code.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sms/file_time.h"

namespace mivex::store {

using PropId = std::uint32_t;
// Object ids name records; 0 is no record. Ids are never reused within a volume.
using ObjectId = std::uint32_t;

enum class PropType : std::uint16_t { I2 = 2, I4 = 3, String = 31, FileTime = 64, Blob = 65 };

[[nodiscard]] constexpr PropId MakePropId(std::uint16_t number, PropType type) {
    return (static_cast<PropId>(number) << 16) | static_cast<PropId>(type);
}
[[nodiscard]] constexpr std::uint16_t PropNumber(PropId id) {
    return static_cast<std::uint16_t>(id >> 16);
}
[[nodiscard]] constexpr PropType PropTypeOf(PropId id) {
    return static_cast<PropType>(id & 0xFFFF);
}

// Set on a property that a read asked for and the record lacks.
inline constexpr std::uint16_t kPropNotFound = 0x0100;

// One property value. Only the member of the id's type is meaningful; I2
// values are kept widened in `integer`.
struct PropVal {
    PropId id = 0;
    std::uint16_t flags = 0;
    std::int32_t integer = 0;
    sms::FileTime fileTime = 0;
    std::u16string text;
    std::vector<std::uint8_t> blob;

    [[nodiscard]] static PropVal I2(std::uint16_t number, std::int16_t value);
    [[nodiscard]] static PropVal I4(std::uint16_t number, std::int32_t value);
    [[nodiscard]] static PropVal String(std::uint16_t number, std::u16string_view value);
    [[nodiscard]] static PropVal Time(std::uint16_t number, sms::FileTime value);
    [[nodiscard]] static PropVal Blob(std::uint16_t number, std::span<const std::uint8_t> value);

    friend bool operator==(const PropVal&, const PropVal&) = default;
};

// The properties of one read. Reads reuse the vector and its strings'
// storage, so a routine that reads many records allocates once.
using PropArray = std::vector<PropVal>;

// Lookup by property number (only its low 16 bits count): the value of the
// first entry with that number, whatever its type or flags; the absent result
// when there is none.
[[nodiscard]] std::int32_t FindPropI2(std::span<const PropVal> props, std::uint32_t number);
[[nodiscard]] std::int32_t FindPropI4(std::span<const PropVal> props, std::uint32_t number);
[[nodiscard]] sms::FileTime FindPropFileTime(std::span<const PropVal> props, std::uint32_t number);
// Null when absent.
[[nodiscard]] const std::u16string* FindPropString(std::span<const PropVal> props,
                                                   std::uint32_t number);
// Empty when absent.
[[nodiscard]] std::span<const std::uint8_t> FindPropBlob(std::span<const PropVal> props,
                                                         std::uint32_t number);

}  // namespace mivex::store
