#include "phone/line_settings.h"

#include "options/option_defaults.h"
#include "phone/port_name.h"

namespace mivex::phone {

namespace {

std::u16string Ascii(std::string_view text) {
    return {text.begin(), text.end()};
}

std::int32_t ReadInteger(options::OptionReader& options, options::Option option) {
    std::int32_t value = 0;
    if (!options.ReadOption(option, value))
        return 0;
    return value;
}

}  // namespace

ConnectionOptions ReadConnectionOptions(options::OptionReader& options) {
    using options::Option;
    ConnectionOptions read;
    if (!options.ReadOption(Option::Port, read.portName) || read.portName.empty())
        read.portName = kDefaultPortName;
    read.line.baudRate = options::EffectiveBaudRate(ReadInteger(options, Option::BaudRate));
    read.line.dataBits = options::EffectiveDataBits(ReadInteger(options, Option::DataBits));
    read.line.stopBits = static_cast<platform::StopBits>(ReadInteger(options, Option::StopBits));
    read.line.flowControl =
        static_cast<platform::FlowControl>(ReadInteger(options, Option::FlowControl));
    read.soundsOff = ReadInteger(options, Option::SoundsOff) != 0;
    return read;
}

std::u16string SpeedText(const platform::LineSettings& line) {
    std::u16string text = Ascii("Speed " + std::to_string(line.baudRate) + " Data " +
                                std::to_string(line.dataBits) + " Stop ");
    switch (line.stopBits) {
        case platform::StopBits::One:
            return text + u"1";
        case platform::StopBits::OneAndHalf:
            return text + u"1.5";
        case platform::StopBits::Two:
            return text + u"2";
    }
    return text;
}

std::u16string FlowControlText(platform::FlowControl flowControl) {
    switch (flowControl) {
        case platform::FlowControl::None:
            return u"Flow Control - None";
        case platform::FlowControl::Hardware:
            return u"Flow Control - Hardware";
        case platform::FlowControl::Software:
            return u"Flow Control - Software";
    }
    return u"Flow Control - Unknown";
}

}  // namespace mivex::phone
