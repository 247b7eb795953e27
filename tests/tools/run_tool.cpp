#include "run_tool.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace mivex::tools {

namespace {

// A temporary file that the child writes and the test reads afterwards; files
// rather than pipes so a chatty child can never block on a full pipe.
class CaptureFile {
public:
    CaptureFile()
        : path_((std::filesystem::temp_directory_path() / "mivex-pdu-test-XXXXXX").string()),
          descriptor_(mkstemp(path_.data())) {}
    ~CaptureFile() {
        if (descriptor_ >= 0) {
            close(descriptor_);
            unlink(path_.c_str());
        }
    }
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    [[nodiscard]] int descriptor() const { return descriptor_; }
    [[nodiscard]] std::string Contents() const {
        std::ifstream file(path_, std::ios::binary);
        std::ostringstream contents;
        contents << file.rdbuf();
        return contents.str();
    }

private:
    std::string path_;
    int descriptor_;
};

}  // namespace

ToolRun RunPduTool(const std::vector<std::string>& arguments) {
    CaptureFile out;
    CaptureFile err;
    ToolRun run;
    if (out.descriptor() < 0 || err.descriptor() < 0) {
        return run;
    }
    std::string program = MIVEX_PDU_PATH;
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.descriptor(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.descriptor(), STDERR_FILENO);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return run;
    }
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.exitStatus = WEXITSTATUS(status);
    }
    run.out = out.Contents();
    run.err = err.Contents();
    return run;
}

}  // namespace mivex::tools
