#pragma once

// The desktop's event sounds from the user's sound theme, played through
// libcanberra, opened on the first sound. Where no sound can be played (no
// libcanberra, no sound card, no sound server, no theme) the windowing
// system's bell stands in; that is never an error
// anyone is shown. With MIVEX_SILENT=1 in the environment nothing sounds at
// all, so tests and scripted runs stay quiet.

#include <memory>

#include "platform/sounds.h"

struct ca_context;

namespace mivex::platform {

class DesktopSounds final : public Sounds {
public:
    DesktopSounds();
    ~DesktopSounds() override;
    DesktopSounds(const DesktopSounds&) = delete;
    DesktopSounds& operator=(const DesktopSounds&) = delete;

    void PlayStartSound() override;
    void DefaultBeep() override;
    void Beep(StatusBeep beep) override;
    void PlayNewMessageSound() override;

private:
    // Starts the named freedesktop event sound and returns at once.
    void PlayEvent(const char* eventId);
    ca_context* Context();

    struct Canberra;
    struct ContextDeleter {
        int (*destroy)(ca_context*);
        void operator()(ca_context* context) const;
    };
    std::unique_ptr<Canberra> canberra_;
    std::unique_ptr<ca_context, ContextDeleter> context_;
    bool contextTried_ = false;
};

}  // namespace mivex::platform
