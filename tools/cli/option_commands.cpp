#include "option_commands.h"

#include <optional>
#include <variant>

#include "option_values.h"
#include "options/options_record.h"
#include "platform/sounds.h"
#include "store/store.h"
#include "store_failure.h"
#include "text/utf8.h"

namespace mivex::tools {

namespace {

std::optional<options::Option> NamedOption(const std::string& name, std::ostream& err) {
    const std::optional<options::Option> option = options::OptionByName(name);
    if (!option)
        UsageError(err,
                   "no setting called \"" + name + "\"; 'mivex-cli options --help' lists them");
    return option;
}

// An absent setting and a store that cannot be opened both read as 0; only
// the second is a failure.
bool CanOpenOptions(store::Store& store) {
    store::FolderHandle folder = store.OpenFolder(store::kOptionsName, 0);
    return folder.valid() && store.CloseFolder(folder);
}

}  // namespace

ExitStatus RunOptionsGet(const SessionArguments& session, const std::string& name,
                         std::ostream& out, std::ostream& err) {
    const std::optional<options::Option> option = NamedOption(name, err);
    if (!option)
        return ExitStatus::UsageError;
    platform::SilentSounds sounds;
    store::Store store(session.dataDirectory, sounds);
    if (!CanOpenOptions(store))
        return StoreUnavailable(err, store);

    options::StoreOptions stored(store);
    if (options::IsStringOption(*option)) {
        std::u16string value;
        (void)stored.ReadOption(*option, value);
        out << text::Utf16ToUtf8(value) << '\n';
    } else {
        std::int32_t value = 0;
        (void)stored.ReadOption(*option, value);
        out << value << '\n';
    }
    return ExitStatus::Success;
}

ExitStatus RunOptionsSet(const SessionArguments& session, const std::string& name,
                         const std::string& value, std::ostream& err) {
    const std::optional<options::Option> option = NamedOption(name, err);
    if (!option)
        return ExitStatus::UsageError;
    const CheckedOptionValue checked = CheckOptionValue(*option, value);
    if (!checked.ok())
        return UsageError(err, checked.problem);

    platform::SilentSounds sounds;
    store::Store store(session.dataDirectory, sounds);
    options::StoreOptions stored(store);
    const bool written = std::visit(
        [&](const auto& typed) { return stored.WriteOption(*option, typed); }, checked.value);
    return written ? ExitStatus::Success : StoreUnavailable(err, store);
}

}  // namespace mivex::tools
