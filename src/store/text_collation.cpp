#include "store/text_collation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/uversion.h>

#include <cstdio>
#include <cstdlib>

namespace mivex::store {

namespace {

// Without a collator: the units big-endian, with octets 0 and 1 escaped as
// 1 1 and 1 2 so that, like an ICU key, the key holds no zero octet before
// its terminating zero and byte order is still unit order.
void AppendUnitKey(std::u16string_view text, std::vector<std::uint8_t>& key) {
    auto put = [&key](unsigned octet) {
        if (octet <= 1)
            key.push_back(1);
        key.push_back(static_cast<std::uint8_t>(octet <= 1 ? octet + 1 : octet));
    };
    for (char16_t unit : text) {
        put(static_cast<unsigned>(unit) >> 8);
        put(static_cast<unsigned>(unit) & 0xFF);
    }
    key.push_back(0);
}

}  // namespace

struct TextCollator::Collator {
    UCollator* handle = nullptr;
    ~Collator() { ucol_close(handle); }
};

std::string TextCollator::LocaleFromEnvironment() {
    const char* name = nullptr;
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        name = std::getenv(variable);
        if (name != nullptr && name[0] != '\0')
            break;
        name = nullptr;
    }
    if (name == nullptr)
        return {};
    std::string locale(name);
    // "de_DE.UTF-8@euro": the codeset and modifier say nothing about order.
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale == "C" || locale == "POSIX")
        return {};
    return locale;
}

TextCollator::TextCollator() : TextCollator(LocaleFromEnvironment()) {}

TextCollator::TextCollator(const std::string& locale) : locale_(locale) {
    UVersionInfo release;
    u_getVersion(release);
    char releaseText[U_MAX_VERSION_STRING_LENGTH];
    u_versionToString(release, releaseText);
    request_ =
        std::string("icu ") + releaseText + " " + (locale.empty() ? "root" : locale) + " tertiary";
}

void TextCollator::Open() const {
    std::call_once(opened_, [this] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* handle = ucol_open(locale_.c_str(), &status);
        if (U_FAILURE(status) || handle == nullptr) {
            ucol_close(handle);
            identity_ = "utf16 units";
            return;
        }
        collator_ = std::make_unique<Collator>();
        collator_->handle = handle;
        ucol_setStrength(handle, UCOL_TERTIARY);
        // Composed and decomposed spellings of one name must sort as one.
        ucol_setAttribute(handle, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);

        UVersionInfo version;
        ucol_getVersion(handle, version);
        char versionText[U_MAX_VERSION_STRING_LENGTH];
        u_versionToString(version, versionText);
        status = U_ZERO_ERROR;
        const char* actual = ucol_getLocaleByType(handle, ULOC_ACTUAL_LOCALE, &status);
        identity_ =
            std::string("icu ") + versionText + " " +
            (U_SUCCESS(status) && actual != nullptr && actual[0] != '\0' ? actual : "root") +
            " tertiary";
    });
}

const std::string& TextCollator::Identity() const {
    Open();
    return identity_;
}

TextCollator::~TextCollator() = default;

void TextCollator::AppendSortKey(std::u16string_view text, std::vector<std::uint8_t>& key) const {
    Open();
    if (collator_ == nullptr || text.size() > INT32_MAX) {
        AppendUnitKey(text, key);
        return;
    }
    const std::size_t start = key.size();
    const auto length = static_cast<int32_t>(text.size());
    // A first guess that fits most names; ICU says how much it needs otherwise.
    std::size_t room = text.size() * 4 + 16;
    for (;;) {
        key.resize(start + room);
        const int32_t needed = ucol_getSortKey(collator_->handle, text.data(), length,
                                               key.data() + start, static_cast<int32_t>(room));
        if (needed <= 0) {  // ICU failed: keep the key empty rather than garbage
            key.resize(start);
            key.push_back(0);
            return;
        }
        if (static_cast<std::size_t>(needed) <= room) {
            key.resize(start + static_cast<std::size_t>(needed));
            return;
        }
        room = static_cast<std::size_t>(needed);
    }
}

}  // namespace mivex::store
