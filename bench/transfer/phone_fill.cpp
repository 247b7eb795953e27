#include "phone_fill.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "phonesim/deliver_builder.h"

namespace mivex::bench {
namespace {

constexpr std::array<std::u16string_view, 16> kWords = {
    u"meeting", u"tomorrow", u"at",    u"the",     u"station", u"please", u"call", u"back",
    u"dinner",  u"is",       u"ready", u"running", u"late",    u"see",    u"you",  u"soon"};

constexpr std::array<int, 10> kShortLengths = {18, 42, 67, 95, 123, 160, 31, 54, 140, 76};
// Two or three segments of 153 characters.
constexpr std::array<int, 3> kLongLengths = {250, 420, 300};
constexpr int kLongEvery = 6;  // one text in six is long
constexpr int kPeople = 8;
constexpr int kGapEvery = 20;

// A text of exactly `length` characters of words and spaces, different for each `seed`.
std::u16string WordsText(int length, int seed) {
    std::u16string text;
    std::uint32_t state = static_cast<std::uint32_t>(seed) * 2654435761U + 1;
    while (static_cast<int>(text.size()) < length) {
        state = state * 1664525U + 1013904223U;
        text += kWords[(state >> 16) % kWords.size()];
        text += u' ';
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

int TextLength(int index) {
    if (index % kLongEvery == kLongEvery - 1) {
        return kLongLengths[static_cast<std::size_t>(index / kLongEvery) % kLongLengths.size()];
    }
    return kShortLengths[static_cast<std::size_t>(index) % kShortLengths.size()];
}

// Seven minutes apart from a Saturday morning on, so no two texts repeat.
phonesim::LocalTime Stamp(int index) {
    const int minutes = 8 * 60 + 7 * index;
    return {{2024, 3, 9 + minutes / (24 * 60), minutes / 60 % 24, minutes % 60, 0, 0}, 60};
}

std::string Narrow(std::u16string_view text) {
    return {text.begin(), text.end()};
}

}  // namespace

std::u16string PersonNumber(int index) {
    return u"+4477009001" + std::u16string(1, static_cast<char16_t>(u'0' + index % kPeople)) + u"5";
}

PhoneFill ReceiveStores(int messages) {
    std::vector<std::vector<std::uint8_t>> pdus;
    std::uint8_t concatRef = 0;
    int texts = 0;
    for (int index = 0; static_cast<int>(pdus.size()) < messages; ++index, ++texts) {
        const int left = messages - static_cast<int>(pdus.size());
        int length = TextLength(index);
        if ((length + 152) / 153 > left) {
            length = kShortLengths[0];
        }
        const std::vector<std::vector<std::uint8_t>> parts =
            phonesim::BuildDeliverPdus(WordsText(length, index), Narrow(PersonNumber(index)),
                                       kServiceCentre, Stamp(index), concatRef);
        if (parts.size() > 1) {
            ++concatRef;
        }
        pdus.insert(pdus.end(), parts.begin(), parts.end());
    }

    const int inPhone = messages * 4 / 5;
    const int inSim = messages - inPhone;
    PhoneFill fill{{phonesim::MessageStore(std::max(messages, inPhone + inPhone / kGapEvery)),
                    phonesim::MessageStore(std::max(inSim, 1))},
                   texts};
    phonesim::PhoneStores& stores = fill.stores;
    int slot = 1;
    for (int index = 0; index < messages; ++index) {
        // Read and unread messages mixed, as a phone holds them.
        const phonesim::StoredMessage message{pdus[static_cast<std::size_t>(index)],
                                              index % 3 == 0
                                                  ? phonesim::MessageStatus::ReceivedUnread
                                                  : phonesim::MessageStatus::ReceivedRead};
        if (index < inPhone) {
            (void)stores.phone.Put(slot, message);
            slot += (index + 1) % kGapEvery == 0 ? 2 : 1;
        } else {
            (void)stores.sim.Put(index - inPhone + 1, message);
        }
    }
    return fill;
}

std::vector<std::u16string> OutboxTexts(int messages, int longMessages) {
    std::vector<std::u16string> texts;
    const int spacing = longMessages > 0 ? std::max(1, messages / longMessages) : messages + 1;
    int longMade = 0;
    for (int index = 0; index < messages; ++index) {
        const bool isLong = longMade < longMessages && index % spacing == spacing / 2;
        const int length =
            isLong ? kLongLengths[static_cast<std::size_t>(longMade++) % kLongLengths.size()]
                   : kShortLengths[static_cast<std::size_t>(index) % kShortLengths.size()];
        texts.push_back(WordsText(length, 1000 + index));
    }
    return texts;
}

}  // namespace mivex::bench
