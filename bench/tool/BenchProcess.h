#pragma once
// Runs a program as a user starts it, for the tool's benchmarks: no shell, so that the processor
// time (and, when asked for, the peak memory) measured are the program's own, and its output
// thrown away.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace benchprocess {

/// A new folder under the temporary folder, named from `stem`; empty when none can be made.
inline std::filesystem::path NewTemporaryFolder(const std::string& stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
    return ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
}

/// The zenithra program built beside the running benchmark.
inline std::string ZenithraBesideBenchmark() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zenithra").string();
}

struct RunResult {
    double seconds = -1.0;       ///< negative when the command failed
    double cpuSeconds = 0.0;     ///< user and system time of all its threads
    double peakMegabytes = 0.0;  ///< measured only when asked for
};

/// Runs the program words[0] with the rest as its arguments. With `peak`, under /usr/bin/time
/// for its peak memory (about a millisecond more): a program spawned from here starts its own
/// count at the benchmark's resident memory, which may well be larger than the program's.
inline RunResult RunWords(std::vector<std::string> words, bool peak = false) {
    char peakFile[] = "/tmp/zenithra-bench-peak-XXXXXX";
    const int peakHandle = peak ? ::mkstemp(peakFile) : -1;
    if (peakHandle >= 0) {
        ::close(peakHandle);
        words.insert(words.begin(), {"/usr/bin/time", "-f", "%M", "-o", peakFile});
    }
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    RunResult result;
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    bool ran = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
               ::wait4(pid, &status, 0, &usage) == pid;
    posix_spawn_file_actions_destroy(&actions);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ran && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        result.seconds = seconds;
        double kilobytes = 0;
        if (peakHandle >= 0 && (std::ifstream(peakFile) >> kilobytes)) {
            result.peakMegabytes = kilobytes / 1024.0;
        }
        auto toSeconds = [](const timeval& tv) { return double(tv.tv_sec) + tv.tv_usec * 1e-6; };
        result.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    }
    if (peakHandle >= 0) {
        ::unlink(peakFile);
    }
    return result;
}

/// Runs a command whose words are split at spaces; `peak` as for RunWords.
inline RunResult Run(const std::string& command, bool peak = false) {
    std::vector<std::string> words;
    for (size_t at = 0; at < command.size();) {
        size_t end = command.find(' ', at);
        end = end == std::string::npos ? command.size() : end;
        if (end > at) {
            words.push_back(command.substr(at, end - at));
        }
        at = end + 1;
    }
    return RunWords(std::move(words), peak);
}

}  // namespace benchprocess
