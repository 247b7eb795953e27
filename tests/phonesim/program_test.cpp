// The built mivex-phonesim's command line; gammu_interop.sh runs it as a
// script would, through its device link, up to SIGTERM.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "phone_fixtures.h"
#include "run_tool.h"
#include "temp_dir.h"

namespace mivex::phonesim {
namespace {

using tools::RunTool;

TEST(Program, RefusesBadInputWithExitStatusTwo) {
    const mivex::testing::TempDir temporary;
    const std::filesystem::path folder = temporary.path();
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
    EXPECT_EQ(std::filesystem::file_size(folder / "file"), 7U);  // not replaced by a link

    const tools::ToolRun help = RunTool(MIVEX_PHONESIM_PATH, {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("pseudo-terminal"), std::string::npos);
}

}  // namespace
}  // namespace mivex::phonesim
