#include "link_session.h"

#include "phone/at_exchanges.h"
#include "phonesim/deliver_builder.h"
#include "sms/deliver_decoder.h"

namespace mivex::phone::integration {

std::vector<Octets> DeliverPdus(std::u16string_view text) {
    return phonesim::BuildDeliverPdus(text, "+447700900123", kPhoneServiceCentre, FixedTime());
}

phonesim::PhoneStores Stores(const std::map<int, Octets>& phone) {
    phonesim::PhoneStores stores{phonesim::MessageStore(30), phonesim::MessageStore(30)};
    for (const auto& [slot, pdu] : phone)
        EXPECT_TRUE(stores.phone.Put(slot, {pdu, phonesim::MessageStatus::ReceivedUnread}));
    return stores;
}

std::vector<std::u16string> ReadSlots(PortHandle& port, int last) {
    std::vector<std::u16string> read;
    for (int slot = 1; slot <= last; ++slot) {
        const Octets pdu = ReadStoredMessage(port, slot);
        const sms::DeliverDecodeResult result = sms::DecodeDeliver(pdu);
        EXPECT_TRUE(pdu.empty() || result.decoded()) << sms::DescribeDecodeStatus(result.status);
        read.push_back(pdu.empty() ? u"" : result.message.Text);
    }
    return read;
}

void PhoneOnPty::StartPhone(phonesim::PhoneStores stores, phonesim::FaultPlan faults,
                            std::uint32_t baudRate) {
    phonesim::PhoneSetup setup;
    setup.stores = std::move(stores);
    setup.faults = std::move(faults);
    setup.baudRate = static_cast<int>(baudRate);
    setup.clock = FixedTime;
    phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
    std::string error;
    ASSERT_TRUE(phone->Start(error)) << error;
}

PortHandle PhoneOnPty::OpenQuickly() {
    const std::string& path = phone->DevicePath();
    PortHandle port = OpenPort(link, std::u16string(path.begin(), path.end()));
    EXPECT_TRUE(port.isValid()) << "cannot open " << path;
    ConfigurePort(port, platform::LineSettings{});
    ResponseBuffer answer;
    EXPECT_TRUE(Exchange(port, "ATE0\r", answer, kOkTerminator, kStartupTimeouts));
    return port;
}

void PhoneOnPty::StartTrace() {
    link.trace = &trace;
    ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
}

std::vector<TraceRecord> PhoneOnPty::StopTrace() {
    trace.TraceWrite(TraceKind::Close);
    return test::TraceRecords(trace.FilePath());
}

}  // namespace mivex::phone::integration
