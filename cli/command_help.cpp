#include "command_help.h"

namespace korvo {

std::string CommandUsage(std::string_view usage, std::string_view command) {
    const std::string head = "  " + std::string(command) + " ";
    std::string text;
    std::size_t start = 0;
    while (start < usage.size()) {
        std::size_t end = usage.find('\n', start);
        if (end == std::string_view::npos) end = usage.size();
        const std::string_view line = usage.substr(start, end - start);
        start = end + 1;
        if (text.empty()) {
            if (line.substr(0, head.size()) == head) text = "usage: korvo " + std::string(line.substr(2)) + "\n";
        } else if (line.substr(0, 4) == "    ") {
            text += std::string(line) + "\n";
        } else {
            break;
        }
    }
    return text;
}

}  // namespace korvo
