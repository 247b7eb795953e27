#pragma once

// The SIM card's PIN for mivex-cli: typed on the terminal without echo, or
// read from a file given with --pin-file. The file is read only when it is
// a regular file of this user's that nobody else can read: a PIN is a
// secret, and a file others can read, or a link or pipe someone else may
// have put there, is no place to take one from.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "platform/pin_prompter.h"

namespace mivex::tools {

// The PIN in `file` (its first line, blanks around it dropped), or nothing
// with `error` saying why: not there, a symbolic link, not a regular file
// (a FIFO is never waited on), another user's, readable or writable by
// group or others, or not 4 to 8 digits. The PIN itself is never put into
// `error`.
[[nodiscard]] std::optional<std::string> ReadPinFile(const std::filesystem::path& file,
                                                     std::string& error);

// Gives the PIN read from --pin-file; else asks on the terminal when
// standard input is one; else says on `err` how to give it and declines.
class ConsolePinPrompter final : public platform::PinPrompter {
public:
    ConsolePinPrompter(std::optional<std::string> pinFromFile, std::ostream& err)
        : pinFromFile_(std::move(pinFromFile)), err_(err) {}
    ~ConsolePinPrompter() override;

    std::optional<platform::PinEntry> AskPin(const platform::PinQuestion& question) override;

private:
    std::optional<std::string> pinFromFile_;
    std::ostream& err_;
};

}  // namespace mivex::tools
