// Who a busy port is said to be held by: a modem ModemManager lists, a
// process of this user's (here in a made-up /proc), or nobody known.

#include "phone/port_holder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "temp_dir.h"

namespace mivex::phone {
namespace {

namespace fs = std::filesystem;

class ListedModems final : public platform::ModemDirectory {
public:
    std::vector<platform::ManagedModem> ListModems() override { return modems; }
    std::vector<platform::ManagedModem> modems;
};

// A /proc with process `pid` named `program` holding `device` as fd 5.
void AddProcess(const fs::path& proc, int pid, const std::string& program,
                const std::string& device) {
    const fs::path folder = proc / std::to_string(pid);
    fs::create_directories(folder / "fd");
    std::ofstream(folder / "comm") << program << '\n';
    fs::create_symlink(device, folder / "fd" / "5");
}

ino_t Inode(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0);
    return info.st_ino;
}

TEST(BusyPort, NamesWhoHoldsIt) {
    const std::string device = "/dev/null";  // any character device stands in for a tty
    const platform::ManagedModem ec25{"1", u"Quectel EC25", {"/dev/cdc-wdm0", device}};
    const platform::ManagedModem other{"2", u"Other", {"/dev/ttyUSB7"}};
    struct Case {
        const char* name;
        std::vector<platform::ManagedModem> modems;
        bool processHolds;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"ModemManager first",
         {other, ec25},
         true,
         u"ModemManager is using /dev/null (Quectel EC25) - choose \"Quectel EC25 (ModemManager)\" "
         u"as the port to use it through ModemManager, or let ModemManager ignore it: see \"A "
         u"port ModemManager holds\" in Help (Mivex.htm#ModemManager)"},
        {"a program of this user's",
         {other},
         true,
         u"The port /dev/null is in use by minicom (pid 4242) - close it, then try again!"},
        {"nobody known", {other}, false, std::u16string(kPortInUseText)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir proc;
        fs::create_directories(proc.path() / "self" / "fd");
        AddProcess(proc.path(), 17, "bash", "/dev/zero");
        if (c.processHolds) {
            // Of two programs with the port open, the one with the lock holds it.
            AddProcess(proc.path(), 4000, "pty-server", device);
            AddProcess(proc.path(), 4242, "minicom", device);
            std::ofstream(proc.path() / "locks")
                << "1: POSIX  ADVISORY  WRITE 4000 00:18:9 0 EOF\n"
                << "2: FLOCK  ADVISORY  WRITE 4242 00:05:" << Inode(device) << " 0 EOF\n";
        }
        ListedModems modems;
        modems.modems = c.modems;
        EXPECT_EQ(BusyPortText(device, modems, proc.path()), c.expected);
    }
}

}  // namespace
}  // namespace mivex::phone
