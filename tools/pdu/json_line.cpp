#include "json_line.h"

#include "text/json_string.h"

namespace mivex::tools {

void JsonLine::AddBool(std::string_view key, bool value) {
    AddMember(key, value ? "true" : "false");
}

void JsonLine::AddInteger(std::string_view key, std::int64_t value) {
    AddMember(key, std::to_string(value));
}

void JsonLine::AddString(std::string_view key, std::u16string_view value) {
    AddMember(key, text::JsonString(value));
}

void JsonLine::AddMember(std::string_view key, std::string_view jsonValue) {
    if (!members_.empty()) {
        members_ += ',';
    }
    members_ += '"';
    members_ += key;
    members_ += "\":";
    members_ += jsonValue;
}

}  // namespace mivex::tools
