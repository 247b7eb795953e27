#pragma once

// The program's few sounds; silent in tests and where no sound can be made.

#include "platform/status_sink.h"

namespace mivex::platform {

class Sounds {
public:
    virtual ~Sounds() = default;

    // The phone start-up sound, played without waiting for it to end.
    virtual void PlayStartSound() = 0;
    // The default beep, for a failed unmount and similar small failures.
    virtual void DefaultBeep() = 0;
    // The beep that goes with a status text; StatusBeep::None is silent.
    virtual void Beep(StatusBeep beep) = 0;
    // A new message came in by itself, without a run the user started.
    virtual void PlayNewMessageSound() {}
};

class SilentSounds final : public Sounds {
public:
    void PlayStartSound() override {}
    void DefaultBeep() override {}
    void Beep(StatusBeep) override {}
};

}  // namespace mivex::platform
