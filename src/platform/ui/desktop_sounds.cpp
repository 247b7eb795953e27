#include "platform/ui/desktop_sounds.h"

#include <canberra.h>

#include <QApplication>
#include <QByteArray>
#include <string>
#include <type_traits>

#include "platform/loadable_module.h"

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

// libcanberra's soname: the one its headers were made for.
constexpr char kCanberraFile[] = "libcanberra.so.0";

// The phone connection starting up: a short theme sound that reads as
// "signing on to a service".
constexpr char kStartEventId[] = "service-login";
// The sound theme's own sound for a message that just came in.
constexpr char kNewMessageEventId[] = "message-new-instant";

}  // namespace

// libcanberra's calls, found when the first sound plays: it brings the
// sound libraries and its configuration database, which a start need not
// map and relocate for a program that may never make a sound.
struct DesktopSounds::Canberra {
    decltype(&ca_context_create) create = nullptr;
    decltype(&ca_context_destroy) destroy = nullptr;
    decltype(&ca_context_change_props) changeProps = nullptr;
    decltype(&ca_context_play) play = nullptr;

    // Null when the library or one of its calls is missing.
    [[nodiscard]] static std::unique_ptr<Canberra> Load() {
        auto calls = std::make_unique<Canberra>();
        std::string error;
        const auto find = [&error](auto& call, const char* name) {
            call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(
                LoadModuleSymbol(kCanberraFile, name, error));
            return call != nullptr;
        };
        if (find(calls->create, "ca_context_create") &&
            find(calls->destroy, "ca_context_destroy") &&
            find(calls->changeProps, "ca_context_change_props") &&
            find(calls->play, "ca_context_play")) {
            return calls;
        }
        return nullptr;
    }
};

void DesktopSounds::ContextDeleter::operator()(ca_context* context) const {
    destroy(context);
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
        canberra_ = Canberra::Load();
        ca_context* context = nullptr;
        if (canberra_ && canberra_->create(&context) == CA_SUCCESS) {
            context_ = {context, ContextDeleter{canberra_->destroy}};
            canberra_->changeProps(context, CA_PROP_APPLICATION_NAME, "Mivex", nullptr);
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
        canberra_->play(context, 0, CA_PROP_EVENT_ID, eventId, nullptr) != CA_SUCCESS) {
        QApplication::beep();
    }
}

}  // namespace mivex::platform
