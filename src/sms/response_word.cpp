#include "sms/response_word.h"

#include "sms/gsm_alphabet.h"

namespace mivex::sms {

int ResponseWordToText(std::string_view response, std::u16string& text) {
    const std::size_t start = response.find_first_not_of("\r\n");
    if (start == std::string_view::npos) {
        return 0;
    }
    const std::size_t lineEnd = response.find('\r', start);
    if (lineEnd == std::string_view::npos) {
        return 0;
    }
    std::string_view word = response.substr(start, lineEnd - start);
    word = word.substr(0, word.find(' '));
    if (word.empty()) {
        return 0;
    }
    text = GsmCodesToText({reinterpret_cast<const std::uint8_t*>(word.data()), word.size()});
    return static_cast<int>(text.size());
}

}  // namespace mivex::sms
