#include "phone/port_holder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

#include "text/utf8.h"

namespace mivex::phone {

namespace {

namespace fs = std::filesystem;

// A device path or program name is shown, never trusted: cut to a length a
// status line can hold, with control characters made visible as '?'.
constexpr std::size_t kMaxShownBytes = 64;

std::u16string Shown(std::string_view bytes) {
    std::string clean(bytes.substr(0, kMaxShownBytes));
    for (char& c : clean) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return text::Utf8ToUtf16(clean).value_or(u"?");
}

std::optional<dev_t> CharacterDevice(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return std::nullopt;
    return info.st_rdev;
}

std::optional<std::int64_t> ProcessId(const std::string& name) {
    if (name.empty() || name.size() > 10 ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoll(name);
}

bool HoldsDevice(const fs::path& fdFolder, dev_t device) {
    std::error_code error;
    for (fs::directory_iterator fd(fdFolder, error), end; !error && fd != end;
         fd.increment(error)) {
        if (CharacterDevice(fd->path()) == device)
            return true;
    }
    return false;
}

std::string ProgramName(const fs::path& processFolder) {
    std::ifstream comm(processFolder / "comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? std::string("a program") : name;
}

// The processes /proc/locks shows holding a lock on the device's inode:
// "1: FLOCK  ADVISORY  WRITE 4242 00:18:5 0 EOF".
std::vector<std::int64_t> LockingProcesses(const fs::path& procRoot, const std::string& device) {
    struct stat info {};
    std::vector<std::int64_t> pids;
    if (::stat(device.c_str(), &info) != 0)
        return pids;
    const std::string inode = ":" + std::to_string(info.st_ino);
    std::ifstream locks(procRoot / "locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::vector<std::string> words{std::istream_iterator<std::string>(fields), {}};
        if (words.size() >= 6 && words[1] == "->")
            words.erase(words.begin() + 1);  // a waiting lock
        if (words.size() < 6 || !words[5].ends_with(inode))
            continue;
        if (const std::optional<std::int64_t> pid = ProcessId(words[4]))
            pids.push_back(*pid);
    }
    return pids;
}

}  // namespace

std::optional<HoldingProcess> FindHoldingProcess(const std::string& devicePath,
                                                 const fs::path& procRoot) {
    const std::optional<dev_t> device = CharacterDevice(devicePath);
    if (!device)
        return std::nullopt;
    const std::int64_t self = ::getpid();
    std::vector<std::pair<std::int64_t, fs::path>> holders;
    std::error_code error;
    for (fs::directory_iterator entry(procRoot, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::optional<std::int64_t> pid = ProcessId(entry->path().filename().string());
        // Another user's fd folder cannot be read; it is skipped.
        if (pid && *pid != self && HoldsDevice(entry->path() / "fd", *device))
            holders.emplace_back(*pid, entry->path());
    }
    if (holders.empty())
        return std::nullopt;
    std::sort(holders.begin(), holders.end());  // the oldest first, as the fallback
    // Of several programs with the device open (a terminal server keeps its
    // own end open too), the one with a lock on it is the one in the way.
    const std::vector<std::int64_t> locking = LockingProcesses(procRoot, devicePath);
    auto chosen = std::find_if(holders.begin(), holders.end(), [&](const auto& holder) {
        return std::find(locking.begin(), locking.end(), holder.first) != locking.end();
    });
    if (chosen == holders.end())
        chosen = holders.begin();
    return HoldingProcess{ProgramName(chosen->second), chosen->first};
}

std::optional<platform::ManagedModem> FindHoldingModem(const std::string& devicePath,
                                                       platform::ModemDirectory& modems) {
    std::error_code error;
    const fs::path resolved = fs::canonical(devicePath, error);
    for (platform::ManagedModem& modem : modems.ListModems()) {
        for (const std::string& port : modem.ports) {
            if (port == devicePath || (!error && port == resolved.string()))
                return std::move(modem);
        }
    }
    return std::nullopt;
}

std::u16string BusyPortText(const std::string& devicePath, platform::ModemDirectory& modems,
                            const fs::path& procRoot) {
    const std::u16string device = Shown(devicePath);
    if (const std::optional<platform::ManagedModem> modem = FindHoldingModem(devicePath, modems)) {
        const std::u16string name = modem->name.substr(0, kMaxShownBytes);
        std::u16string text = u"ModemManager is using " + device;
        if (!name.empty())
            text += u" (" + name + u")";
        // The way out that costs nothing: the same modem, through ModemManager.
        text += u" - choose \"" + (name.empty() ? u"the modem" : name) +
                u" (ModemManager)\" as the port to use it through ModemManager";
        return text + u", or let ModemManager ignore it: see \"A port ModemManager holds\" " +
               u"in Help (Mivex.htm#" + std::u16string(kModemManagerHelpAnchor) + u")";
    }
    if (const std::optional<HoldingProcess> holder = FindHoldingProcess(devicePath, procRoot)) {
        return u"The port " + device + u" is in use by " + Shown(holder->program) + u" (pid " +
               Shown(std::to_string(holder->pid)) + u") - close it, then try again!";
    }
    return std::u16string(kPortInUseText);
}

std::u16string NoPermissionText(const std::string& devicePath) {
    return u"No permission to open " + Shown(devicePath) +
           u" - join the dialout group (sudo usermod -aG dialout $USER), log in again, then "
           u"try again!";
}

}  // namespace mivex::phone
