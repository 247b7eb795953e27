#include "link_session.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "phone/at_exchanges.h"
#include "phonesim/submit_parser.h"
#include "sms/deliver_decoder.h"
#include "sms/submit_encoder.h"

namespace mivex::phone::integration {

bool MapOptions::ReadOption(options::Option option, std::int32_t& value) {
    const auto found = integers.find(option);
    value = found == integers.end() ? 0 : found->second;
    return found != integers.end();
}

bool MapOptions::ReadOption(options::Option option, std::u16string& value) {
    const auto found = strings.find(option);
    value = found == strings.end() ? std::u16string() : found->second;
    return found != strings.end();
}

phonesim::LocalTime FixedTime() {
    return {{2024, 3, 9, 14, 5, 59, 0}, 60};
}

std::vector<Octets> DeliverPdus(std::u16string_view text, std::u16string_view sender,
                                std::uint8_t concatRef) {
    const Octets noServiceCentre = sms::BuildServiceCentreField(true, u"");
    sms::SubmitCounters counters;
    counters.ConcatRef = concatRef;
    const std::string originator(sender.begin(), sender.end());
    std::vector<Octets> delivers;
    for (const sms::EncodedPdu& encoded : sms::BuildMessagePdus(
             noServiceCentre, sender, text, sms::MakeSubmitOptions(false, false, 0), counters)) {
        const phonesim::SubmitParseResult parsed = phonesim::ParseSubmitPdu(encoded.octets);
        EXPECT_TRUE(parsed.parsed()) << phonesim::DescribeSubmitStatus(parsed.status);
        delivers.push_back(phonesim::BuildLoopbackDeliver(parsed.submit, originator,
                                                          kPhoneServiceCentre, FixedTime()));
    }
    return delivers;
}

phonesim::PhoneStores Stores(const std::map<int, Octets>& phone, const std::map<int, Octets>& sim,
                             int phoneCapacity, int simCapacity) {
    phonesim::PhoneStores stores{phonesim::MessageStore(phoneCapacity),
                                 phonesim::MessageStore(simCapacity)};
    for (const auto& [slot, pdu] : phone)
        EXPECT_TRUE(stores.phone.Put(slot, {pdu, phonesim::MessageStatus::ReceivedUnread}));
    for (const auto& [slot, pdu] : sim)
        EXPECT_TRUE(stores.sim.Put(slot, {pdu, phonesim::MessageStatus::ReceivedUnread}));
    return stores;
}

std::u16string TextOfLength(std::size_t count) {
    constexpr std::u16string_view kSentence =
        u"Meet at the station at 7, bring the maps & 2 torches! ";
    std::u16string text;
    while (text.size() < count)
        text += kSentence;
    text.resize(count);
    return text;
}

std::u16string DecodedText(const Octets& pdu) {
    const sms::DeliverDecodeResult result = sms::DecodeDeliver(pdu);
    EXPECT_TRUE(result.decoded()) << sms::DescribeDecodeStatus(result.status);
    return result.message.Text;
}

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mivex-link-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        path_ = pattern;
    EXPECT_FALSE(path_.empty()) << "no temporary directory";
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

std::vector<TraceRecord> ReadTraceRecords(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(stream), {}};
    // Every record opens with CR LF, the stamp and its kind on a line of its own.
    static const std::regex kHeader("\r\n[0-9]{2}\\.[0-9]{2} ([TR]|--)");
    std::vector<TraceRecord> records;
    std::vector<std::pair<std::size_t, std::smatch>> headers;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kHeader);
         it != std::sregex_iterator(); ++it)
        headers.emplace_back(static_cast<std::size_t>(it->position()), *it);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const std::smatch& header = headers[i].second;
        const std::string kind = header[1].str();
        if (kind == "--")
            continue;
        // "T" and "R" headers end in CR LF before the data.
        const std::size_t dataStart = headers[i].first + header.length() + 2;
        const std::size_t dataEnd = i + 1 < headers.size() ? headers[i + 1].first : text.size();
        records.emplace_back(kind[0], text.substr(dataStart, dataEnd - dataStart));
    }
    return records;
}

void PhoneOnPty::StartPhone(phonesim::PhoneSetup setup) {
    phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone->Start(error)) << error;
}

void PhoneOnPty::StartPhone(phonesim::PhoneStores stores, phonesim::FaultPlan faults) {
    phonesim::PhoneSetup setup;
    setup.stores = std::move(stores);
    setup.faults = std::move(faults);
    setup.clock = FixedTime;
    StartPhone(std::move(setup));
}

std::u16string PhoneOnPty::PortOption() const {
    const std::string& path = phone->DevicePath();
    return {path.begin(), path.end()};
}

PortHandle PhoneOnPty::OpenQuickly() {
    PortHandle port = OpenPort(link, PortOption());
    EXPECT_TRUE(port.isValid()) << "cannot open " << phone->DevicePath();
    ConfigurePort(port, platform::LineSettings{});
    ResponseBuffer answer;
    EXPECT_TRUE(Exchange(port, "ATE0\r", answer, kOkTerminator, kStartupTimeouts));
    return port;
}

phonesim::CommandFault Fault(phonesim::FaultKind kind, std::string_view pattern, int count,
                             std::string text) {
    phonesim::CommandFault fault;
    fault.kind = kind;
    fault.pattern = phonesim::NormalisePattern(pattern);
    fault.count = count;
    fault.text = std::move(text);
    return fault;
}

phonesim::FaultPlan CommandFaults(std::vector<phonesim::CommandFault> faults) {
    phonesim::FaultPlan plan;
    plan.commandFaults = std::move(faults);
    return plan;
}

}  // namespace mivex::phone::integration
