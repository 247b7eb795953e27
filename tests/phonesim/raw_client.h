#pragma once

// A serial client as simple as can be, for tests on a real pseudo-terminal:
// raw mode, plain read and write. Reads give up after a generous safety
// limit so a broken phone fails the test instead of hanging it.

#include <string>
#include <string_view>

namespace mivex::phonesim::test {

class RawClient {
public:
    RawClient() = default;
    ~RawClient() { Close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    [[nodiscard]] bool Open(const std::string& path);
    void Close();
    [[nodiscard]] bool Write(std::string_view bytes);
    // Everything read until `terminator` has arrived (included), the line went
    // dead, or the safety limit passed.
    [[nodiscard]] std::string ReadUntil(std::string_view terminator);

private:
    int descriptor_ = -1;
};

}  // namespace mivex::phonesim::test
