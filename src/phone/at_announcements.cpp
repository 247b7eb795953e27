// Announcements on the AT link: the phone is asked with AT+CNMI to say when
// a message lands, and the link sleeps in poll() on its port until it does.

#include <poll.h>

#include "phone/announcements.h"
#include "phone/at_exchanges.h"
#include "phone/at_message_link.h"
#include "phone/wake_poll.h"

namespace mivex::phone {
namespace {

// No announcement line is longer; a longer run of bytes is noise.
constexpr std::size_t kMaxUnsolicitedLine = 80;

}  // namespace

bool AtMessageLink::RequestAnnouncements() {
    ResponseBuffer answer;
    if (!Exchange(port_, "AT+CNMI=?\r", answer, kOkTerminator, kStoreTimeouts)) {
        return false;
    }
    const std::optional<std::string> command = ChooseIndicationCommand(answer.Text());
    return command && Exchange(port_, *command, answer, kOkTerminator, kStoreTimeouts);
}

void AtMessageLink::TakeLineByte(char byte, std::vector<Announcement>& announced) {
    if (byte == '\n' || byte == '\r') {
        if (std::optional<Announcement> found = ParseAnnouncement(unsolicited_)) {
            announced.push_back(std::move(*found));
        }
        unsolicited_.clear();
    } else if (unsolicited_.size() < kMaxUnsolicitedLine) {
        unsolicited_ += byte;
    }
}

bool AtMessageLink::TakeUnsolicited(std::vector<Announcement>& announced) {
    // What the exchanges read past came after what was read ahead here, and
    // its last line ended where they stopped reading.
    if (const std::string aside = port_.TakeAside(); !aside.empty()) {
        for (const char byte : aside) {
            TakeLineByte(byte, announced);
        }
        TakeLineByte('\n', announced);
    }
    std::uint8_t byte = 0;
    for (;;) {
        switch (port_.device().ReadByte(byte, 0)) {
            case platform::ReadResult::NoByte:
                return true;
            case platform::ReadResult::Error:
                port_.MarkLost();
                return false;
            case platform::ReadResult::Byte:
                break;
        }
        TakeLineByte(static_cast<char>(byte), announced);
    }
}

WaitEnding AtMessageLink::WaitForAnnouncements(int timeoutMs, std::span<const int> wake,
                                               std::vector<Announcement>& announced) {
    if (!port_.isValid() || port_.Lost()) {
        return WaitEnding::Lost;
    }
    const std::size_t before = announced.size();
    // What came in during the last commands is already read: lines the
    // bringing into step dropped, and what was read ahead.
    if (!TakeUnsolicited(announced)) {
        return WaitEnding::Lost;
    }
    if (announced.size() > before) {
        return WaitEnding::Announced;
    }
    const PollOutcome outcome = PollWithWake(port_.device().PollDescriptor(), wake, timeoutMs);
    if ((outcome.ownEvents & (POLLIN | POLLHUP | POLLERR)) != 0 && !TakeUnsolicited(announced)) {
        return WaitEnding::Lost;
    }
    if (announced.size() > before) {
        return WaitEnding::Announced;
    }
    if (outcome.woken) {
        return WaitEnding::Woken;
    }
    // POLLHUP without a read error: the other end went away.
    if ((outcome.ownEvents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        port_.MarkLost();
        return WaitEnding::Lost;
    }
    return WaitEnding::TimedOut;
}

}  // namespace mivex::phone
