#include "store/property.h"

namespace mivex::store {

PropVal PropVal::I2(std::uint16_t number, std::int16_t value) {
    PropVal prop;
    prop.id = MakePropId(number, PropType::I2);
    prop.integer = value;
    return prop;
}

PropVal PropVal::I4(std::uint16_t number, std::int32_t value) {
    PropVal prop;
    prop.id = MakePropId(number, PropType::I4);
    prop.integer = value;
    return prop;
}

PropVal PropVal::String(std::uint16_t number, std::u16string_view value) {
    PropVal prop;
    prop.id = MakePropId(number, PropType::String);
    prop.text.assign(value);
    return prop;
}

PropVal PropVal::Time(std::uint16_t number, sms::FileTime value) {
    PropVal prop;
    prop.id = MakePropId(number, PropType::FileTime);
    prop.fileTime = value;
    return prop;
}

PropVal PropVal::Blob(std::uint16_t number, std::span<const std::uint8_t> value) {
    PropVal prop;
    prop.id = MakePropId(number, PropType::Blob);
    prop.blob.assign(value.begin(), value.end());
    return prop;
}

namespace {

// Only the low 16 bits of the wanted number count, and an entry is matched on
// its number alone, whatever its type or flags.
const PropVal* FindProp(std::span<const PropVal> props, std::uint32_t number) {
    const auto wanted = static_cast<std::uint16_t>(number & 0xFFFF);
    for (const PropVal& prop : props) {
        if (PropNumber(prop.id) == wanted)
            return &prop;
    }
    return nullptr;
}

}  // namespace

std::int32_t FindPropI2(std::span<const PropVal> props, std::uint32_t number) {
    const PropVal* prop = FindProp(props, number);
    return prop != nullptr ? static_cast<std::int16_t>(prop->integer) : 0;
}

std::int32_t FindPropI4(std::span<const PropVal> props, std::uint32_t number) {
    const PropVal* prop = FindProp(props, number);
    return prop != nullptr ? prop->integer : 0;
}

sms::FileTime FindPropFileTime(std::span<const PropVal> props, std::uint32_t number) {
    const PropVal* prop = FindProp(props, number);
    return prop != nullptr ? prop->fileTime : 0;
}

const std::u16string* FindPropString(std::span<const PropVal> props, std::uint32_t number) {
    const PropVal* prop = FindProp(props, number);
    return prop != nullptr ? &prop->text : nullptr;
}

std::span<const std::uint8_t> FindPropBlob(std::span<const PropVal> props, std::uint32_t number) {
    const PropVal* prop = FindProp(props, number);
    return prop != nullptr ? std::span<const std::uint8_t>(prop->blob)
                           : std::span<const std::uint8_t>();
}

}  // namespace mivex::store
