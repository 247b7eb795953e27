#pragma once

// What mivex-phonesim writes while it runs: the sent log, the dump of its
// stores, and notes on stderr.

#include <cstdio>
#include <string>

#include "phonesim/pty_runner.h"

namespace mivex::tools {

class PhoneFiles : public phonesim::PhoneObserver {
public:
    // Empty paths write nothing.
    PhoneFiles(std::string sentLogPath, std::string dumpPath);
    ~PhoneFiles() override;
    PhoneFiles(const PhoneFiles&) = delete;
    PhoneFiles& operator=(const PhoneFiles&) = delete;

    // Opens the sent log and writes the first dump. False with `error` set
    // when either cannot be written.
    [[nodiscard]] bool Open(const phonesim::PhoneStores& stores, std::string& error);

    void OnOutput(const phonesim::InterpreterOutput& output,
                  const phonesim::PhoneStores& stores) override;

private:
    std::string sentLogPath_;
    std::string dumpPath_;
    std::FILE* sentLog_ = nullptr;
};

}  // namespace mivex::tools
