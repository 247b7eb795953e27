#include "receive_hook.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "sms/file_time.h"
#include "store_failure.h"
#include "text/utf8.h"

extern char** environ;

namespace mivex::tools {
namespace {

constexpr std::string_view kVariablePrefix = "MIVEX_";

// The environment without variables of our own a parent may have set, so a
// program never sees a stale message's text.
std::vector<std::string> InheritedEnvironment() {
    std::vector<std::string> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (!std::string_view(*entry).starts_with(kVariablePrefix)) {
            variables.emplace_back(*entry);
        }
    }
    return variables;
}

// An environment string ends at its first NUL; a text that holds one is cut
// there rather than refused.
std::string Variable(std::string_view name, std::u16string_view value) {
    std::string text = text::Utf16ToUtf8(value);
    text.resize(std::strlen(text.c_str()));
    return std::string(kVariablePrefix) + std::string(name) + "=" + text;
}

}  // namespace

void ReceiveHook::OnNewMessage(const store::InboxRecord& message) {
    std::vector<std::string> variables = InheritedEnvironment();
    variables.push_back(Variable("SENDER", message.SenderNumber));
    variables.push_back(Variable("NAME", message.SenderName));
    variables.push_back(std::string(kVariablePrefix) +
                        "TIME=" + sms::FormatFileTime(message.TimeStamp));
    variables.push_back(Variable("TEXT", message.Text));
    std::vector<char*> environment;
    for (std::string& variable : variables) {
        environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
    std::string program = program_;
    std::array<char*, 2> arguments{program.data(), nullptr};

    pid_t child = 0;
    const int failed = posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments.data(),
                                    environment.data());
    if (failed != 0) {
        err_ << kMessagePrefix << "cannot run " << program_ << ": " << std::strerror(failed)
             << '\n';
        return;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        err_ << kMessagePrefix << program_ << " failed for a message from "
             << text::Utf16ToUtf8(message.SenderNumber) << '\n';
    }
}

}  // namespace mivex::tools
