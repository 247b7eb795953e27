#pragma once

// The trace of trace mode: every byte written to and read from the phone, and
// every line failure, appended with a time stamp to "MXdebug.txt". A record is
// a header line and then its data byte for byte, so the file shows exactly what
// went over the line.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace mivex::phone {

inline constexpr std::string_view kTraceFileName = "MXdebug.txt";

enum class TraceKind { Open = 0, Transmit = 1, Receive = 2, Close = 3 };

// "SS.hh" for a millisecond tick count: the seconds, wrapping every 100 s, and
// the hundredths of a second; 1'234'567 ms gives "34.56".
[[nodiscard]] std::string TraceStamp(std::uint64_t tickMs);

class Trace {
public:
    // The file goes into `directory` (the program's data directory), which
    // must exist; stamps come from `clock`.
    Trace(platform::Clock& clock, std::filesystem::path directory);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // Open: creates the file afresh, readable by its owner only (an old file
    // is emptied, an open one closed first), and writes
    // "SS.hh -- Debug Output Start". False, without waiting, when the file
    // cannot be created or what stands under its name is not a regular file
    // of this user's with no other name (a link, a FIFO, a device, a hard
    // link); later records then go nowhere.
    // Transmit, Receive: "\r\nSS.hh T\r\n" or "\r\nSS.hh R\r\n", then `data`.
    // Close: "\r\nSS.hh -- Debug Output End", then the file is closed.
    // True when the record reached the file.
    bool TraceWrite(TraceKind kind, std::string_view data = {});

    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    [[nodiscard]] std::filesystem::path FilePath() const { return directory_ / kTraceFileName; }

private:
    bool Append(std::string_view bytes);
    bool CreateTraceFile();
    void CloseFile();

    platform::Clock& clock_;
    std::filesystem::path directory_;
    int fd_ = -1;
};

}  // namespace mivex::phone
