#include "mm_bus.h"

#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace mivex::modem::test {

namespace {

namespace fs = std::filesystem;

constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr int kControlTimeoutMs = 5000;

pid_t Spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

void End(pid_t& pid) {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

template <typename Ready>
bool WaitUntil(Ready ready) {
    const auto limit = std::chrono::steady_clock::now() + kStartLimit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace

ModemManagerBus::ModemManagerBus() {
    const fs::path socket = directory_.path() / "system_bus_socket";
    std::ofstream(directory_.path() / "bus.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>system</type><listen>unix:path="
        << socket.string()
        << "</listen><policy context=\"default\"><allow send_destination=\"*\" "
           "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
           "<allow receive_sender=\"*\"/>"
           "<allow own=\"*\"/></policy></busconfig>\n";
    bus_ = Spawn({"/usr/bin/dbus-daemon", "--nofork", "--nosyslog",
                  "--config-file=" + (directory_.path() / "bus.conf").string()});
    (void)WaitUntil([&] { return fs::exists(socket); });
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket.string()).c_str(), 1);
}

ModemManagerBus::~ModemManagerBus() {
    StopMock();
    End(bus_);
}

bool ModemManagerBus::StartMock(const std::string& parametersJson, std::string& error) {
    StopMock();
    const fs::path record = directory_.path() / "record.jsonl";
    fs::remove(record);
    // The record file joins the parameters: {"record": PATH, ...the rest}.
    std::string parameters = "{\"record\": \"" + record.string() + "\"";
    const std::size_t open = parametersJson.find('{');
    const std::string rest = open == std::string::npos ? "}" : parametersJson.substr(open + 1);
    parameters += rest.find_first_not_of(" }") == std::string::npos ? "}" : ", " + rest;
    mock_ = Spawn(
        {"/usr/bin/python3", "-m", "dbusmock", "--template", MIVEX_MM_MOCK, "-p", parameters});
    if (bus_ < 0 || mock_ < 0) {
        error = "could not start dbus-daemon or the mock";
        return false;
    }
    if (!WaitUntil([&] { return !Calls().empty(); })) {
        error = "the ModemManager mock did not come up";
        return false;
    }
    return true;
}

void ModemManagerBus::StopMock() {
    End(mock_);
}

std::vector<std::string> ModemManagerBus::Calls() const {
    std::vector<std::string> lines;
    std::ifstream file(directory_.path() / "record.jsonl");
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

bool ModemManagerBus::Control(const std::string& method, const std::string& argument,
                              std::string& answer) {
    answer.clear();
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        std::getenv("DBUS_SYSTEM_BUS_ADDRESS"),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    GVariant* reply = nullptr;
    if (connection != nullptr) {
        reply = g_dbus_connection_call_sync(
            connection, "org.freedesktop.ModemManager1", "/org/freedesktop/ModemManager1",
            "org.mivex.Test.ModemManagerMock", method.c_str(),
            argument.empty() ? nullptr : g_variant_new("(s)", argument.c_str()), nullptr,
            G_DBUS_CALL_FLAGS_NONE, kControlTimeoutMs, nullptr, &error);
        g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_object_unref(connection);
    }
    if (reply == nullptr) {
        answer = error != nullptr ? error->message : "no answer";
        g_clear_error(&error);
        return false;
    }
    if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(o)"))) {
        const gchar* path = nullptr;
        g_variant_get(reply, "(&o)", &path);
        answer = path;
    }
    g_variant_unref(reply);
    return true;
}

}  // namespace mivex::modem::test
