#include "sms/line_ends.h"

namespace mivex::sms {

std::size_t NormaliseLineEnds(std::u16string& text, std::size_t capacity) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t unit = text[i];
        if (unit != u'\r' && unit != u'\n') {
            ++i;
            continue;
        }
        const bool hasNext = i + 1 < text.size();
        const char16_t partner = unit == u'\r' ? u'\n' : u'\r';
        if (hasNext && text[i + 1] == partner) {
            // CR LF stays; LF CR is the same break written the other way round.
            text[i] = u'\r';
            text[i + 1] = u'\n';
            i += 2;
            continue;
        }
        if (text.size() + 2 >= capacity) {
            return 0;
        }
        if (unit == u'\r') {
            text.insert(i + 1, 1, u'\n');
        } else {
            text.insert(i, 1, u'\r');
        }
        i += 2;
    }
    return text.size();
}

}  // namespace mivex::sms
