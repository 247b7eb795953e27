#pragma once

// One JSON object on one line, keys in the order they are added.

#include <cstdint>
#include <string>
#include <string_view>

namespace mivex::tools {

class JsonLine {
public:
    // Keys are the tool's own fixed ASCII names and are written as given.
    void AddBool(std::string_view key, bool value);
    void AddInteger(std::string_view key, std::int64_t value);
    // The value may hold any UTF-16, unpaired surrogates included.
    void AddString(std::string_view key, std::u16string_view value);

    // The object with its braces and no line break.
    [[nodiscard]] std::string Text() const { return "{" + members_ + "}"; }

private:
    void AddMember(std::string_view key, std::string_view jsonValue);

    std::string members_;
};

}  // namespace mivex::tools
