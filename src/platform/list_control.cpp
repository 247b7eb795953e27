#include "platform/list_control.h"

namespace mivex::platform {

std::size_t FirstSelectedIndex(const ListControl& list) {
    const std::size_t count = list.Count();
    for (std::size_t index = 0; index < count; ++index) {
        if (list.IsSelected(index))
            return index;
    }
    return count;
}

}  // namespace mivex::platform
