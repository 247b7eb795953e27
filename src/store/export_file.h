#pragma once

// Where the text export's bytes go, and how they get there without harming
// what stood at the chosen name before.
//
// - No file there yet, or a regular file: the export is written beside it
//   under a short temporary name and moved over it only once every byte is
//   on disk, so a failed export leaves the old file as it was. A replaced
//   file keeps its permissions, owner and group; a file the user may not
//   write, or one that another user owns, is not replaced. A symbolic link
//   stays a link and the file it points at gets the export.
// - A FIFO or a character device (a pipe to another program, /dev/null, a
//   terminal): written into directly, since replacing it with a regular file
//   would take it from whoever uses it. A FIFO with no reader is refused at
//   once rather than waited on, and a reader that goes away fails the export
//   instead of ending the program with SIGPIPE.
// - Anything else (a folder, a block device, a socket, a dangling link) is
//   refused.

#include <filesystem>
#include <string>
#include <string_view>

namespace mivex::store {

class ExportFile {
public:
    explicit ExportFile(std::filesystem::path target);
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    // Opens the way to the target as above; false when it is refused or
    // cannot be opened, and nothing has changed.
    [[nodiscard]] bool Create();

    // Adds text as UTF-16LE whatever the machine's byte order.
    void Append(std::u16string_view text);

    // Writes what is left and puts the export in place; false when any write
    // failed, and then a regular file at the target is as it was.
    [[nodiscard]] bool Commit();

private:
    bool CreateBeside(const std::filesystem::path& folder);
    void Flush();
    void Discard();

    std::filesystem::path target_;     // the name given, then the regular file it names
    std::filesystem::path temporary_;  // the file being written beside it; empty when direct
    int fd_ = -1;
    bool direct_ = false;  // writing into a FIFO or device, not a new file
    bool failed_ = false;
    std::string buffer_;
};

}  // namespace mivex::store
