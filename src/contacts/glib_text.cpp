#include "contacts/glib_text.h"

#include <glib.h>

#include <memory>

namespace mivex::contacts {

bool IsValidUtf8(std::string_view text) {
    return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr) != FALSE;
}

std::optional<std::string> ConvertToUtf8(std::string_view bytes, const std::string& encoding) {
    gsize written = 0;
    std::unique_ptr<gchar, decltype(&g_free)> utf8(
        g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", encoding.c_str(),
                  nullptr, &written, nullptr),
        &g_free);
    if (utf8 == nullptr)
        return std::nullopt;
    return std::string(utf8.get(), written);
}

}  // namespace mivex::contacts
