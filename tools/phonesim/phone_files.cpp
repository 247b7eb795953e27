#include "phone_files.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <utility>

#include "exit_status.h"
#include "phonesim/store_file.h"
#include "sms/hex_text.h"

namespace mivex::tools {

PhoneFiles::PhoneFiles(std::string sentLogPath, std::string dumpPath)
    : sentLogPath_(std::move(sentLogPath)), dumpPath_(std::move(dumpPath)) {}

PhoneFiles::~PhoneFiles() {
    if (sentLog_ != nullptr) {
        std::fclose(sentLog_);
    }
}

bool PhoneFiles::Open(const phonesim::PhoneStores& stores, std::string& error) {
    if (!sentLogPath_.empty()) {
        sentLog_ = std::fopen(sentLogPath_.c_str(), "ae");
        if (sentLog_ == nullptr) {
            error = sentLogPath_ + ": " + std::strerror(errno);
            return false;
        }
    }
    return dumpPath_.empty() ||
           phonesim::ReplaceFile(dumpPath_, phonesim::FormatStoreDump(stores), error);
}

void PhoneFiles::OnOutput(const phonesim::InterpreterOutput& output,
                          const phonesim::PhoneStores& stores) {
    for (const std::string& note : output.notes) {
        std::cerr << kMessagePrefix << note << std::endl;
    }
    if (sentLog_ != nullptr) {
        for (const phonesim::SubmittedPdu& submitted : output.submitted) {
            // One line a PDU, flushed at once: a test reads the log while the phone runs.
            const std::string line =
                std::to_string(submitted.length) + " " + sms::BytesToHex(submitted.pdu) + "\n";
            if (std::fputs(line.c_str(), sentLog_) < 0 || std::fflush(sentLog_) != 0) {
                std::cerr << kMessagePrefix << sentLogPath_ << ": " << std::strerror(errno)
                          << std::endl;
            }
        }
    }
    std::string error;
    if (output.storesChanged && !dumpPath_.empty() &&
        !phonesim::ReplaceFile(dumpPath_, phonesim::FormatStoreDump(stores), error)) {
        std::cerr << kMessagePrefix << error << std::endl;
    }
}

}  // namespace mivex::tools
