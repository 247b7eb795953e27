#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace mivex::platform {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DefaultDataDirectory, FollowsXdgDataHomeWhenAbsolute) {
    ScopedEnv xdg("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(DefaultDataDirectory(), std::filesystem::path("/srv/data/mivex"));
}

TEST(DefaultDataDirectory, FallsBackToHomeForUnsetEmptyOrRelativeXdg) {
    ScopedEnv home("HOME", "/home/ann");
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
        ScopedEnv xdg("XDG_DATA_HOME", value);
        EXPECT_EQ(DefaultDataDirectory(), std::filesystem::path("/home/ann/.local/share/mivex"))
            << (value ? value : "(unset)");
    }
}

}  // namespace
}  // namespace mivex::platform
