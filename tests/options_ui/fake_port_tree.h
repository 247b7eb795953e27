#pragma once

// A made-up machine for the port list: /sys/class/tty entries as the kernel
// links them, device nodes in /dev, and udev's property records.

#include <filesystem>
#include <fstream>
#include <string>

#include "options/port_list.h"
#include "temp_dir.h"

namespace mivex::options::tests {

struct FakeTty {
    std::string name = {};        // "ttyUSB0"
    std::string majorMinor = {};  // "188:0"
    std::string type = {};        // the serial core's port type; empty: no such attribute
    std::string udev = {};        // the udev record's lines; empty: no record
    bool node = true;             // /dev/<name> exists
};

class FakePortTree {
public:
    void Add(const FakeTty& tty) {
        namespace fs = std::filesystem;
        const fs::path device = dir_.path() / "sys/devices/fake" / tty.name;
        fs::create_directories(device);
        Write(device / "dev", tty.majorMinor + "\n");
        if (!tty.type.empty())
            Write(device / "type", tty.type + "\n");
        for (const fs::path& folder : {roots_.sysClassTty, roots_.dev, roots_.udevData})
            fs::create_directories(folder);
        fs::create_directory_symlink(device, roots_.sysClassTty / tty.name);
        if (tty.node)
            Write(roots_.dev / tty.name, "");
        if (!tty.udev.empty())
            Write(roots_.udevData / ("c" + tty.majorMinor), tty.udev);
    }

    [[nodiscard]] const PortRoots& Roots() const { return roots_; }

private:
    static void Write(const std::filesystem::path& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }

    mivex::testing::TempDir dir_;
    PortRoots roots_{dir_.path() / "sys/class/tty", dir_.path() / "dev",
                     dir_.path() / "run/udev/data"};
};

}  // namespace mivex::options::tests
