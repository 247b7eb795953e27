#pragma once

// A stable name for the simulated phone's device: the pseudo-terminal gets a
// new /dev/pts/N every run, so scripts and settings point at a symbolic link.

#include <string>

namespace mivex::phonesim {

// Points the symbolic link `linkPath` at `target`, replacing a link that is
// already there (a stale one from a run that was killed). Anything else at
// `linkPath` is left alone and refused: false with `error` set.
[[nodiscard]] bool CreateDeviceLink(const std::string& linkPath, const std::string& target,
                                    std::string& error);

// Removes the link if it still points at `target`, so a link another run has
// taken over since stays.
void RemoveDeviceLink(const std::string& linkPath, const std::string& target);

}  // namespace mivex::phonesim
