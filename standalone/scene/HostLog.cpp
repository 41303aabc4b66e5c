#include "scene/HostLog.h"

#include <cstdio>
#include <mutex>

namespace standalone {

namespace {

std::mutex& LogMutex() {
    static std::mutex m;
    return m;
}

std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
}

}  // namespace

void HostLog(const std::string& line) {
    std::lock_guard<std::mutex> lock(LogMutex());
    Lines().push_back(line);
    std::fprintf(stderr, "zenhost: %s\n", line.c_str());
    std::fflush(stderr);
}

std::vector<std::string> HostLogLines() {
    std::lock_guard<std::mutex> lock(LogMutex());
    return Lines();
}

void ClearHostLog() {
    std::lock_guard<std::mutex> lock(LogMutex());
    Lines().clear();
}

}  // namespace standalone
