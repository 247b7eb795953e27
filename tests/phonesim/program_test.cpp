// Runs the built mivex-phonesim as a script would: reads the device path it
// prints, talks to it through its link, and stops it with SIGTERM.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "phone_fixtures.h"
#include "raw_client.h"

namespace mivex::phonesim {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "phonesim-program-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    [[nodiscard]] fs::path operator/(std::string_view name) const { return path_ / name; }

private:
    fs::path path_;
};

// The program running as a child, its stdout on a pipe and stderr in a file.
class Program {
public:
    Program(std::vector<std::string> arguments, const fs::path& errFile) {
        std::array<int, 2> out{};
        if (pipe(out.data()) != 0) {
            return;
        }
        std::vector<std::string> words{MIVEX_PHONESIM_PATH};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid_, words[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            (void)Wait();
        }
        if (out_ >= 0) {
            close(out_);
        }
    }

    // The first line of stdout, without its line feed; empty when the program
    // closed stdout first (it failed) or the safety limit passed.
    std::string FirstLine() {
        std::string line;
        for (int polls = 0; polls < 200 && line.find('\n') == std::string::npos; ++polls) {
            pollfd watched{out_, POLLIN, 0};
            if (poll(&watched, 1, 100) <= 0) {
                continue;
            }
            char c = 0;
            if (read(out_, &c, 1) != 1) {
                break;
            }
            line += c;
        }
        return line.substr(0, line.find('\n'));
    }

    // The exit status, -1 when it did not exit normally.
    int Wait() {
        int status = 0;
        const pid_t waited = waitpid(pid_, &status, 0);
        pid_ = -1;
        return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void Signal(int number) const { kill(pid_, number); }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

TEST(Program, PrintsItsDeviceLinksItAndCleansUpOnSigterm) {
    ScratchFolder folder;
    std::ofstream(folder / "me.txt") << "# one message\n4 " << test::kHiDeliver << "\n";
    const fs::path link = folder / "phone";
    Program program({"--link", link.string(), "--me", (folder / "me.txt").string(), "--own-number",
                     "+44770090012", "--sent-log", (folder / "sent.txt").string(), "--dump",
                     (folder / "dump.txt").string()},
                    folder / "err.txt");
    const std::string device = program.FirstLine();
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0U) << device << ReadFile(folder / "err.txt");
    EXPECT_EQ(fs::read_symlink(link), device);
    EXPECT_EQ(ReadFile(folder / "dump.txt"), "ME 4 " + std::string(test::kHiDeliver) + "\n");

    test::RawClient client;
    ASSERT_TRUE(client.Open(link.string()));
    ASSERT_TRUE(client.Write("ATE0\rAT+CMGS=16\r"));
    EXPECT_EQ(client.ReadUntil("> "), "ATE0\r\r\nOK\r\n\r\n> ");
    ASSERT_TRUE(client.Write(std::string(test::kHiSubmit) + "\x1a"));
    EXPECT_EQ(client.ReadUntil("OK\r\n"), "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    client.Close();

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_EQ(ReadFile(folder / "sent.txt"), "16 " + std::string(test::kHiSubmit) + "\n");
    // The message to its own number came back into the lowest free slot.
    const std::string dump = ReadFile(folder / "dump.txt");
    EXPECT_EQ(dump.substr(0, 5), "ME 1 ");
    EXPECT_NE(dump.find("ME 4 " + std::string(test::kHiDeliver)), std::string::npos);
}

TEST(Program, RefusesBadInputWithExitStatusTwo) {
    ScratchFolder folder;
    std::ofstream(folder / "sm.txt") << "\n1 " << test::kHiDeliver << "\n1 00\n";
    std::ofstream(folder / "file") << "keep me";
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"--sm", (folder / "sm.txt").string()}, "sm.txt:3: slot 1 is already taken"},
        {{"--link", (folder / "file").string()}, "is not a symbolic link"},
        {{"--own-number", "+44 77"}, "--own-number"},
        {{"--cut", "+CMGR"}, "needs a command and a number"},
        {{"--capacity", "0"}, "--capacity"},
        {{"--no-such-option"}, "no-such-option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Program program(c.arguments, folder / "err.txt");
        EXPECT_EQ(program.FirstLine(), "");
        EXPECT_EQ(program.Wait(), 2);
        const std::string err = ReadFile(folder / "err.txt");
        EXPECT_EQ(err.rfind("mivex-phonesim: ", 0), 0U) << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
    }
    EXPECT_EQ(ReadFile(folder / "file"), "keep me");
}

TEST(Program, HelpDescribesTheProgram) {
    ScratchFolder folder;
    Program program({"--help"}, folder / "err.txt");
    EXPECT_NE(program.FirstLine().find("pseudo-terminal"), std::string::npos);
    EXPECT_EQ(program.Wait(), 0);
}

}  // namespace
}  // namespace mivex::phonesim
