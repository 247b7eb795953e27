#pragma once

// SIGTERM, SIGINT and SIGHUP turned into a readable pipe, so that a watch
// sleeping in poll() wakes and ends after the step under way instead of
// dying in the middle of a read or a write.

namespace mivex::tools {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Readable once a stop signal came; -1 when no pipe could be had.
    [[nodiscard]] int Descriptor() const { return read_; }

private:
    int read_ = -1;
};

}  // namespace mivex::tools
