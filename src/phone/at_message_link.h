#pragma once

// The AT link: a serial phone in PDU mode behind a port OpenPhoneLink
// brought up. Each step is one of the AT exchanges, unchanged.

#include <array>
#include <string_view>

#include "phone/message_link.h"
#include "phone/serial_line.h"

namespace mivex::phone {

// The phone's memory first, then the SIM card.
inline constexpr std::array<std::string_view, 2> kAtReceiveStores = {"ME", "SM"};
// Where some phones keep delivery reports; one without it refuses it.
inline constexpr std::string_view kAtReportStore = "SR";

class AtMessageLink final : public MessageLink {
public:
    explicit AtMessageLink(PortHandle port) : port_(std::move(port)) {}
    ~AtMessageLink() override { ClosePort(port_); }
    AtMessageLink(const AtMessageLink&) = delete;
    AtMessageLink& operator=(const AtMessageLink&) = delete;

    [[nodiscard]] std::span<const std::string_view> ReceiveStores() const override {
        return kAtReceiveStores;
    }
    [[nodiscard]] std::optional<StorageCounts> SelectStore(std::string_view name) override;
    [[nodiscard]] bool StoreRefused() const override;
    [[nodiscard]] std::optional<std::string_view> ReportStore() const override {
        return kAtReportStore;
    }
    [[nodiscard]] ReceivedMessage ReadMessage(int index) override;
    [[nodiscard]] bool DeleteMessage(int index) override;
    [[nodiscard]] bool Lost() const override { return port_.Lost(); }

    [[nodiscard]] std::optional<std::u16string> PhoneServiceCentre() override;
    [[nodiscard]] std::vector<OutgoingPart> PrepareMessage(const OutgoingSetup& setup,
                                                           std::u16string_view number,
                                                           std::u16string_view text,
                                                           sms::SubmitCounters& counters) override;
    [[nodiscard]] SubmitResult Submit(const OutgoingPart& part) override;

    [[nodiscard]] bool RequestAnnouncements() override;
    [[nodiscard]] WaitEnding WaitForAnnouncements(int timeoutMs, std::span<const int> wake,
                                                  std::vector<Announcement>& announced) override;

    void Close() override { ClosePort(port_); }

private:
    // Takes what the phone has said unasked; false when the line failed.
    [[nodiscard]] bool TakeUnsolicited(std::vector<Announcement>& announced);
    void TakeLineByte(char byte, std::vector<Announcement>& announced);

    PortHandle port_;
    std::string unsolicited_;  // a line the phone has begun to say unasked
};

}  // namespace mivex::phone
