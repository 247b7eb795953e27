// A receive through the ModemManager link against the ModemManager mock on a
// private system bus, next to the same D-Bus calls made bare in a loop: a new
// connection, GetManagedObjects, Messaging.List and each message's GetAll.
// The ratio of the two is the link's own cost; the whole run adds the
// store's durable writes.

#include <benchmark/benchmark.h>
#include <gio/gio.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "fake_options.h"
#include "mm_bus.h"
#include "modem/modem_link.h"
#include "phone/posix_serial_device.h"
#include "platform/sounds.h"
#include "run_seams.h"
#include "store/store.h"
#include "temp_dir.h"
#include "transfer/receive_run.h"

namespace {

using namespace mivex;

constexpr std::string_view kImei = "356938035643809";
constexpr std::u16string_view kPort = u"mm-356938035643809:";

// Every pause is counted, none is slept: the runs' pauses are fixed and
// measured elsewhere.
class NoSleepClock final : public platform::Clock {
public:
    std::uint64_t NowMs() override { return system_.NowMs() + skippedMs_; }
    void SleepMs(std::uint32_t ms) override { skippedMs_ += ms; }
    platform::LocalTime Local() override { return system_.Local(); }

private:
    platform::SystemClock system_;
    std::uint64_t skippedMs_ = 0;
};

// The mock with `count` received messages, started once for the program.
modem::test::ModemManagerBus& BusWith(int count) {
    static int started = -1;
    static auto bus = std::make_unique<modem::test::ModemManagerBus>();
    if (started != count) {
        std::string messages;
        for (int i = 0; i < count; ++i) {
            messages += std::string(i ? "," : "") + "{\"Number\": \"+4477009001" +
                        std::to_string(10 + i % 90) + "\", \"Text\": \"Message number " +
                        std::to_string(i) +
                        " from the benchmark\", \"Timestamp\": \"2024-03-05T14:22:01+01:00\"}";
        }
        std::string error;
        if (!bus->StartMock("{\"modems\": [{\"imei\": \"" + std::string(kImei) +
                                "\", \"messages\": [" + messages + "]}]}",
                            error)) {
            std::abort();
        }
        started = count;
    }
    return *bus;
}

struct Seams {
    NoSleepClock clock;
    phone::PosixSerialOpener opener;
    platform::SilentSounds sounds;
    phone::LinkContext link{clock, opener, sounds, nullptr};
    mivex::testing::FakeOptions options;
    bench::CountingStatus status;
};

void BM_LinkReceive(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    (void)BusWith(count);
    Seams seams;
    for (auto _ : state) {
        std::unique_ptr<phone::MessageLink> link =
            modem::OpenModemLink(seams.link, seams.options, seams.status, std::string(kImei));
        const auto counts = link ? link->SelectStore(modem::kModemStore) : std::nullopt;
        if (!counts || counts->used != count) {
            state.SkipWithError("failed: the link did not list every message");
            return;
        }
        for (int index = 1; index <= counts->total; ++index)
            benchmark::DoNotOptimize(link->ReadMessage(index));
        link->Close();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_BareCalls(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    (void)BusWith(count);
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    for (auto _ : state) {
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        const auto call = [&](const char* path, const char* interface, const char* method,
                              GVariant* parameters) {
            return g_dbus_connection_call_sync(bus, "org.freedesktop.ModemManager1", path,
                                               interface, method, parameters, nullptr,
                                               G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        };
        g_variant_unref(call("/org/freedesktop/ModemManager1", "org.freedesktop.DBus.ObjectManager",
                             "GetManagedObjects", nullptr));
        GVariant* list = call("/org/freedesktop/ModemManager1/Modem/0",
                              "org.freedesktop.ModemManager1.Modem.Messaging", "List", nullptr);
        GVariantIter* paths = nullptr;
        const gchar* path = nullptr;
        g_variant_get(list, "(ao)", &paths);
        int read = 0;
        while (g_variant_iter_next(paths, "&o", &path)) {
            g_variant_unref(call(path, "org.freedesktop.DBus.Properties", "GetAll",
                                 g_variant_new("(s)", "org.freedesktop.ModemManager1.Sms")));
            ++read;
        }
        g_variant_iter_free(paths);
        g_variant_unref(list);
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
        if (read != count) {
            state.SkipWithError("failed: the bare calls did not read every message");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// The whole receive run into a fresh store, durable writes included.
void BM_RunReceive(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    (void)BusWith(count);
    Seams seams;
    seams.options.strings[options::Option::Port] = std::u16string(kPort);
    transfer::TransferContext context{seams.link, seams.options, seams.status};
    for (auto _ : state) {
        state.PauseTiming();
        auto directory = std::make_unique<mivex::testing::TempDir>();
        auto store = std::make_unique<store::Store>(directory->path(), seams.sounds);
        store::FolderHandle inbox = store->OpenFolder(store::kInboxName, store::kInboxByDate);
        state.ResumeTiming();
        if (transfer::ReceiveMessages(context, *inbox, nullptr) !=
            transfer::ReceiveResult::Complete) {
            state.SkipWithError("failed: the receive did not complete");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_BareCalls)->Arg(3)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkReceive)->Arg(3)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunReceive)->Arg(3)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
