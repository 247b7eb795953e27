#include "phone/message_link.h"

#include "phone/wake_poll.h"

namespace mivex::phone {

WaitEnding MessageLink::WaitForAnnouncements(int timeoutMs, std::span<const int> wake,
                                             std::vector<Announcement>& /*announced*/) {
    return PollWithWake(-1, wake, timeoutMs).woken ? WaitEnding::Woken : WaitEnding::TimedOut;
}

}  // namespace mivex::phone
