#pragma once

// gammu, a widely used AT client, reading every stored message of a phone
// with "getallsms", as a reference for how long such a read takes.

#include <filesystem>
#include <string>

namespace mivex::bench {

struct GammuRun {
    bool ok = false;
    std::string error;   // why it did not run or did not finish
    double seconds = 0;  // from start to exit
    int locations = 0;   // messages it listed
};

// Whether a gammu program is on the PATH.
[[nodiscard]] bool GammuInstalled();

// Runs "gammu getallsms" on `devicePath` at 115,200 baud with a configuration
// file and home directory in `workDirectory`. A run that takes longer than
// `limitSeconds` is killed and fails.
[[nodiscard]] GammuRun RunGammuGetAllSms(const std::string& devicePath,
                                         const std::filesystem::path& workDirectory,
                                         int limitSeconds);

}  // namespace mivex::bench
