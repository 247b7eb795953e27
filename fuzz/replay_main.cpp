// Runs a fuzz target's entry point over saved inputs, so the normal build
// replays every seed and every past finding as a regression test without
// needing clang or libFuzzer.
//
// Usage: <target> PATH...   where each PATH is an input file or a directory of
// them (not searched recursively).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <span>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The input files a path names, in name order so a replay log reads the same
// on every machine. Empty when the path does not exist.
std::vector<fs::path> InputFiles(const fs::path& path) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
        return fs::is_regular_file(path, error) ? std::vector<fs::path>{path}
                                                : std::vector<fs::path>{};
    }
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
        if (entry.is_regular_file(error)) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadInput(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    const std::span<char*> arguments(argv + 1, static_cast<std::size_t>(std::max(argc - 1, 0)));
    std::size_t ran = 0;
    for (const char* argument : arguments) {
        for (const fs::path& file : InputFiles(argument)) {
            // Named before running, so the log of an abort ends with the culprit.
            std::cout << file.string() << std::endl;
            const std::vector<std::uint8_t> input = ReadInput(file);
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++ran;
        }
    }
    std::cout << "ran " << ran << " inputs\n";
    // An empty or mistyped corpus path must not pass as a clean replay.
    return ran == 0 ? 1 : 0;
}
