#pragma once

// The serial ports a phone or modem can be on, as the General options offer
// them: "/dev/ttyUSB0: Huawei Technologies E353/E3131". The connection opens
// the part up to the first colon; the name after it is for the user, who knows
// the modem by its maker and model rather than by its device node.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/modem_directory.h"

namespace mivex::options {

// Where the listing looks: the kernel's tty devices, the device folder and
// udev's database of device properties. Tests point these at a made-up tree,
// which is why the listing reads the files itself instead of asking libudev.
struct PortRoots {
    std::filesystem::path sysClassTty = "/sys/class/tty";
    std::filesystem::path dev = "/dev";
    std::filesystem::path udevData = "/run/udev/data";
    // The modems ModemManager has, offered after the serial ports; none
    // when unset.
    platform::ModemDirectory* modems = nullptr;
};

// Every serial device present: the 16550-style ports the kernel found
// hardware for (ttyS*; the placeholders every kernel makes are left out),
// USB serial adaptors and modems (ttyUSB*, ttyACM*) and Bluetooth serial links
// (rfcomm*). Each entry is "/dev/<name>:" and, when udev knows the device,
// one space and its maker and model. Sorted with numbers in numeric order;
// "COM1:" and "COM2:" when nothing is found. No entry is longer than an
// option can store, so choosing one never loses it.
[[nodiscard]] std::vector<std::u16string> ListPorts(const PortRoots& roots = {});

// Makes sure the stored port is offered, even when its device is away (an
// unplugged modem, a Bluetooth link that is down, a pseudo-terminal, a udev
// symlink): adds it in sorted place when no entry equals it exactly, and
// returns the index of the entry to select. Device paths are case-sensitive,
// so the match is too. An empty stored port selects the first entry.
[[nodiscard]] std::size_t OfferStoredPort(std::vector<std::u16string>& entries,
                                          std::u16string_view stored);

// What follows an entry whose device a ModemManager modem holds, so the user
// knows before choosing it that it will not open while ModemManager runs.
inline constexpr std::u16string_view kHeldPortMark = u" [in use by ModemManager]";

// Appends kHeldPortMark to each entry whose device (the part before its
// first colon) is one of the modems' ports.
void MarkHeldPorts(std::vector<std::u16string>& entries,
                   const std::vector<platform::ManagedModem>& modems);

// The entry without kHeldPortMark, as the Port option keeps it: the mark
// says how things stood when the list was made, not which port it is.
[[nodiscard]] std::u16string WithoutHeldMark(std::u16string_view entry);

}  // namespace mivex::options
