#pragma once

// A serial client as simple as can be, for tests on a real pseudo-terminal:
// raw mode, plain read and write. Reads give up after a generous safety
// limit so a broken phone fails the test instead of hanging it; no test
// asserts anything about how long a read took.

#include <string>
#include <string_view>

namespace mivex::phonesim::test {

class RawClient {
public:
    RawClient() = default;
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    [[nodiscard]] bool Open(const std::string& path);
    void Close();
    [[nodiscard]] bool Write(std::string_view bytes);

    // Everything read until `terminator` has arrived (included), the line went
    // dead, or the safety limit passed.
    [[nodiscard]] std::string ReadUntil(std::string_view terminator);

    // Everything read until the line went dead (the phone closed it).
    [[nodiscard]] std::string ReadUntilClosed();

    // True once a read has reported the far end gone.
    [[nodiscard]] bool SawHangUp() const { return hangUp_; }

private:
    [[nodiscard]] bool ReadSome(std::string& into);

    int descriptor_ = -1;
    bool hangUp_ = false;
};

}  // namespace mivex::phonesim::test
