#include "diag/DiagLog.h"

#include "platform/Platform.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <latch>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// "[YYYY-MM-DD hh:mm:ss" of now, to compare with the start of lines.
std::string Now() {
    return platform::WideToUtf8(
               diag::FormatLogPrefix(nullptr, 0, nullptr, platform::GetLocalTimeNow(), 0))
        .substr(0, 20);
}

// The lines of the log; fails the test when the bytes do not end with a line end.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << "bytes after the last CR LF";
    return lines;
}

TEST(DiagLog, LinesAreThePrefixOfTheirTimeAndThreadAndTheMessage) {
    testsupport::ScopedTestDrive drive;
    const std::string before = Now();
    const int line = __LINE__ + 1;
    ZENITHRA_LOG("ZenithraProxy::Clone") << L"Proxy::Clone slot=" << 2 << L" master=" << L"OK";
    ZENITHRA_LOG("ZenithraProxy::EvalColor");  // an empty message adds no " | "
    const char* const name = "Zenithra::Проверка::日本語::😀";
    diag::LogWrite("src/x.cpp", 7, name, L"Übung");

    const std::string after = Now();

    const auto lines = Lines(drive.ReadLogBytes());  // no byte-order mark either
    ASSERT_EQ(lines.size(), 3u);
    const std::string thread = "] [T" + std::to_string(platform::CurrentThreadId()) + "] ";
    const std::string here = std::string(" (") + __FILE__ + ":";
    const std::string endings[] = {
        thread + "ZenithraProxy::Clone" + here + std::to_string(line) +
            ") | Proxy::Clone slot=2 master=OK",
        thread + "ZenithraProxy::EvalColor" + here + std::to_string(line + 1) + ")",
        thread + name + " (src/x.cpp:7) | Übung"};  // the UTF-8 bytes unchanged
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(before <= lines[i].substr(0, 20) && lines[i].substr(0, 20) <= after);
        EXPECT_TRUE(lines[i].ends_with(endings[i])) << lines[i];
    }
}

TEST(DiagLog, MissingFolderIsCreatedTheFileOnlyGrowsAndAPlainFileInTheWayMakesANoOp) {
    testsupport::ScopedTestDrive drive;
    if (fs::exists(drive.LogFolderPath())) {
        GTEST_SKIP() << "C:\\Temp holds files of others and cannot be removed";
    }
    std::ofstream(drive.LogFolderPath(), std::ios::binary) << "not a folder";
    EXPECT_NO_THROW(ZENITHRA_LOG("F") << L"lost");
    EXPECT_EQ(testsupport::ReadFileBytes(drive.LogFolderPath()), "not a folder");
    fs::remove(drive.LogFolderPath());
    diag::LogWrite("f", 1, "First", L"");
    EXPECT_TRUE(fs::is_directory(drive.LogFolderPath()));
    std::ofstream(drive.LogFilePath(), std::ios::binary | std::ios::app) << "foreign\r\n";
    diag::LogWrite("f", 2, "Second", L"");

    EXPECT_TRUE(std::regex_match(drive.ReadLogBytes(),
                                 std::regex(R"(\[[^\r\n]*\] First \(f:1\)\r\nforeign\r\n)"
                                            R"(\[[^\r\n]*\] Second \(f:2\)\r\n)")))
        << drive.ReadLogBytes();
}

TEST(DiagLog, ConcurrentWritersProduceOnlyWholeLines) {
    testsupport::ScopedTestDrive drive;
    constexpr int kThreads = 8, kLinesPerThread = 200;
    std::vector<uint32_t> threadIds(kThreads);
    std::latch start(kThreads);
    std::vector<std::jthread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            threadIds[t] = platform::CurrentThreadId();
            start.arrive_and_wait();
            for (int n = 0; n < kLinesPerThread; ++n) {
                ZENITHRA_LOG("Worker") << L"writer=" << t << L" n=" << n;
            }
        });
    }
    writers.clear();  // joins

    const auto lines = Lines(drive.ReadLogBytes());
    ASSERT_EQ(lines.size(), size_t{kThreads * kLinesPerThread});
    std::vector<int> nextOf(kThreads, 0);
    const std::regex shape(R"(\[.*\] \[T(\d+)\] Worker \(.*:\d+\) \| writer=(\d) n=(\d+))");
    for (const auto& text : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, shape)) << text;
        const int t = std::stoi(m[2]);
        ASSERT_LT(t, kThreads);
        EXPECT_EQ(std::stoul(m[1]), threadIds[t]);
        // Each writer's own lines land in the order it wrote them.
        EXPECT_EQ(std::stoi(m[3]), nextOf[t]++) << text;
    }
}

}  // namespace
