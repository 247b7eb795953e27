#pragma once

// The lines a person or a test writes to the phone's incoming FIFO, each one
// a PDU arriving from the network. The FIFO is opened for reading and
// writing, so the phone never sees end-of-file when a writer closes it and
// the next writer is taken as the first was.

#include <string>
#include <vector>

namespace mivex::phonesim {

// A line longer than this is no PDU; it is thrown away up to its end.
inline constexpr std::size_t kMaxIncomingLine = 4096;

class IncomingLines {
public:
    IncomingLines() = default;
    ~IncomingLines();
    IncomingLines(IncomingLines&& other) noexcept;
    IncomingLines& operator=(IncomingLines&& other) noexcept;
    IncomingLines(const IncomingLines&) = delete;
    IncomingLines& operator=(const IncomingLines&) = delete;

    // Opens the FIFO at `path`. False, with `error` set, when it cannot be
    // opened or is no FIFO.
    [[nodiscard]] bool Open(const std::string& path, std::string& error);

    // -1 when none is open.
    [[nodiscard]] int Descriptor() const { return descriptor_; }

    // Reads what is there and returns the complete lines, spaces and CR
    // taken off, empty ones left out.
    [[nodiscard]] std::vector<std::string> ReadLines();

private:
    int descriptor_ = -1;
    std::string partial_;
    bool skipping_ = false;  // inside an overlong line
};

}  // namespace mivex::phonesim
