#pragma once

// Desktop notifications: a short notice the desktop shows outside the window
// (the freedesktop notification service on the session bus). Where no
// service answers, a notice is simply not shown; that is never an error
// anyone is told about.

#include <cstdint>
#include <functional>
#include <string_view>

namespace mivex::platform {

class Notifier {
public:
    // Called on the thread the notifier lives on when the user clicks the
    // notice that was shown with `tag`.
    using Clicked = std::function<void(std::uint64_t tag)>;

    virtual ~Notifier() = default;

    // Shows `title` with `body` (plain text, shown as it stands) and returns
    // at once; `tag` comes back through the Clicked callback.
    virtual void Notify(std::u16string_view title, std::u16string_view body, std::uint64_t tag) = 0;
    virtual void SetClicked(Clicked clicked) = 0;
};

}  // namespace mivex::platform
