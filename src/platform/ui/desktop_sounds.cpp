#include "platform/ui/desktop_sounds.h"

#include <canberra.h>

#include <QApplication>
#include <QByteArray>

namespace mivex::platform {
namespace {

bool Silenced() {
    return qgetenv("MIVEX_SILENT") == "1";
}

// Names from the freedesktop sound naming scheme, so every sound theme has
// them (or falls back to its own defaults).
const char* EventIdOf(StatusBeep beep) {
    switch (beep) {
        case StatusBeep::Default:
            return "bell";
        case StatusBeep::Stop:
            return "dialog-error";
        case StatusBeep::Exclamation:
            return "dialog-warning";
        case StatusBeep::Asterisk:
            return "dialog-information";
        case StatusBeep::Question:
            return "dialog-question";
        case StatusBeep::None:
            break;
    }
    return nullptr;
}

// The phone connection starting up: a short theme sound that reads as
// "signing on to a service".
constexpr char kStartEventId[] = "service-login";
// The sound theme's own sound for a message that just came in.
constexpr char kNewMessageEventId[] = "message-new-instant";

}  // namespace

void DesktopSounds::ContextDeleter::operator()(ca_context* context) const {
    ca_context_destroy(context);
}

DesktopSounds::DesktopSounds() = default;
DesktopSounds::~DesktopSounds() = default;

void DesktopSounds::PlayStartSound() {
    PlayEvent(kStartEventId);
}

void DesktopSounds::PlayNewMessageSound() {
    PlayEvent(kNewMessageEventId);
}

void DesktopSounds::DefaultBeep() {
    Beep(StatusBeep::Default);
}

void DesktopSounds::Beep(StatusBeep beep) {
    if (const char* eventId = EventIdOf(beep)) {
        PlayEvent(eventId);
    }
}

ca_context* DesktopSounds::Context() {
    // One attempt only: without a sound system every later sound goes
    // straight to the bell instead of failing the same way again.
    if (!contextTried_) {
        contextTried_ = true;
        ca_context* context = nullptr;
        if (ca_context_create(&context) == CA_SUCCESS) {
            context_.reset(context);
            ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Mivex", nullptr);
        }
    }
    return context_.get();
}

void DesktopSounds::PlayEvent(const char* eventId) {
    if (Silenced()) {
        return;
    }
    // ca_context_play only queues the sound; it never waits for it to end.
    ca_context* context = Context();
    if (context == nullptr ||
        ca_context_play(context, 0, CA_PROP_EVENT_ID, eventId, nullptr) != CA_SUCCESS) {
        QApplication::beep();
    }
}

}  // namespace mivex::platform
