#include "cli_fixture.h"

#include <sstream>

#include "phonesim/deliver_builder.h"
#include "phonesim/submit_parser.h"
#include "sms/deliver_decoder.h"
#include "text/utf8.h"

namespace mivex::tools {

Arguments CliFixture::CliArguments(const Arguments& arguments) const {
    Arguments line{"--data-dir", data.string()};
    if (phone)
        line.insert(line.end(), {"--port", phone->DevicePath()});
    line.insert(line.end(), arguments.begin(), arguments.end());
    return line;
}

void CliFixture::SetOption(const std::string& name, const std::string& value) const {
    const ToolRun set = Run({"options", "set", name, value});
    EXPECT_EQ(set.exitStatus, 0) << name << ": " << set.err;
}

std::vector<std::string> CliFixture::Listed(const std::string& folder) const {
    const ToolRun list = Run({"list", folder});
    EXPECT_EQ(list.exitStatus, 0) << list.err;
    std::vector<std::string> texts;
    std::istringstream lines(list.out);
    for (std::string line; std::getline(lines, line);)
        texts.push_back(line.substr(line.rfind('\t') + 1));
    return texts;
}

void CliFixture::StartPhone(phonesim::PhoneSetup setup) {
    phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone->Start(error)) << error;
}

std::vector<std::string> CliFixture::Submitted() const {
    std::vector<std::string> messages;
    for (const phonesim::SubmittedPdu& submitted : phone->Submitted()) {
        const phonesim::SubmitParseResult parsed = phonesim::ParseSubmitPdu(submitted.pdu);
        EXPECT_TRUE(parsed.parsed());
        const sms::DeliverDecodeResult delivered =
            sms::DecodeDeliver(phonesim::BuildLoopbackDeliver(parsed.submit, "+1", "+1",
                                                              {{2024, 3, 9, 12, 0, 0, 0}, 60}));
        messages.push_back(parsed.submit.destination + " " +
                           text::Utf16ToUtf8(delivered.message.Text));
    }
    return messages;
}

}  // namespace mivex::tools
