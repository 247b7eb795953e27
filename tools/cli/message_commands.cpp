#include "message_commands.h"

#include <optional>

#include "console_output.h"
#include "message_lines.h"
#include "platform/clock.h"
#include "platform/memory_controls.h"
#include "platform/sounds.h"
#include "store/queueing.h"
#include "store/store.h"
#include "store/text_export.h"
#include "store_failure.h"
#include "text/utf8.h"

namespace mivex::tools {

namespace {

struct FolderChoice {
    std::string_view argument;
    ListedFolder folder;
    std::u16string_view name;
    store::PropId dateOrder;
};

constexpr FolderChoice kFolderChoices[] = {
    {"inbox", ListedFolder::Inbox, store::kInboxName, store::kInboxByDate},
    {"outbox", ListedFolder::Outbox, store::kOutboxName, store::kOutboxByDate},
    {"sent", ListedFolder::Sent, store::kSentName, store::kSentByDate},
};

// The recipient entries as the compose view's recipient list would hold
// them; nothing after telling the user when one is not UTF-8.
std::optional<platform::MemoryList> RecipientList(const std::vector<std::string>& recipients,
                                                  std::ostream& err) {
    platform::MemoryList list;
    for (const std::string& recipient : recipients) {
        const std::optional<std::u16string> entry = text::Utf8ToUtf16(recipient);
        if (!entry) {
            UsageError(err, "--to \"" + recipient + "\" is not valid UTF-8");
            return std::nullopt;
        }
        list.AddRow(*entry);
    }
    return list;
}

}  // namespace

ExitStatus RunQueue(const SessionArguments& session, const std::vector<std::string>& recipients,
                    const std::string& text, std::ostream& out, std::ostream& err) {
    const std::optional<std::u16string> message = text::Utf8ToUtf16(text);
    if (!message)
        return UsageError(err, "TEXT is not valid UTF-8");
    std::optional<platform::MemoryList> list = RecipientList(recipients, err);
    if (!list)
        return ExitStatus::UsageError;

    platform::SilentSounds sounds;
    store::Store store(session.dataDirectory, sounds);
    store::FolderHandle outbox = store.OpenFolder(store::kOutboxName, store::kOutboxByDate);
    if (!outbox)
        return StoreUnavailable(err, store);
    ConsolePrompter prompter(out, err);
    const int queued = store::QueueMessage(platform::MemoryText(*message), *list, *outbox,
                                           store::SendNow::No, prompter, platform::DefaultClock());
    store.CloseFolder(outbox);
    if (queued == 0)
        return ExitStatus::Failed;
    out << queued << (queued == 1 ? " message" : " messages") << " queued in the Outbox\n";
    return ExitStatus::Success;
}

ExitStatus RunList(const SessionArguments& session, const std::string& folder, std::ostream& out,
                   std::ostream& err) {
    const FolderChoice* choice = nullptr;
    for (const FolderChoice& candidate : kFolderChoices) {
        if (candidate.argument == folder)
            choice = &candidate;
    }
    if (choice == nullptr)
        return UsageError(err, "no folder \"" + folder + "\"; inbox, outbox or sent");

    platform::SilentSounds sounds;
    store::Store store(session.dataDirectory, sounds);
    store::FolderHandle handle = store.OpenFolder(choice->name, choice->dateOrder);
    if (!handle)
        return StoreUnavailable(err, store);
    store::PropArray props;
    const std::size_t unreadable =
        store::ScanRecords(*handle, props, [&](store::ObjectId, const store::PropArray& record) {
            if (const std::optional<std::u16string> line = MessageLine(choice->folder, record))
                out << text::Utf16ToUtf8(*line) << '\n';
        });
    store.CloseFolder(handle);
    out.flush();
    if (unreadable != 0) {
        err << kMessagePrefix << unreadable << " messages could not be read and are not listed\n";
        return ExitStatus::Failed;
    }
    return ExitStatus::Success;
}

ExitStatus RunExport(const SessionArguments& session, const std::filesystem::path& file,
                     std::ostream& out, std::ostream& err) {
    platform::SilentSounds sounds;
    store::Store store(session.dataDirectory, sounds);
    const std::optional<store::ExportCounts> counts = store::ExportMessagesOrFail(store, file);
    if (!counts) {
        err << kMessagePrefix << "cannot export to " << file.string()
            << " (the file cannot be written or the store cannot be opened)\n";
        return ExitStatus::Failed;
    }
    out << counts->written << " Messages Exported\n";
    if (counts->unreadable != 0) {
        err << kMessagePrefix << text::Utf16ToUtf8(store::UnreadableExportText(counts->unreadable))
            << '\n';
        return ExitStatus::Failed;
    }
    return ExitStatus::Success;
}

ExitStatus RunClearDatabase(const SessionArguments& session, std::ostream& out, std::ostream& err) {
    platform::SilentSounds sounds;
    store::Store store(session.dataDirectory, sounds);
    ConsolePrompter prompter(out, err, true);
    return store.ClearDatabase(prompter) ? ExitStatus::Success : ExitStatus::Failed;
}

}  // namespace mivex::tools
