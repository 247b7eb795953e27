#pragma once

// The simulated phone's AT command interpreter: bytes from the client in,
// bytes for the client out, with the phone's settings and message stores as
// its state. It does no I/O and reads the time only through the clock it is
// given, so tests drive it directly and the pty runner only moves bytes.
//
// It behaves as a GSM phone in PDU mode: echo as the bytes arrive (ATE1, the
// default), a command line runs at its CR, AT+CMGS and AT+CMGW answer with the
// "> " prompt and take hex text up to Ctrl-Z (ESC cancels). A line that does not
// start with "AT" is ignored, an ESC throws away the line typed so far, and a
// command it does not know gets "ERROR". Every buffer is bounded, so no input
// makes it grow without end.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "phonesim/answer_format.h"
#include "phonesim/at_command_line.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/fault_plan.h"
#include "phonesim/message_store.h"
#include "phonesim/network_reports.h"
#include "phonesim/sim_lock.h"

namespace mivex::phonesim {

// A command line longer than this answers ERROR at its CR.
inline constexpr std::size_t kMaxCommandLine = 1024;
// Hex digits of the largest PDU; more before Ctrl-Z refuses the PDU.
inline constexpr std::size_t kMaxPduHexDigits = 2 * kMaxPduOctets;

struct PhoneIdentity {
    std::string manufacturer = "Mivex";            // AT+CGMI
    std::string model = "PhoneSim";                // AT+CGMM
    std::string revision = "1.0";                  // AT+CGMR
    std::string serialNumber = "490154203237518";  // AT+CGSN, an IMEI
    std::string subscriberId = "001010123456789";  // AT+CIMI, on the test network 001-01
};

struct PhoneSettings {
    PhoneIdentity identity;
    // A message submitted to this number comes back into the stores; empty: none does.
    std::string ownNumber;
    std::string serviceCentre = "+447700900000";  // AT+CSCA?
    SimSettings sim;
    ReportPlan report;  // what the network says about messages sent with a report requested
};

// A PDU the phone accepted with AT+CMGS.
struct SubmittedPdu {
    int length = 0;                 // the TPDU length AT+CMGS was given
    std::vector<std::uint8_t> pdu;  // service-centre field included

    friend bool operator==(const SubmittedPdu&, const SubmittedPdu&) = default;
};

struct InterpreterOutput {
    std::string bytes;                 // echo and answers, in order
    std::optional<std::size_t> cutAt;  // the line goes dead after this many of `bytes`
    // The bytes from `from` on are held back `ms` milliseconds (a late answer).
    struct Hold {
        std::size_t from = 0;
        int ms = 0;
    };
    std::optional<Hold> hold;
    std::vector<SubmittedPdu> submitted;
    bool storesChanged = false;
    std::vector<std::string> notes;  // things a person running the phone should know
};

class Interpreter {
public:
    Interpreter(PhoneStores stores, PhoneSettings settings, FaultPlan faults,
                LocalClock clock = SystemLocalTime);

    [[nodiscard]] InterpreterOutput Feed(std::string_view bytes);

    // A message from the network: one PDU in hex as AT+CMGR prints it
    // (service-centre field first). It is stored in the receive memory, else
    // the other one, and announced with +CMTI when AT+CNMI asks for that. A
    // line that is no such PDU is refused with a note and changes nothing.
    [[nodiscard]] InterpreterOutput Arrive(std::string_view hexLine);

    // Stores the delivery reports that fell due while the client was quiet,
    // announced with +CDSI when AT+CNMI asks for that.
    [[nodiscard]] InterpreterOutput Tick();
    [[nodiscard]] bool ReportsPending() const { return reports_.Pending(); }

    [[nodiscard]] const PhoneStores& Stores() const { return stores_; }

    // The cable was pulled: a command or PDU half typed is dropped and the
    // line's settings go back to what ATZ gives; the stores, the SIM's state
    // and the reports the network still owes stay, as the phone stays on.
    void Unplug();
    // True once a cut fault has fired: everything fed afterwards is dropped.
    [[nodiscard]] bool LineCut() const { return lineCut_; }

private:
    // What a command asks for after its answer.
    struct Reply {
        std::vector<std::string> information;
        Result result = Result::Ok();
    };
    enum class PduPurpose { Send, Write };
    struct PduRequest {
        PduPurpose purpose = PduPurpose::Send;
        int length = 0;
        MessageStatus status = MessageStatus::StoredUnsent;
    };
    // The settings ATZ puts back.
    struct Modes {
        bool echo = true;
        AnswerStyle style;
        bool ucs2 = false;                          // AT+CSCS="UCS2"
        std::array<int, 5> newMessageIndication{};  // AT+CNMI
        int functionality = 1;                      // AT+CFUN
    };
    using Handler = Reply (Interpreter::*)(const AtCommand&);

    void FeedCommandByte(char byte, InterpreterOutput& out);
    void FeedPduByte(char byte, InterpreterOutput& out);
    void RunLine(const std::string& line, bool overflowed, InterpreterOutput& out);
    void FinishPdu(InterpreterOutput& out);
    // Applies the faults that hit `line`; calls `execute` unless one replaces the answer.
    template <typename Execute>
    void Answer(std::string_view line, InterpreterOutput& out, Execute execute);
    [[nodiscard]] std::string Execute(std::string_view body);
    [[nodiscard]] Reply Dispatch(const AtCommand& command);
    [[nodiscard]] std::string Noise(int count);

    // General commands (general_commands.cpp).
    static const std::map<std::string, Handler, std::less<>>& GeneralHandlers();
    Reply Echo(const AtCommand& command);
    Reply Verbose(const AtCommand& command);
    Reply Quiet(const AtCommand& command);
    Reply Reset(const AtCommand& command);
    Reply Information(const AtCommand& command);
    Reply Accept(const AtCommand& command);
    Reply SRegister(const AtCommand& command);
    Reply Manufacturer(const AtCommand& command);
    Reply Model(const AtCommand& command);
    Reply Revision(const AtCommand& command);
    Reply SerialNumber(const AtCommand& command);
    Reply SubscriberId(const AtCommand& command);
    Reply PinState(const AtCommand& command);
    Reply PinRetries(const AtCommand& command);
    Reply SignalQuality(const AtCommand& command);
    Reply Functionality(const AtCommand& command);
    Reply ErrorMode(const AtCommand& command);
    Reply CharacterSet(const AtCommand& command);
    Reply SubscriberNumber(const AtCommand& command);
    Reply Registration(const AtCommand& command);
    [[nodiscard]] Reply IdentityText(const AtCommand& command, const std::string& text) const;

    // Message commands (message_commands.cpp).
    static const std::map<std::string, Handler, std::less<>>& MessageHandlers();
    Reply MessageFormat(const AtCommand& command);
    Reply MessageService(const AtCommand& command);
    Reply PreferredStorage(const AtCommand& command);
    Reply ServiceCentre(const AtCommand& command);
    Reply NewMessageIndication(const AtCommand& command);
    Reply ReadMessage(const AtCommand& command);
    Reply ListMessages(const AtCommand& command);
    Reply DeleteMessage(const AtCommand& command);
    Reply SendMessage(const AtCommand& command);
    Reply WriteMessage(const AtCommand& command);
    [[nodiscard]] std::string StorageCounts() const;
    [[nodiscard]] std::string QuotedText(std::string_view text) const;
    [[nodiscard]] std::optional<std::string> UnquotedText(std::string_view text) const;
    [[nodiscard]] Result CompleteSubmission(const std::vector<std::uint8_t>& pdu,
                                            std::vector<std::string>& information,
                                            InterpreterOutput& out);
    [[nodiscard]] Result CompleteWrite(const std::vector<std::uint8_t>& pdu, MessageStatus status,
                                       std::vector<std::string>& information);
    void DeliverToSelf(const SubmitTpdu& submit, InterpreterOutput& out);
    // Puts the network's reports that are due among the received messages.
    void StoreDueReports(InterpreterOutput& out);
    // Stores a message that came in, receive memory first; the slot it took.
    [[nodiscard]] std::optional<std::pair<StoreId, int>> StoreReceived(
        std::vector<std::uint8_t> pdu);
    // "+CMTI"/"+CDSI" for a message in `slot`, now or, while the client is
    // in the middle of a command, after its answer.
    void Announce(std::string_view code, std::pair<StoreId, int> slot, InterpreterOutput& out);
    [[nodiscard]] bool CommandUnderway() const {
        return answering_ || !line_.empty() || pduRequest_.has_value();
    }

    PhoneStores stores_;
    PhoneSettings settings_;
    FaultPlan faults_;
    LocalClock clock_;
    bool muteLine_;
    Modes modes_;
    std::map<int, int> sRegisters_;
    SimLock sim_;
    // AT+CPMS <mem1> (read, list, delete), <mem2> (write), <mem3> (receive).
    std::array<StoreId, 3> storage_{StoreId::Phone, StoreId::Phone, StoreId::Phone};

    std::string line_;
    bool lineOverflowed_ = false;
    std::optional<PduRequest> pduRequest_;  // set between "> " and Ctrl-Z or ESC
    std::string pduHex_;
    bool pduOverflowed_ = false;
    std::optional<PduRequest> pendingRequest_;  // a command's wish to prompt, until its line ends
    int submissions_ = 0;                       // AT+CMGS commands that prompted
    std::uint8_t nextReference_ = 0;            // TP-MR the phone hands out, wrapping at 256
    NetworkReports reports_;
    std::uint32_t noiseState_ = 0x2545F491;
    bool lineCut_ = false;
    bool answering_ = false;  // a command is being carried out
    bool storesChanged_ = false;
    std::string afterAnswer_;  // unsolicited lines that follow the current answer
};

}  // namespace mivex::phonesim
