// mivex-cli with a SIM card that asks for its PIN, and with a port another
// program holds exclusively, run as an unprivileged user (root would pass
// the exclusive flag by).

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "cli_fixture.h"

namespace mivex::tools {
namespace {

namespace fs = std::filesystem;

class CliSim : public CliFixture {
protected:
    // A phone holding one message, its SIM locked with 2580.
    void StartLockedPhone() {
        phonesim::PhoneSetup setup;
        setup.stores = {phonesim::MessageStore(5), phonesim::MessageStore(5)};
        EXPECT_TRUE(setup.stores.phone.Put(
            1, {phonesim::BuildDeliverPdus(u"Hi", "+447700900123", "+447700900000",
                                           {{2024, 3, 9, 12, 0, 0, 0}, 60})[0],
                phonesim::MessageStatus::ReceivedUnread}));
        setup.settings.sim.pin = "2580";
        StartPhone(std::move(setup));
    }
    fs::path PinFile(const std::string& name, const std::string& content, mode_t mode) {
        const fs::path file = temp.path() / name;
        std::ofstream(file) << content;
        EXPECT_EQ(chmod(file.c_str(), mode), 0);
        return file;
    }
};

TEST_F(CliSim, TakesThePinOnlyFromAFileOfTheUsersOwn) {
    ASSERT_NO_FATAL_FAILURE(StartLockedPhone());
    const fs::path good = PinFile("good", "2580\n", 0600);
    const fs::path link = temp.path() / "link";
    fs::create_symlink(good, link);
    const fs::path fifo = temp.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const fs::path others = PinFile("others", "2580\n", 0600);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(others.c_str(), 65534, 65534), 0);
    }
    struct Case {
        fs::path file;
        std::string error;  // on stderr; empty: received
    };
    const std::vector<Case> cases = {
        {link, "is a symbolic link"},
        {fifo, "is not a regular file"},
        {PinFile("shared", "2580\n", 0640), "may be read or changed by others"},
        {PinFile("letters", "12a4\n", 0600), "does not hold a PIN of 4 to 8 digits"},
        {PinFile("long", "123456789\n", 0600), "does not hold a PIN of 4 to 8 digits"},
        {temp.path() / "missing", "No such file"},
        {root ? others : fs::path(), root ? "belongs to another user" : "No such file"},
        {PinFile("wrong", "9999\n", 0600), "Wrong PIN - the SIM card is still locked!"},
        {good, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.string());
        const ToolRun run = Run({"--pin-file", c.file.string(), "receive"});
        EXPECT_EQ(run.exitStatus, c.error.empty() ? 0 : 1) << run.err;
        EXPECT_TRUE(Contains(run.err, c.error)) << run.err;
        EXPECT_FALSE(Contains(run.err + run.out, "2580"));
    }
    EXPECT_EQ(Listed("inbox"), std::vector<std::string>{"Hi"});
}

TEST_F(CliSim, SaysAPinIsNeededWhenThereIsNoTerminal) {
    ASSERT_NO_FATAL_FAILURE(StartLockedPhone());
    const ToolRun run = Run({"receive"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(Contains(run.err, "give it with --pin-file FILE")) << run.err;
    EXPECT_TRUE(Contains(run.err, "No PIN given - the SIM card is still locked!")) << run.err;
}

// The user the test runs Mivex as: itself, or nobody when it is root.
struct User {
    uid_t uid;
    gid_t gid;
};
User Unprivileged() {
    if (geteuid() != 0)
        return {geteuid(), getegid()};
    const passwd* nobody = getpwnam("nobody");
    return nobody != nullptr ? User{nobody->pw_uid, nobody->pw_gid} : User{65534, 65534};
}

// A process of `user`'s named "port-holder" that opens `device` exclusively
// (flock and TIOCEXCL), as a terminal program or ModemManager does.
pid_t HoldExclusively(const std::string& device, User user) {
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(user.gid) != 0 || setuid(user.uid) != 0))
            _exit(1);
        // Changing user made it undumpable, which would hide its fds.
        prctl(PR_SET_DUMPABLE, 1);
        prctl(PR_SET_NAME, "port-holder");
        const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0)
            _exit(1);
        (void)!write(ready[1], "1", 1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    const bool held = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (!held && child > 0)
        waitpid(child, nullptr, 0);
    return held ? child : -1;
}

TEST_F(CliSim, NamesTheProgramThatHoldsThePort) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    const std::string device = ptsname(master);
    const User user = Unprivileged();
    ASSERT_EQ(chown(device.c_str(), user.uid, user.gid), 0);
    ASSERT_EQ(chown(temp.path().c_str(), user.uid, user.gid), 0);
    const pid_t holder = HoldExclusively(device, user);
    ASSERT_GT(holder, 0);

    Arguments line{"--data-dir", data.string(), "--port", device, "receive"};
    std::string program = MIVEX_CLI_PATH;
    if (geteuid() == 0) {
        line.insert(line.begin(),
                    {"--reuid=" + std::to_string(user.uid), "--regid=" + std::to_string(user.gid),
                     "--clear-groups", program});
        program = "/usr/bin/setpriv";
    }
    const ToolRun run = RunTool(program, line);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(master);

    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(Contains(run.err, "The port " + device + " is in use by port-holder (pid " +
                                      std::to_string(holder) + ") - close it, then try again!"))
        << run.err;
}

}  // namespace
}  // namespace mivex::tools
