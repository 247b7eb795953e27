#include "store/record_codec.h"

#include <bit>
#include <cstring>

namespace mivex::store {

namespace {

template <typename T>
void Put(std::vector<std::uint8_t>& out, T value) {
    using U = std::make_unsigned_t<T>;
    auto bits = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
        bits = static_cast<U>(bits >> 8);
    }
}

// Reads forward through the stored bytes, failing once instead of reading
// past the end.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    template <typename T>
    bool Get(T& value) {
        using U = std::make_unsigned_t<T>;
        if (Remaining() < sizeof(T))
            return false;
        U bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            bits =
                static_cast<U>(bits | static_cast<U>(static_cast<U>(bytes_[at_ + i]) << (8 * i)));
        }
        at_ += sizeof(T);
        value = static_cast<T>(bits);
        return true;
    }

    bool GetUnits(std::size_t count, std::u16string& text) {
        if (count > Remaining() / 2)
            return false;
        text.resize(count);
        if constexpr (std::endian::native == std::endian::little) {
            if (count > 0)
                std::memcpy(text.data(), bytes_.data() + at_, count * 2);
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                text[i] =
                    static_cast<char16_t>(bytes_[at_ + 2 * i] | (bytes_[at_ + 2 * i + 1] << 8));
            }
        }
        at_ += count * 2;
        return true;
    }

    bool GetOctets(std::size_t count, std::vector<std::uint8_t>& octets) {
        if (count > Remaining())
            return false;
        octets.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                      bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + count));
        at_ += count;
        return true;
    }

    [[nodiscard]] std::size_t Remaining() const { return bytes_.size() - at_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// The fewest octets one stored property can take: its id and an I2 value.
constexpr std::size_t kMinPropOctets = 4 + 2;

}  // namespace

bool IsStorableType(PropId id) {
    switch (PropTypeOf(id)) {
        case PropType::I2:
        case PropType::I4:
        case PropType::String:
        case PropType::FileTime:
        case PropType::Blob:
            return true;
    }
    return false;
}

bool EncodeRecord(std::span<const PropVal> props, std::vector<std::uint8_t>& out) {
    out.clear();
    if (props.size() > kMaxRecordProps)
        return false;
    out.push_back(kRecordFormat);
    Put(out, static_cast<std::uint16_t>(props.size()));
    for (const PropVal& prop : props) {
        Put(out, prop.id);
        switch (PropTypeOf(prop.id)) {
            case PropType::I2:
                Put(out, static_cast<std::int16_t>(prop.integer));
                break;
            case PropType::I4:
                Put(out, prop.integer);
                break;
            case PropType::FileTime:
                Put(out, prop.fileTime);
                break;
            case PropType::String:
                if (prop.text.size() > UINT32_MAX)
                    return false;
                Put(out, static_cast<std::uint32_t>(prop.text.size()));
                for (char16_t unit : prop.text)
                    Put(out, static_cast<std::uint16_t>(unit));
                break;
            case PropType::Blob:
                if (prop.blob.size() > UINT32_MAX)
                    return false;
                Put(out, static_cast<std::uint32_t>(prop.blob.size()));
                out.insert(out.end(), prop.blob.begin(), prop.blob.end());
                break;
            default:
                return false;
        }
    }
    return true;
}

bool DecodeRecord(std::span<const std::uint8_t> bytes, PropArray& props) {
    Reader reader(bytes);
    std::uint8_t format = 0;
    std::uint16_t count = 0;
    if (!reader.Get(format) || format != kRecordFormat || !reader.Get(count))
        return false;
    // A damaged count must not make us allocate for properties that cannot be there.
    if (count > reader.Remaining() / kMinPropOctets)
        return false;
    props.resize(count);
    for (PropVal& prop : props) {
        if (!reader.Get(prop.id))
            return false;
        prop.flags = 0;
        prop.integer = 0;
        prop.fileTime = 0;
        prop.text.clear();
        prop.blob.clear();
        bool ok = false;
        switch (PropTypeOf(prop.id)) {
            case PropType::I2: {
                std::int16_t value = 0;
                ok = reader.Get(value);
                prop.integer = value;
                break;
            }
            case PropType::I4:
                ok = reader.Get(prop.integer);
                break;
            case PropType::FileTime:
                ok = reader.Get(prop.fileTime);
                break;
            case PropType::String: {
                std::uint32_t units = 0;
                ok = reader.Get(units) && reader.GetUnits(units, prop.text);
                break;
            }
            case PropType::Blob: {
                std::uint32_t octets = 0;
                ok = reader.Get(octets) && reader.GetOctets(octets, prop.blob);
                break;
            }
        }
        if (!ok)
            return false;
    }
    return reader.Remaining() == 0;
}

}  // namespace mivex::store
