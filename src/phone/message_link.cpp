#include "phone/message_link.h"

#include <poll.h>

#include <cerrno>

namespace mivex::phone {

WaitEnding MessageLink::WaitForAnnouncements(int timeoutMs, int wakeDescriptor,
                                             std::vector<Announcement>& /*announced*/) {
    pollfd wake{wakeDescriptor, POLLIN, 0};
    int ready = 0;
    do {
        ready = poll(&wake, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 ? WaitEnding::Woken : WaitEnding::TimedOut;
}

}  // namespace mivex::phone
