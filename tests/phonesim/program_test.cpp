// Runs the built mivex-phonesim as a script would: reads the device path it
// prints, talks to it through its link, and stops it with SIGTERM.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "phone_fixtures.h"
#include "raw_client.h"
#include "run_tool.h"
#include "temp_dir.h"

namespace mivex::phonesim {
namespace {

namespace fs = std::filesystem;
using tools::RunTool;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

class Program : public ::testing::Test {
protected:
    mivex::testing::TempDir temporary;
    const fs::path folder = temporary.path();
};

TEST_F(Program, PrintsItsDeviceLinksItAndCleansUpOnSigterm) {
    std::ofstream(folder / "me.txt") << "# one message\n4 " << test::kHiDeliver << "\n";
    const fs::path link = folder / "phone";
    tools::RunningTool program(
        MIVEX_PHONESIM_PATH,
        {"--link", link.string(), "--me", (folder / "me.txt").string(), "--own-number",
         "+44770090012", "--sent-log", (folder / "sent.txt").string(), "--dump",
         (folder / "dump.txt").string()});
    const std::string device = program.FirstLine();
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0U) << device << program.Err();
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

TEST_F(Program, RefusesBadInputWithExitStatusTwo) {
    std::ofstream(folder / "sm.txt") << "\n1 " << test::kHiDeliver << "\n1 00\n";
    std::ofstream(folder / "file") << "keep me";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--sm", (folder / "sm.txt").string()}, "sm.txt:3: slot 1 is already taken"},
        {{"--link", (folder / "file").string()}, "is not a symbolic link"},
        {{"--own-number", "+44 77"}, "--own-number"},
        {{"--cut", "+CMGR"}, "needs a command and a number"},
        {{"--capacity", "0"}, "--capacity"},
        {{"--no-such-option"}, "no-such-option"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(message);
        const tools::ToolRun run = RunTool(MIVEX_PHONESIM_PATH, arguments);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(run.err.rfind("mivex-phonesim: ", 0), 0U) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFile(folder / "file"), "keep me");

    const tools::ToolRun help = RunTool(MIVEX_PHONESIM_PATH, {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("pseudo-terminal"), std::string::npos);
}

}  // namespace
}  // namespace mivex::phonesim
