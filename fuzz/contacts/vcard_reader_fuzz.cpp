// Any bytes as a .vcf file: every text within the field limit and free of
// unpaired surrogates, every problem on a line the file has.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "contacts/contacts_database.h"
#include "contacts/vcard_reader.h"
#include "fuzz_check.h"

namespace {

using mivex::fuzz::Require;

// Lines end at CRLF, LF or a lone CR; text after the last line end is a line too.
std::size_t LineCount(std::string_view file) {
    std::size_t lines = 0;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\n' || (file[i] == '\r' && (i + 1 == file.size() || file[i + 1] != '\n'))) {
            ++lines;
        }
    }
    const bool openLastLine = !file.empty() && file.back() != '\n' && file.back() != '\r';
    return lines + (openLastLine ? 1 : 0);
}

bool HasUnpairedSurrogate(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        const bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        if (low) {
            return true;
        }
        if (high) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                return true;
            }
            ++i;
        }
    }
    return false;
}

void CheckText(std::u16string_view text) {
    Require(text.size() <= mivex::contacts::kMaxContactFieldUnits, "text within the field limit");
    Require(!HasUnpairedSurrogate(text), "no unpaired surrogate");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mivex::contacts;
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const VCardReadResult result = ReadVCards(file);
    for (const ContactCard& card : result.cards) {
        for (const std::u16string* text :
             {&card.firstName, &card.lastName, &card.formattedName, &card.company, &card.department,
              &card.nickname, &card.email, &card.jobTitle}) {
            CheckText(*text);
        }
        for (const CardPhone& phone : card.phones) {
            CheckText(phone.number);
            Require(!phone.number.empty(), "no empty number");
        }
        for (const std::u16string& category : card.categories) {
            CheckText(category);
            Require(!category.empty(), "no empty category");
            Require(std::count(card.categories.begin(), card.categories.end(), category) == 1,
                    "each category once");
        }
    }
    const std::size_t lines = LineCount(file);
    for (const CardProblem& problem : result.problems) {
        Require(problem.line >= 1 && problem.line <= lines, "problem on a line of the file");
        Require(!problem.reason.empty(), "problem has a reason");
    }
    return 0;
}
