// The interpreter's message commands (27.005 in PDU mode): stores, reading,
// listing, deleting, writing and sending, the service centre and new-message
// indications.

#include <cstdio>

#include "phonesim/at_interpreter.h"
#include "phonesim/submit_parser.h"
#include "sms/hex_text.h"

namespace mivex::phonesim {
namespace {

// The largest TPDU AT+CMGS and AT+CMGW take.
constexpr int kMaxTpduOctets = 164;
constexpr int kMaxIndex = 65535;
constexpr int kTypeInternational = 145;
constexpr int kTypeUnknown = 129;

constexpr std::string_view kStoreList = "(\"ME\",\"SM\")";

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

int StatusNumber(MessageStatus status) {
    return static_cast<int>(status);
}

// "+CMGR: 0,,23" or "+CMGL: 4,0,,23" and the PDU line below it.
void AddMessageLines(std::string header, const StoredMessage& message,
                     std::vector<std::string>& information) {
    information.push_back(std::move(header) + std::to_string(StatusNumber(message.status)) + ",," +
                          std::to_string(TpduLength(message.pdu)));
    information.push_back(sms::BytesToHex(message.pdu));
}

// Whether bulk deletion flag `flag` (AT+CMGD=i,flag) takes a message of `status`.
bool DeletedByFlag(int flag, MessageStatus status) {
    switch (flag) {
        case 1:
            return status == MessageStatus::ReceivedRead;
        case 2:
            return status == MessageStatus::ReceivedRead || status == MessageStatus::StoredSent;
        case 3:
            return status != MessageStatus::ReceivedUnread;
        default:
            return true;
    }
}

}  // namespace

const std::map<std::string, Interpreter::Handler, std::less<>>& Interpreter::MessageHandlers() {
    static const std::map<std::string, Handler, std::less<>> handlers = {
        {"+CMGF", &Interpreter::MessageFormat},        {"+CSMS", &Interpreter::MessageService},
        {"+CPMS", &Interpreter::PreferredStorage},     {"+CSCA", &Interpreter::ServiceCentre},
        {"+CNMI", &Interpreter::NewMessageIndication}, {"+CMGR", &Interpreter::ReadMessage},
        {"+CMGL", &Interpreter::ListMessages},         {"+CMGD", &Interpreter::DeleteMessage},
        {"+CMGS", &Interpreter::SendMessage},          {"+CMGW", &Interpreter::WriteMessage},
    };
    return handlers;
}

std::string Interpreter::QuotedText(std::string_view text) const {
    if (!modes_.ucs2) {
        return "\"" + std::string(text) + "\"";
    }
    // Under AT+CSCS="UCS2" every string goes as four hex digits per character.
    std::string quoted = "\"";
    for (const char c : text) {
        char digits[5];
        std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned char>(c));
        quoted += digits;
    }
    return quoted + "\"";
}

std::optional<std::string> Interpreter::UnquotedText(std::string_view text) const {
    if (!modes_.ucs2) {
        return std::string(text);
    }
    if (text.size() % 4 != 0 || !sms::IsHexText(text)) {
        return std::nullopt;
    }
    std::string plain;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const std::uint32_t unit = sms::HexDigitsToInt(text.substr(i, 4));
        if (unit > 0x7F) {
            return std::nullopt;  // numbers are ASCII
        }
        plain += static_cast<char>(unit);
    }
    return plain;
}

Interpreter::Reply Interpreter::MessageFormat(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::Read:
            return {{"+CMGF: 0"}, Result::Ok()};
        case CommandForm::Test:
            return {{"+CMGF: (0)"}, Result::Ok()};
        case CommandForm::Set: {
            const auto arguments = SplitArguments(command.arguments);
            if (!arguments || arguments->size() != 1 || !NumberArgument(arguments->front(), 0, 1)) {
                return {{}, Result::Error()};
            }
            // Only PDU mode: text mode is refused.
            return {{},
                    arguments->front().text == "0" ? Result::Ok()
                                                   : Result::Cms(kCmsOperationNotSupported)};
        }
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::MessageService(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::Read:
            return {{"+CSMS: 0,1,1,1"}, Result::Ok()};
        case CommandForm::Test:
            return {{"+CSMS: (0)"}, Result::Ok()};
        case CommandForm::Set: {
            const auto arguments = SplitArguments(command.arguments);
            if (!arguments || arguments->size() != 1 || !NumberArgument(arguments->front(), 0, 0)) {
                return {{}, Result::Cms(kCmsOperationNotSupported)};
            }
            return {{"+CSMS: 1,1,1"}, Result::Ok()};
        }
        default:
            return {{}, Result::Error()};
    }
}

std::string Interpreter::StorageCounts() const {
    std::string counts;
    for (const StoreId id : storage_) {
        const MessageStore& store = stores_.Get(id);
        counts += (counts.empty() ? "" : ",") + std::to_string(store.Used()) + "," +
                  std::to_string(store.Capacity());
    }
    return counts;
}

Interpreter::Reply Interpreter::PreferredStorage(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::Read: {
            std::string line = "+CPMS: ";
            for (std::size_t i = 0; i < storage_.size(); ++i) {
                const MessageStore& store = stores_.Get(storage_[i]);
                line += (i == 0 ? "\"" : ",\"") + std::string(StoreName(storage_[i])) + "\"," +
                        std::to_string(store.Used()) + "," + std::to_string(store.Capacity());
            }
            return {{line}, Result::Ok()};
        }
        case CommandForm::Test: {
            const std::string list(kStoreList);
            return {{"+CPMS: " + list + "," + list + "," + list}, Result::Ok()};
        }
        case CommandForm::Set: {
            const auto arguments = SplitArguments(command.arguments);
            if (!arguments || arguments->size() > storage_.size()) {
                return {{}, Result::Error()};
            }
            std::array<StoreId, 3> chosen = storage_;
            for (std::size_t i = 0; i < arguments->size(); ++i) {
                const std::optional<std::string> name = UnquotedText((*arguments)[i].text);
                const std::optional<StoreId> id = name ? StoreByName(Upper(*name)) : std::nullopt;
                if (!id) {
                    return {{}, Result::Cms(kCmsOperationNotAllowed)};
                }
                chosen[i] = *id;
            }
            storage_ = chosen;
            return {{"+CPMS: " + StorageCounts()}, Result::Ok()};
        }
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::ServiceCentre(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::Read: {
            const std::string& number = settings_.serviceCentre;
            const int type = number.starts_with('+') ? kTypeInternational : kTypeUnknown;
            return {{"+CSCA: " + QuotedText(number) + "," + std::to_string(type)}, Result::Ok()};
        }
        case CommandForm::Test:
            return {};
        case CommandForm::Set: {
            const auto arguments = SplitArguments(command.arguments);
            if (!arguments || arguments->empty() || arguments->size() > 2) {
                return {{}, Result::Error()};
            }
            std::optional<std::string> number = UnquotedText(arguments->front().text);
            const std::optional<int> type =
                arguments->size() == 2 ? NumberArgument((*arguments)[1], 0, 255) : kTypeUnknown;
            if (!number || number->empty() || number->size() > 20 || !type ||
                number->find_first_not_of("+0123456789*#") != std::string::npos) {
                return {{}, Result::Cms(kCmsOperationNotAllowed)};
            }
            if (*type == kTypeInternational && !number->starts_with('+')) {
                number->insert(0, "+");
            }
            settings_.serviceCentre = *number;
            return {};
        }
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::NewMessageIndication(const AtCommand& command) {
    auto& values = modes_.newMessageIndication;
    switch (command.form) {
        case CommandForm::Read: {
            std::string line = "+CNMI: ";
            for (std::size_t i = 0; i < values.size(); ++i) {
                line += (i == 0 ? "" : ",") + std::to_string(values[i]);
            }
            return {{line}, Result::Ok()};
        }
        case CommandForm::Test:
            return {{"+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)"}, Result::Ok()};
        case CommandForm::Set: {
            static constexpr std::array<int, 5> kHighest = {2, 3, 2, 2, 1};
            const auto arguments = SplitArguments(command.arguments);
            if (!arguments || arguments->size() > values.size()) {
                return {{}, Result::Error()};
            }
            std::array<int, 5> chosen = values;
            for (std::size_t i = 0; i < arguments->size(); ++i) {
                if ((*arguments)[i].text.empty() && !(*arguments)[i].quoted) {
                    continue;  // an omitted value keeps its setting
                }
                const std::optional<int> value = NumberArgument((*arguments)[i], 0, kHighest[i]);
                if (!value) {
                    return {{}, Result::Cms(kCmsOperationNotSupported)};
                }
                chosen[i] = *value;
            }
            values = chosen;
            return {};
        }
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::ReadMessage(const AtCommand& command) {
    if (command.form == CommandForm::Test) {
        return {};
    }
    const auto arguments = SplitArguments(command.arguments);
    const std::optional<int> index =
        command.form == CommandForm::Set && arguments && arguments->size() == 1
            ? NumberArgument(arguments->front(), 0, kMaxIndex)
            : std::nullopt;
    if (!index) {
        return {{}, Result::Error()};
    }
    MessageStore& store = stores_.Get(storage_[0]);
    if (!store.IsValidSlot(*index)) {
        return {{}, Result::Cms(kCmsInvalidMemoryIndex)};
    }
    StoredMessage* message = store.Find(*index);
    if (message == nullptr) {
        // A bare OK is what most phones give for an empty slot.
        return {{},
                faults_.emptySlotError ? Result::CmsAlways(kCmsInvalidMemoryIndex) : Result::Ok()};
    }
    Reply reply;
    AddMessageLines("+CMGR: ", *message, reply.information);
    if (message->status == MessageStatus::ReceivedUnread) {
        message->status = MessageStatus::ReceivedRead;
        storesChanged_ = true;
    }
    return reply;
}

Interpreter::Reply Interpreter::ListMessages(const AtCommand& command) {
    if (command.form == CommandForm::Test) {
        return {{"+CMGL: (0-4)"}, Result::Ok()};
    }
    std::optional<int> wanted = 0;
    if (command.form == CommandForm::Set) {
        const auto arguments = SplitArguments(command.arguments);
        wanted = arguments && arguments->size() == 1
                     ? NumberArgument(arguments->front(), 0, kListAll)
                     : std::nullopt;
    } else if (command.form != CommandForm::Action) {
        wanted.reset();
    }
    if (!wanted) {
        return {{}, Result::Error()};  // "ALL" and the other text-mode words included
    }
    Reply reply;
    MessageStore& store = stores_.Get(storage_[0]);
    for (const auto& [slot, stored] : store.Messages()) {
        if (*wanted != kListAll && StatusNumber(stored.status) != *wanted) {
            continue;
        }
        AddMessageLines("+CMGL: " + std::to_string(slot) + ",", stored, reply.information);
        if (stored.status == MessageStatus::ReceivedUnread) {
            store.Find(slot)->status = MessageStatus::ReceivedRead;
            storesChanged_ = true;
        }
    }
    return reply;
}

Interpreter::Reply Interpreter::DeleteMessage(const AtCommand& command) {
    MessageStore& store = stores_.Get(storage_[0]);
    if (command.form == CommandForm::Test) {
        return {{"+CMGD: (1-" + std::to_string(store.Capacity()) + "),(0-4)"}, Result::Ok()};
    }
    const auto arguments = SplitArguments(command.arguments);
    if (command.form != CommandForm::Set || !arguments || arguments->size() > 2) {
        return {{}, Result::Error()};
    }
    const std::optional<int> index = NumberArgument(arguments->front(), 0, kMaxIndex);
    const std::optional<int> flag =
        arguments->size() == 2 ? NumberArgument((*arguments)[1], 0, 4) : 0;
    if (!index || !flag) {
        return {{}, Result::Error()};
    }
    if (*flag == 0) {
        if (!store.IsValidSlot(*index)) {
            return {{}, Result::Cms(kCmsInvalidMemoryIndex)};
        }
        storesChanged_ |= store.Erase(*index);
        return {};
    }
    std::vector<int> doomed;
    for (const auto& [slot, stored] : store.Messages()) {
        if (DeletedByFlag(*flag, stored.status)) {
            doomed.push_back(slot);
        }
    }
    for (const int slot : doomed) {
        storesChanged_ |= store.Erase(slot);
    }
    return {};
}

Interpreter::Reply Interpreter::SendMessage(const AtCommand& command) {
    if (command.form == CommandForm::Test) {
        return {};
    }
    const auto arguments = SplitArguments(command.arguments);
    if (command.form != CommandForm::Set || !arguments || arguments->size() != 1) {
        return {{}, Result::Error()};
    }
    const std::optional<int> length = NumberArgument(arguments->front(), 1, kMaxTpduOctets);
    if (!length) {
        return {{}, Result::Cms(kCmsInvalidPduParameter)};
    }
    pendingRequest_ = PduRequest{PduPurpose::Send, *length, MessageStatus::StoredUnsent};
    return {{}, {ResultKind::Prompt, 0}};
}

Interpreter::Reply Interpreter::WriteMessage(const AtCommand& command) {
    if (command.form == CommandForm::Test) {
        return {};
    }
    const auto arguments = SplitArguments(command.arguments);
    if (command.form != CommandForm::Set || !arguments || arguments->size() > 2) {
        return {{}, Result::Error()};
    }
    const std::optional<int> length = NumberArgument(arguments->front(), 1, kMaxTpduOctets);
    const std::optional<int> status = arguments->size() == 2
                                          ? NumberArgument((*arguments)[1], 0, 3)
                                          : StatusNumber(MessageStatus::StoredUnsent);
    if (!length || !status) {
        return {{}, Result::Cms(kCmsInvalidPduParameter)};
    }
    pendingRequest_ = PduRequest{PduPurpose::Write, *length, static_cast<MessageStatus>(*status)};
    return {{}, {ResultKind::Prompt, 0}};
}

Result Interpreter::CompleteSubmission(const std::vector<std::uint8_t>& pdu,
                                       std::vector<std::string>& information,
                                       InterpreterOutput& out) {
    const SubmitParseResult parsed = ParseSubmitPdu(pdu);
    if (!parsed.parsed()) {
        out.notes.push_back("AT+CMGS refused: " + std::string(DescribeSubmitStatus(parsed.status)) +
                            ": " + sms::BytesToHex(pdu));
        return Result::Cms(kCmsInvalidPduParameter);
    }
    if (faults_.RefusesSubmission(submissions_)) {
        return Result::Cms(kCmsUnknownError);
    }
    const std::uint8_t reference = nextReference_++;
    information.push_back("+CMGS: " + std::to_string(reference));
    out.submitted.push_back({static_cast<int>(TpduLength(pdu)), pdu});
    reports_.Submitted(parsed.submit, reference, settings_.serviceCentre, clock_());
    StoreDueReports(out);
    if (IsAddressedTo(parsed.submit, settings_.ownNumber)) {
        DeliverToSelf(parsed.submit, out);
    }
    return Result::Ok();
}

void Interpreter::DeliverToSelf(const SubmitTpdu& submit, InterpreterOutput& out) {
    const std::optional<std::pair<StoreId, int>> slot = StoreReceived(
        BuildLoopbackDeliver(submit, settings_.ownNumber, settings_.serviceCentre, clock_()));
    if (!slot) {
        out.notes.push_back("a message to the own number was lost: both stores are full");
        return;
    }
    // Said after the +CMGS answer, which is still being built.
    if (modes_.newMessageIndication[1] != 0) {
        afterAnswer_ += FormatUnsolicited("+CMTI: \"" + std::string(StoreName(slot->first)) +
                                              "\"," + std::to_string(slot->second),
                                          modes_.style);
    }
}

void Interpreter::StoreDueReports(InterpreterOutput& out) {
    if (!reports_.Pending()) {
        return;
    }
    for (std::vector<std::uint8_t>& report : reports_.TakeDue(clock_())) {
        const std::optional<std::pair<StoreId, int>> slot = StoreReceived(std::move(report));
        if (!slot) {
            out.notes.push_back("a delivery report was lost: both stores are full");
        } else if (modes_.newMessageIndication[3] == 2) {
            Announce("+CDSI", *slot, out);
        }
    }
}

Result Interpreter::CompleteWrite(const std::vector<std::uint8_t>& pdu, MessageStatus status,
                                  std::vector<std::string>& information) {
    MessageStore& store = stores_.Get(storage_[1]);
    const std::optional<int> slot = store.FirstFreeSlot();
    if (!slot) {
        return Result::Cms(kCmsMemoryFull);
    }
    (void)store.Put(*slot, {pdu, status});
    storesChanged_ = true;
    information.push_back("+CMGW: " + std::to_string(*slot));
    return Result::Ok();
}

}  // namespace mivex::phonesim
