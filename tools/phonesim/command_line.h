#pragma once

// The arguments of mivex-phonesim and their declaration to CLI11.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "phonesim/simulated_phone.h"

namespace mivex::tools {

struct PhonesimArguments {
    std::string link;
    std::string meFile;
    std::string smFile;
    int capacity = 30;
    int baudRate = 0;
    std::string ownNumber;
    std::string serviceCentre = phonesim::PhoneSettings{}.serviceCentre;
    std::string sentLog;
    std::string dump;
    std::vector<std::string> unsolicited;
    std::vector<std::string> garbage;
    std::vector<std::string> silent;
    std::vector<std::string> error;
    std::vector<std::string> cmsError;
    std::vector<std::string> cut;
    std::vector<std::string> late;
    std::vector<int> refusedSubmissions;
    bool emptySlotError = false;
    std::string pin;
    bool noSim = false;
    std::string report;  // empty: no delivery reports
    int reportDelayMs = 0;
    std::string incoming;  // a FIFO; empty: none
};

// Declares every option on `app`; a successful parse fills `arguments`, which
// must outlive `app`.
void DefineCommandLine(CLI::App& app, PhonesimArguments& arguments);

// The phone the arguments describe, stores loaded from their files. Nothing,
// with `error` set, for a bad fault request, number or store file.
[[nodiscard]] std::optional<phonesim::PhoneSetup> BuildSetup(const PhonesimArguments& arguments,
                                                             std::string& error);

}  // namespace mivex::tools
