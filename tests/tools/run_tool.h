#pragma once

#include <string>
#include <vector>

namespace mivex::tools {

struct ToolRun {
    int exitStatus = -1;  // -1 when the program could not be started or did not exit
    std::string out;
    std::string err;
};

// Runs mivex-pdu with `arguments`, no shell in between, and collects what it wrote.
[[nodiscard]] ToolRun RunPduTool(const std::vector<std::string>& arguments);

}  // namespace mivex::tools
