#pragma once

// `mivex --demo`: a throw-away data directory with a sample address book, and
// a simulated phone on its own pseudo-terminal holding sample messages in its
// memory and on its SIM card, the Port setting pointing at it. A newcomer
// sees a working program with nothing to set up. Everything goes when the
// program ends.

#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <string>

namespace mivex::phonesim {
class SimulatedPhone;
}

namespace mivex::app {

// A message sent to this number comes back into the demo phone's memory.
inline constexpr const char* kDemoOwnNumber = "+447700900999";

class DemoPhone {
public:
    DemoPhone();
    ~DemoPhone();
    DemoPhone(const DemoPhone&) = delete;
    DemoPhone& operator=(const DemoPhone&) = delete;

    // Makes the data directory with its contacts and starts the phone. False
    // with `error` set when either failed.
    [[nodiscard]] bool Start(std::string& error);

    [[nodiscard]] std::filesystem::path DataDirectory() const;
    // As the Port setting holds it: the device and a colon.
    [[nodiscard]] std::u16string PortSetting() const;

private:
    QTemporaryDir folder_;
    std::unique_ptr<phonesim::SimulatedPhone> phone_;
};

}  // namespace mivex::app
