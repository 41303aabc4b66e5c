#include "diag/DiagLog.h"

#include "platform/Platform.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <latch>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Stamp = std::array<int, 6>;  // year, month, day, hour, minute, second

Stamp StampOf(const platform::LocalTime& t) {
    return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

struct ParsedLine {
    Stamp stamp;
    int millisecond;
    uint32_t thread;
    std::string function, file;
    int line;
    std::optional<std::string> message;
};

// One line of the log without its CR LF, in the documented shape or not at all.
std::optional<ParsedLine> Parse(const std::string& text) {
    static const std::regex shape(
        R"(\[([1-9]\d*)-(\d\d)-(\d\d) (\d\d):(\d\d):(\d\d)\.(0|[1-9]\d{0,2})\] )"
        R"(\[T(0|[1-9]\d*)\] (.*?) \((.*?):(-?\d+)\)(?: \| (.+))?)");
    std::smatch m;
    if (!std::regex_match(text, m, shape)) {
        return std::nullopt;
    }
    ParsedLine p;
    for (size_t i = 0; i < p.stamp.size(); ++i) {
        p.stamp[i] = std::stoi(m[i + 1]);
    }
    p.millisecond = std::stoi(m[7]);
    p.thread = static_cast<uint32_t>(std::stoul(m[8]));
    p.function = m[9];
    p.file = m[10];
    p.line = std::stoi(m[11]);
    if (m[12].matched) {
        p.message = m[12];
    }
    return p;
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

int Fails() {
    throw std::runtime_error("composition failed");
}

TEST(DiagLog, LinesCarryTimeThreadLocationAndMessage) {
    testsupport::ScopedTestDrive drive;
    const Stamp before = StampOf(platform::GetLocalTimeNow());
    const int line = __LINE__ + 1;
    ZENITHRA_LOG("ZenithraProxy::Clone") << u"Proxy::Clone slot=" << 2 << u" master=" << u"OK";
    ZENITHRA_LOG("ZenithraProxy::EvalColor");
    const Stamp after = StampOf(platform::GetLocalTimeNow());

    const std::string bytes = drive.ReadLogBytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], '[') << "no byte-order mark";
    const auto lines = Lines(bytes);
    ASSERT_EQ(lines.size(), 2u);
    const auto first = Parse(lines[0]);
    ASSERT_TRUE(first) << lines[0];
    EXPECT_EQ(first->function, "ZenithraProxy::Clone");
    EXPECT_EQ(first->file, __FILE__);
    EXPECT_EQ(first->line, line);
    EXPECT_EQ(first->thread, platform::CurrentThreadId());
    EXPECT_EQ(first->message, "Proxy::Clone slot=2 master=OK");
    EXPECT_LE(before, first->stamp);
    EXPECT_LE(first->stamp, after);

    // An empty message adds no separator: the line ends right after the location.
    const std::string ending =
        "EvalColor (" + std::string(__FILE__) + ":" + std::to_string(line + 1) + ")";
    ASSERT_GE(lines[1].size(), ending.size());
    EXPECT_EQ(lines[1].substr(lines[1].size() - ending.size()), ending);
    EXPECT_EQ(lines[1].find(" | "), std::string::npos);
}

TEST(DiagLog, MessageTakesTextAndIntegersAndKeepsWhatPrecedesAThrow) {
    testsupport::ScopedTestDrive drive;
    ZENITHRA_LOG("F") << INT_MIN << u' ' << UINT_MAX << u" " << INT64_MIN << u" " << INT64_MAX
                      << u" " << uint64_t{UINT64_MAX} << std::u16string(u" Übung ")
                      << static_cast<const char16_t*>(nullptr) << -0;
    EXPECT_THROW(ZENITHRA_LOG("F") << u"before" << Fails() << u"after", std::runtime_error);

    const auto lines = Lines(drive.ReadLogBytes());
    ASSERT_EQ(lines.size(), 2u);
    const auto composed = Parse(lines[0]);
    const auto interrupted = Parse(lines[1]);
    ASSERT_TRUE(composed && interrupted);
    EXPECT_EQ(composed->message,
              "-2147483648 4294967295 -9223372036854775808 9223372036854775807 "
              "18446744073709551615 Übung 0");
    EXPECT_EQ(interrupted->message, "before");
}

TEST(DiagLog, NonAsciiFunctionNameKeepsItsBytes) {
    testsupport::ScopedTestDrive drive;
    const char* const name = "Zenithra::Проверка::日本語::😀";
    diag::LogWrite("src/x.cpp", 7, name, u"m");
    const auto lines = Lines(drive.ReadLogBytes());
    ASSERT_EQ(lines.size(), 1u);
    const auto parsed = Parse(lines[0]);
    ASSERT_TRUE(parsed) << lines[0];
    EXPECT_EQ(parsed->function, name);
}

TEST(DiagLog, MissingFolderIsCreatedAndTheFileOnlyGrows) {
    testsupport::ScopedTestDrive drive;
    if (fs::exists(drive.LogFolderPath())) {
        GTEST_SKIP() << "C:\\Temp holds files of others and cannot be removed";
    }
    diag::LogWrite("f", 1, "First", u"");
    EXPECT_TRUE(fs::is_directory(drive.LogFolderPath()));
    std::ofstream(drive.LogFilePath(), std::ios::binary | std::ios::app) << "foreign\r\n";
    diag::LogWrite("f", 2, "Second", u"");

    const auto lines = Lines(drive.ReadLogBytes());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(Parse(lines[0]) && Parse(lines[0])->function == "First") << lines[0];
    EXPECT_EQ(lines[1], "foreign");
    EXPECT_TRUE(Parse(lines[2]) && Parse(lines[2])->function == "Second") << lines[2];
}

TEST(DiagLog, PlainFileInPlaceOfTheFolderMakesLoggingANoOp) {
    testsupport::ScopedTestDrive drive;
    if (fs::exists(drive.LogFolderPath())) {
        GTEST_SKIP() << "C:\\Temp holds files of others and cannot be replaced";
    }
    struct RemoveAtEnd {
        fs::path path;
        ~RemoveAtEnd() {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    } cleanup{drive.LogFolderPath()};
    std::ofstream(drive.LogFolderPath(), std::ios::binary) << "not a folder";

    EXPECT_NO_THROW(ZENITHRA_LOG("F") << u"lost");
    EXPECT_TRUE(fs::is_regular_file(drive.LogFolderPath()));
    EXPECT_EQ(testsupport::ReadFileBytes(drive.LogFolderPath()), "not a folder");
}

TEST(DiagLog, ConcurrentWritersProduceOnlyWholeLines) {
    testsupport::ScopedTestDrive drive;
    constexpr int kThreads = 8;
    constexpr int kLinesPerThread = 200;
    std::vector<uint32_t> threadIds(kThreads);
    std::latch start(kThreads);
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            threadIds[t] = platform::CurrentThreadId();
            start.arrive_and_wait();
            for (int n = 0; n < kLinesPerThread; ++n) {
                ZENITHRA_LOG("Worker") << u"writer=" << t << u" n=" << n;
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }

    const auto lines = Lines(drive.ReadLogBytes());
    ASSERT_EQ(lines.size(), size_t{kThreads * kLinesPerThread});
    std::vector<int> nextOf(kThreads, 0);
    const std::regex message(R"(writer=(\d) n=(\d+))");
    for (const auto& text : lines) {
        const auto parsed = Parse(text);
        std::smatch m;
        ASSERT_TRUE(parsed && parsed->message && std::regex_match(*parsed->message, m, message))
            << text;
        const int t = std::stoi(m[1]);
        ASSERT_LT(t, kThreads);
        EXPECT_EQ(parsed->thread, threadIds[t]);
        // Each writer's own lines land in the order it wrote them.
        EXPECT_EQ(std::stoi(m[2]), nextOf[t]++) << text;
    }
}

TEST(DiagLog, PrefixFormatsTheGivenTimeAndThread) {
    using platform::LocalTime;
    EXPECT_EQ(diag::FormatLogPrefix("src/ZenithraProxy", 74, "ZenithraProxy::Clone",
                                    LocalTime{2027, 3, 2, 9, 5, 3, 7}, 5312),
              u"[2027-03-02 09:05:03.7] [T5312] ZenithraProxy::Clone (src/ZenithraProxy:74)");
    EXPECT_EQ(diag::FormatLogPrefix("f.cpp", -1, "F", LocalTime{2026, 12, 31, 23, 59, 59, 999},
                                    4294967295u),
              u"[2026-12-31 23:59:59.999] [T4294967295] F (f.cpp:-1)");
    EXPECT_EQ(diag::FormatLogPrefix(nullptr, 0, nullptr, LocalTime{987, 10, 10, 10, 10, 10, 40}, 0),
              u"[987-10-10 10:10:10.40] [T0]  (:0)");
}

TEST(DiagLog, Utf8ToWideConvertsText) {
    EXPECT_EQ(diag::Utf8ToWide(nullptr), u"");
    EXPECT_EQ(diag::Utf8ToWide(""), u"");
    EXPECT_EQ(diag::Utf8ToWide("ZenithraProxy::Clone"), u"ZenithraProxy::Clone");
    EXPECT_EQ(diag::Utf8ToWide("Привет"), u"Привет");
    EXPECT_EQ(diag::Utf8ToWide("日本語"), u"日本語");
    EXPECT_EQ(diag::Utf8ToWide("😀"), u"\xD83D\xDE00");
    EXPECT_EQ(diag::Utf8ToWide("caf\xE9"), u"caf\uFFFD");
}

}  // namespace
