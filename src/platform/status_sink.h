#pragma once

// Where progress and result texts of long operations go: the status strip of
// the view in the desktop program, standard output in the command-line client.

#include <string_view>

namespace mivex::platform {

enum class StatusBeep {
    None = 0,
    Default = 1,
    Stop = 2,
    Exclamation = 3,
    Asterisk = 4,
    Question = 5
};

// Codes outside 1-3 keep the colour of the previous text.
enum class StatusColour { Keep = 0, Red = 1, Green = 2, Blue = 3 };

class StatusSink {
public:
    virtual ~StatusSink() = default;

    // Shows the text at once (the caller may block for a long time after it)
    // and sounds the beep.
    virtual void ShowStatus(std::u16string_view text, StatusBeep beep, StatusColour colour) = 0;

    // Before a run that blocks the thread: repaints the view that holds the
    // strip (a menu that just closed over it must not stay drawn) and lowers
    // the on-screen keyboard. Nothing to do where nothing is painted.
    virtual void RepaintOwner() {}
};

}  // namespace mivex::platform
