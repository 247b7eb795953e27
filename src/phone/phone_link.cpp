#include "phone/phone_link.h"

#include <array>

#include "phone/at_exchanges.h"
#include "phone/line_settings.h"
#include "phone/port_holder.h"
#include "phone/port_name.h"
#include "phone/sim_unlock.h"
#include "sms/response_word.h"
#include "text/code_point.h"

namespace mivex::phone {

namespace {

using platform::StatusBeep;
using platform::StatusColour;

constexpr std::u16string_view kOpeningText = u"Opening ";
constexpr std::u16string_view kInitializingText = u"Initializing ";
constexpr std::u16string_view kLinkUpText = u" OK";

struct InitCommand {
    std::string_view command;
    char16_t mark;
};

constexpr std::array<InitCommand, 5> kInitCommands = {{
    {"ATV1\r", u'1'},             // result codes as words
    {"ATE0\r", u'2'},             // no command echo
    {"AT+CMEE=0\r", u'3'},        // errors as plain "ERROR"
    {"AT+CSCS=\"GSM\"\r", u'4'},  // GSM character set
    {"AT+CMGF=0\r", u'5'},        // PDU mode
}};
constexpr char16_t kFailedMark = u'.';
constexpr std::string_view kManufacturerCommand = "AT+CGMI\r";

// At most `limit` units of `text`, never ending inside a surrogate pair.
std::u16string_view Clamp(std::u16string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t cut = limit;
    if (cut > 0 && text::IsHighSurrogate(text[cut - 1]))
        --cut;
    return text.substr(0, cut);
}

void ShowProgress(platform::StatusSink& status, std::u16string_view text) {
    status.ShowStatus(text, StatusBeep::None, StatusColour::Blue);
}

PortHandle Fail(LinkContext& link, platform::StatusSink& status, const ConnectionOptions& read,
                std::u16string_view text) {
    status.ShowStatus(text, read.soundsOff ? StatusBeep::None : StatusBeep::Stop,
                      StatusColour::Red);
    link.clock.SleepMs(kFailurePauseMs);
    return {};
}

// Who holds a busy port, and what to do about a port this user may not
// open; the general text for any other failure.
std::u16string OpenFailureText(LinkContext& link, std::u16string_view portName,
                               platform::OpenFailure failure) {
    const std::optional<std::string> path = DevicePathForPort(portName);
    if (!path)
        return std::u16string(kFailedConnectText);
    switch (failure) {
        case platform::OpenFailure::Busy: {
            platform::NoModems none;
            return BusyPortText(*path, link.modems != nullptr ? *link.modems : none);
        }
        case platform::OpenFailure::Permission:
            return NoPermissionText(*path);
        default:
            return std::u16string(kFailedConnectText);
    }
}

// Sends the five set-up commands, adding a mark per command to `line`.
// Returns how many were answered with OK.
int SendInitCommands(PortHandle& port, platform::StatusSink& status, std::u16string& line) {
    int answered = 0;
    ResponseBuffer answer;
    for (const InitCommand& init : kInitCommands) {
        const bool ok = Exchange(port, init.command, answer, kOkTerminator, kStartupTimeouts);
        answered += ok ? 1 : 0;
        line += ok ? init.mark : kFailedMark;
        ShowProgress(status, line);
    }
    return answered;
}

// Adds " " and the manufacturer's first word to `line` when AT+CGMI is
// answered; the word is cut so that " OK" still fits behind it.
void AddManufacturer(PortHandle& port, platform::StatusSink& status, std::u16string& line) {
    ResponseBuffer answer;
    if (!Exchange(port, kManufacturerCommand, answer, kOkTerminator, kStartupTimeouts))
        return;
    std::u16string word;
    if (sms::ResponseWordToText(answer.Text(), word) > 0) {
        const std::size_t used = line.size() + 1 + kLinkUpText.size();
        const std::size_t room = kMaxStatusLineChars > used ? kMaxStatusLineChars - used : 0;
        const std::u16string_view kept = Clamp(word, room);
        if (!kept.empty()) {
            line += u' ';
            line += kept;
        }
    }
    ShowProgress(status, line);
}

}  // namespace

PortHandle OpenPhoneLink(LinkContext& link, options::OptionReader& options,
                         platform::StatusSink& status) {
    const ConnectionOptions read = ReadConnectionOptions(options);
    std::u16string opening(kOpeningText);
    opening += read.portName;
    ShowProgress(status, Clamp(opening, kMaxStatusLineChars));
    const std::u16string portName = CutPortName(read.portName);

    if (!read.soundsOff)
        link.sounds.PlayStartSound();
    const std::uint64_t start = link.clock.NowMs();
    if (link.trace != nullptr) {
        link.clock.SleepMs(kTraceTextMs);
        ShowProgress(status, SpeedText(read.line));
        link.clock.SleepMs(kTraceTextMs);
        ShowProgress(status, FlowControlText(read.line.flowControl));
        link.clock.SleepMs(kTraceTextMs);
    }

    platform::OpenFailure failure = platform::OpenFailure::None;
    PortHandle port = OpenPort(link, portName, &failure);
    const std::uint64_t elapsed = link.clock.NowMs() - start;
    if (elapsed < kSettleMs)
        link.clock.SleepMs(static_cast<std::uint32_t>(kSettleMs - elapsed));
    if (!port.isValid())
        return Fail(link, status, read, OpenFailureText(link, portName, failure));

    ConfigurePort(port, read.line);
    std::u16string line(kInitializingText);
    ShowProgress(status, line);
    const int answered = SendInitCommands(port, status, line);
    AddManufacturer(port, status, line);
    if (answered == 0) {
        ClosePort(port);
        return Fail(link, status, read, kFailedSetupText);
    }
    line += kLinkUpText;
    ShowProgress(status, line);
    const SimCheck sim = MakeSimReady(port, link.pins, status);
    if (!sim.ready()) {
        ClosePort(port);
        return Fail(link, status, read, sim.failure);
    }
    PurgePort(port);
    return port;
}

}  // namespace mivex::phone
