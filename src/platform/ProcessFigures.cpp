#include "platform/ProcessFigures.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace parcelo {
namespace {

std::string ProcFile(int pid, const char* name) {
    std::ifstream in("/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) + "/" + name);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

long ResidentKilobytes(int pid) {
    std::istringstream status(ProcFile(pid, "status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

std::string MappedGraphicsLibraries() {
    const std::string maps = ProcFile(0, "maps");
    std::string mapped;
    for (const char* name : {"libGL", "libEGL", "libgbm", "libgallium", "_dri.so", "libLLVM", "libQt6OpenGL",
                             "libQt6Quick", "libQt6WebEngine"}) {
        if (maps.find(name) != std::string::npos) {
            mapped += (mapped.empty() ? "" : ",") + std::string(name);
        }
    }
    return mapped.empty() ? "-" : mapped;
}

std::string FirstPaintReport() {
    return "parcelo-first-paint rss_kb=" + std::to_string(ResidentKilobytes()) + " libs=" + MappedGraphicsLibraries();
}

} // namespace parcelo
