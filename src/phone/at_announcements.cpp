// Announcements on the AT link: the phone is asked with AT+CNMI to say when
// a message lands, and the link sleeps in poll() on its port until it does.

#include <poll.h>

#include <array>
#include <cerrno>

#include "phone/announcements.h"
#include "phone/at_exchanges.h"
#include "phone/at_message_link.h"

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

bool AtMessageLink::TakeUnsolicited(std::vector<Announcement>& announced) {
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
        if (byte == '\n' || byte == '\r') {
            if (std::optional<Announcement> found = ParseAnnouncement(unsolicited_)) {
                announced.push_back(std::move(*found));
            }
            unsolicited_.clear();
        } else if (unsolicited_.size() < kMaxUnsolicitedLine) {
            unsolicited_ += static_cast<char>(byte);
        }
    }
}

WaitEnding AtMessageLink::WaitForAnnouncements(int timeoutMs, int wakeDescriptor,
                                               std::vector<Announcement>& announced) {
    if (!port_.isValid() || port_.Lost()) {
        return WaitEnding::Lost;
    }
    const std::size_t before = announced.size();
    // What came in during the last command's answer is already read ahead.
    if (!TakeUnsolicited(announced)) {
        return WaitEnding::Lost;
    }
    if (announced.size() > before) {
        return WaitEnding::Announced;
    }
    std::array<pollfd, 2> watched{{
        {port_.device().PollDescriptor(), POLLIN, 0},
        {wakeDescriptor, POLLIN, 0},
    }};
    int ready = 0;
    do {
        ready = poll(watched.data(), watched.size(), timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return WaitEnding::TimedOut;
    }
    if ((watched[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !TakeUnsolicited(announced)) {
        return WaitEnding::Lost;
    }
    if (announced.size() > before) {
        return WaitEnding::Announced;
    }
    if ((watched[1].revents & POLLIN) != 0) {
        return WaitEnding::Woken;
    }
    // POLLHUP without a read error: the other end went away.
    if ((watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        port_.MarkLost();
        return WaitEnding::Lost;
    }
    return WaitEnding::TimedOut;
}

}  // namespace mivex::phone
