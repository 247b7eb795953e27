#pragma once

// The one door into libmivex-instance, the module that holds the local
// socket between copies of the program. The socket comes with QtNetwork,
// which brings Kerberos, the proxy library and the resolver: a dozen
// libraries mapped and relocated before the window could paint. Whether
// this copy runs alone is settled by a lock file without them; the module
// is opened after the first paint to answer later copies, and by a later
// copy to ask the running one forward.
//
// Both sides are built from this one header by the same build, so the entry
// passes Qt types; the version guards against a module left behind by an
// older install.

#include <QObject>
#include <QString>
#include <functional>

namespace mivex::app {

inline constexpr const char* kInstanceModuleFile = "libmivex-instance.so";
inline constexpr const char* kInstanceModuleSymbol = "mivex_instance_module_entry";
// Raised whenever InstanceModuleEntry changes shape.
inline constexpr int kInstanceModuleVersion = 1;

struct InstanceModuleEntry {
    int version = kInstanceModuleVersion;
    // Answers later copies on the socket `name`, replacing a crashed copy's,
    // reachable by this user only; `raise` runs on each request. The server
    // is a child of `owner`. False, with the reason in `error`, when it
    // cannot listen.
    bool (*listen)(const QString& name, QObject* owner, std::function<void()> raise,
                   QString& error) = nullptr;
    // Asks the copy listening on `name` to come forward; false when it could
    // not be reached.
    bool (*askToRaise)(const QString& name) = nullptr;
};

// The type of kInstanceModuleSymbol, an extern "C" function in the module.
using InstanceModuleEntryFunction = const InstanceModuleEntry* (*)();

}  // namespace mivex::app
