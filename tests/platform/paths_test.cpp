#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "temp_dir.h"

namespace mivex::platform {
namespace {

// Sets an environment variable, or unsets it for null. Nothing here is put
// back: no other test of this program reads the environment.
void SetEnv(const char* name, const char* value) {
    value ? setenv(name, value, 1) : unsetenv(name);
}

TEST(DefaultDataDirectory, FollowsAnAbsoluteXdgDataHomeElseHome) {
    SetEnv("HOME", "/home/ann");
    const std::pair<const char*, const char*> cases[] = {
        {"/srv/data", "/srv/data/mivex"},
        {nullptr, "/home/ann/.local/share/mivex"},
        {"", "/home/ann/.local/share/mivex"},
        {"relative/dir", "/home/ann/.local/share/mivex"},
    };
    for (const auto& [xdg, directory] : cases) {
        SetEnv("XDG_DATA_HOME", xdg);
        EXPECT_EQ(DefaultDataDirectory(), std::filesystem::path(directory))
            << (xdg ? xdg : "unset");
    }
}

TEST(CreateOwnerOnlyDirectories, IsFalseWhenAFileIsInTheWay) {
    const testing::TempDir temp;
    std::ofstream(temp.path() / "file") << "not a directory";
    EXPECT_FALSE(CreateOwnerOnlyDirectories(temp.path() / "file"));
    EXPECT_FALSE(CreateOwnerOnlyDirectories(temp.path() / "file" / "below"));
}

}  // namespace
}  // namespace mivex::platform
