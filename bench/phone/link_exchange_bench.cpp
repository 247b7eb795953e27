// How close the phone link's AT+CMGR exchanges come to the speed of the serial
// line itself. The simulated phone sits on a pseudo-terminal and paces both
// directions at 115,200 baud; the client reads a stored 160-character message
// again and again. The reference is the line time of the bytes exchanged, 10
// bits per byte (start bit, 8 data bits, stop bit):
//
//   ratio_to_line_time        measured time / line time of command + answer bytes
//   ratio_to_answer_line_time measured time / line time of the answer bytes only
//
// Both directions are paced, each on its own as on a full-duplex line, so the
// first ratio is the overhead over the whole exchange; the second shows how
// much of it the command's own line time takes. A plain poll()/read() client
// on the same phone runs alongside as a second reference. Bytes are counted on
// the client's side, exchange by exchange.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "phone/at_exchanges.h"
#include "phone/posix_serial_device.h"
#include "phone/serial_line.h"
#include "phonesim/simulated_phone.h"
#include "phonesim/submit_parser.h"
#include "platform/clock.h"
#include "platform/sounds.h"
#include "sms/submit_encoder.h"

namespace {

namespace phone = mivex::phone;
namespace phonesim = mivex::phonesim;
namespace platform = mivex::platform;
namespace sms = mivex::sms;

using SteadyClock = std::chrono::steady_clock;

constexpr int kBaudRate = 115200;
constexpr double kBitsPerByte = 10.0;
constexpr std::size_t kMessageChars = 160;
constexpr std::string_view kReadCommand = "AT+CMGR=1\r";

// Byte counts of one batch of exchanges, as the client saw them.
struct LineBytes {
    std::uint64_t written = 0;
    std::uint64_t read = 0;
};

// The Linux device with every byte that passes counted.
class CountingDevice final : public platform::SerialDevice {
public:
    CountingDevice(std::unique_ptr<platform::SerialDevice> device, LineBytes& bytes)
        : device_(std::move(device)), bytes_(bytes) {}

    bool Configure(const platform::LineSettings& settings) override {
        return device_->Configure(settings);
    }
    void Purge() override { device_->Purge(); }
    int Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) override {
        const int written = device_->Write(bytes, timeoutMs);
        bytes_.written += written > 0 ? static_cast<std::uint64_t>(written) : 0;
        return written;
    }
    platform::ReadResult ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) override {
        const platform::ReadResult result = device_->ReadByte(byte, timeoutMs);
        bytes_.read += result == platform::ReadResult::Byte ? 1 : 0;
        return result;
    }
    void Close() override { device_->Close(); }

private:
    std::unique_ptr<platform::SerialDevice> device_;
    LineBytes& bytes_;
};

class CountingOpener final : public platform::SerialOpener {
public:
    explicit CountingOpener(LineBytes& bytes) : bytes_(bytes) {}
    std::unique_ptr<platform::SerialDevice> Open(std::u16string_view portName) override {
        std::unique_ptr<platform::SerialDevice> device = posix_.Open(portName);
        if (!device)
            return nullptr;
        return std::make_unique<CountingDevice>(std::move(device), bytes_);
    }

private:
    phone::PosixSerialOpener posix_;
    LineBytes& bytes_;
};

// A 160-character SMS-DELIVER as a phone stores it, service-centre field first.
std::vector<std::uint8_t> StoredMessage() {
    std::u16string text;
    while (text.size() < kMessageChars)
        text += u"The quick brown fox jumps over the lazy dog 0123456789. ";
    text.resize(kMessageChars);
    const std::vector<sms::EncodedPdu> submits =
        sms::BuildMessagePdus(sms::BuildServiceCentreField(true, u""), u"+447700900123", text,
                              sms::MakeSubmitOptions(false, false, 0xA7), {});
    const phonesim::SubmitParseResult parsed = phonesim::ParseSubmitPdu(submits.at(0).octets);
    const phonesim::LocalTime stamp{{2024, 3, 9, 14, 5, 59, 0}, 60};
    return phonesim::BuildLoopbackDeliver(parsed.submit, "+447700900123", "+447700900000", stamp);
}

std::unique_ptr<phonesim::SimulatedPhone> StartPacedPhone(std::string& error) {
    phonesim::PhoneSetup setup;
    (void)setup.stores.phone.Put(1, {StoredMessage(), phonesim::MessageStatus::ReceivedRead});
    setup.baudRate = kBaudRate;
    auto phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
    if (!phone->Start(error))
        return nullptr;
    return phone;
}

void ReportRatios(benchmark::State& state, double seconds, const LineBytes& bytes, int exchanges) {
    const double lineSeconds =
        static_cast<double>(bytes.written + bytes.read) * kBitsPerByte / kBaudRate;
    const double answerSeconds = static_cast<double>(bytes.read) * kBitsPerByte / kBaudRate;
    const double count = static_cast<double>(exchanges) * static_cast<double>(state.iterations());
    state.counters["ratio_to_line_time"] = seconds / lineSeconds;
    state.counters["ratio_to_answer_line_time"] = seconds / answerSeconds;
    state.counters["us_per_exchange"] = seconds * 1e6 / count;
    state.counters["bytes_written_per_exchange"] = static_cast<double>(bytes.written) / count;
    state.counters["bytes_read_per_exchange"] = static_cast<double>(bytes.read) / count;
}

// The program's own exchange: ReadStoredMessage over the Linux serial device.
void PhoneLinkReads(benchmark::State& state) {
    const int exchanges = static_cast<int>(state.range(0));
    std::string error;
    const std::unique_ptr<phonesim::SimulatedPhone> phone = StartPacedPhone(error);
    if (!phone) {
        state.SkipWithError(error.c_str());
        return;
    }
    LineBytes bytes;
    CountingOpener opener(bytes);
    platform::SystemClock clock;
    platform::SilentSounds sounds;
    phone::LinkContext link{clock, opener, sounds, nullptr};
    const std::string& path = phone->DevicePath();
    phone::PortHandle port = phone::OpenPort(link, std::u16string(path.begin(), path.end()));
    if (!port.isValid()) {
        state.SkipWithError("the phone's device did not open");
        return;
    }
    phone::ConfigurePort(port,
                         {kBaudRate, 8, platform::StopBits::One, platform::FlowControl::None});
    phone::ResponseBuffer answer;
    if (!phone::Exchange(port, "ATE0\r", answer, phone::kOkTerminator, phone::kStartupTimeouts)) {
        state.SkipWithError("the phone did not answer ATE0");
        return;
    }
    const std::size_t expectedOctets = StoredMessage().size();

    double seconds = 0;
    bytes = {};
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        for (int i = 0; i < exchanges; ++i) {
            if (phone::ReadStoredMessage(port, 1).size() != expectedOctets) {
                state.SkipWithError("a read did not bring the stored message");
                return;
            }
        }
        seconds += std::chrono::duration<double>(SteadyClock::now() - start).count();
    }
    ReportRatios(state, seconds, bytes, exchanges);
}

// The reference client: one write, then poll() and read() in chunks until the
// answer ends in OK, with no parsing.
class RawClient {
public:
    explicit RawClient(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios settings{};
        if (fd_ >= 0 && tcgetattr(fd_, &settings) == 0) {
            cfmakeraw(&settings);
            (void)tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~RawClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }

    // Sends `command` and reads until the answer ends in `terminator`.
    bool Exchange(std::string_view command, std::string_view terminator, LineBytes& bytes) {
        if (::write(fd_, command.data(), command.size()) != static_cast<ssize_t>(command.size()))
            return false;
        bytes.written += command.size();
        answer_.clear();
        char chunk[512];
        while (!std::string_view(answer_).ends_with(terminator)) {
            pollfd ready{fd_, POLLIN, 0};
            if (poll(&ready, 1, 3000) <= 0)
                return false;
            const ssize_t count = ::read(fd_, chunk, sizeof chunk);
            if (count <= 0)
                return false;
            answer_.append(chunk, static_cast<std::size_t>(count));
        }
        bytes.read += answer_.size();
        return true;
    }

private:
    int fd_;
    std::string answer_;
};

void RawClientReads(benchmark::State& state) {
    const int exchanges = static_cast<int>(state.range(0));
    std::string error;
    const std::unique_ptr<phonesim::SimulatedPhone> phone = StartPacedPhone(error);
    if (!phone) {
        state.SkipWithError(error.c_str());
        return;
    }
    RawClient client(phone->DevicePath());
    LineBytes bytes;
    if (!client.IsOpen() || !client.Exchange("ATE0\r", phone::kOkTerminator, bytes)) {
        state.SkipWithError("the phone did not answer ATE0");
        return;
    }
    double seconds = 0;
    bytes = {};
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        for (int i = 0; i < exchanges; ++i) {
            if (!client.Exchange(kReadCommand, phone::kOkTerminator, bytes)) {
                state.SkipWithError("a read did not end in OK");
                return;
            }
        }
        seconds += std::chrono::duration<double>(SteadyClock::now() - start).count();
    }
    ReportRatios(state, seconds, bytes, exchanges);
}

BENCHMARK(PhoneLinkReads)
    ->ArgName("exchanges")
    ->Arg(10)
    ->Arg(1000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RawClientReads)
    ->ArgName("exchanges")
    ->Arg(10)
    ->Arg(1000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
