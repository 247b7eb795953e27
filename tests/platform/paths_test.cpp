#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "temp_dir.h"

namespace mivex::platform {
namespace {

// Sets an environment variable (or unsets it, for null) for one test and
// puts the old value back, so other tests see the environment they started with.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) { value ? setenv(name_, value, 1) : unsetenv(name_); }

    const char* name_;
    std::optional<std::string> old_;
};

TEST(DefaultDataDirectory, FollowsAnAbsoluteXdgDataHomeElseHome) {
    ScopedEnv home("HOME", "/home/ann");
    const std::pair<const char*, const char*> cases[] = {
        {"/srv/data", "/srv/data/mivex"},
        {nullptr, "/home/ann/.local/share/mivex"},
        {"", "/home/ann/.local/share/mivex"},
        {"relative/dir", "/home/ann/.local/share/mivex"},
    };
    for (const auto& [xdg, directory] : cases) {
        ScopedEnv set("XDG_DATA_HOME", xdg);
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
