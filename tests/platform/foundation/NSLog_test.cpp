#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/foundation/NSLog.h"
#include "platform/testing/TempFolder.h"

namespace {

struct Refresher {
    void reload(int page) { NX_LOG("刷新数据 %d %@", page, NSString()); }
    static void plain() { NX_LOG("no arguments"); }
};

// Collects log lines for one scope.
class Capture {
public:
    Capture() : previous_(nxlog::setSink([this](const std::string& l) { lines.push_back(l); })) {}
    ~Capture() { nxlog::setSink(previous_); }
    std::vector<std::string> lines;

private:
    nxlog::Sink previous_;
};

}  // namespace

TEST(NSLog, PrefixNamesTheFunctionAndLine)
{
    Capture capture;
    Refresher().reload(3);
    Refresher::plain();
    NSLog("%@ and %d", NSString("plain"), 5);
    ASSERT_EQ(capture.lines.size(), 3u);
    EXPECT_EQ(capture.lines[0], "{anonymous}::Refresher::reload [Line 15] 刷新数据 3 (null)");
    EXPECT_EQ(capture.lines[1], "{anonymous}::Refresher::plain [Line 16] no arguments");
    EXPECT_EQ(capture.lines[2], "plain and 5");
}

TEST(NSLog, FunctionNamesWithoutTypesOrParameters)
{
    struct Case {
        const char* pretty;
        const char* name;
    };
    const Case cases[] = {
        {"void Foo::bar(int)", "Foo::bar"},
        {"static void Constant::setUserName(const NSString&)", "Constant::setUserName"},
        {"std::map<int, std::vector<int> > ns::Cache<T>::lookup(const K&) [with T = int]", "ns::Cache<T>::lookup"},
        {"main()", "main"},
        {"Foo::bar()::<lambda()>", "Foo::bar"},
        {"void (anonymous namespace)::Refresher::reload(int)", "{anonymous}::Refresher::reload"},
        {"static void {anonymous}::Refresher::plain()", "{anonymous}::Refresher::plain"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) EXPECT_EQ(nxlog::functionName(c.pretty), c.name) << c.pretty;
}

TEST(NSLog, LinesFromThreadsStayWhole)
{
    Capture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) NSLog("thread %d line %d", t, i);
        });
    for (auto& th : threads) th.join();
    ASSERT_EQ(capture.lines.size(), 200u);
    for (const auto& l : capture.lines) EXPECT_EQ(l.rfind("thread ", 0), 0u) << l;
}

namespace {

std::string ReadFile(const NSString& path)
{
    std::ifstream in(path.str());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What the default road writes on standard error while `body` runs.
template <class Body>
std::string StandardErrorDuring(Body body)
{
    TempFolder folder;
    NSString path = folder / "stderr";
    std::fflush(stderr);
    int saved = ::dup(2);
    std::FILE* capture = std::fopen(path.str().c_str(), "w");
    ::dup2(::fileno(capture), 2);
    body();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::fclose(capture);
    return ReadFile(path);
}

}  // namespace

TEST(NSLog, LinesGoToTheLogBelowTheHomeFolderNotToTheUser)
{
    nxlog::Sink previous = nxlog::setSink({});
    TempFolder home;
    ScopedEnv homeEnv("NX_APP_HOME", home.path().str().c_str());
    ScopedEnv quiet("NX_LOG_STDERR", "0");
    std::string shown = StandardErrorDuring([] {
        NSLog("first %d", 1);
        NSLog("second");
    });
    EXPECT_EQ(shown, "");
    EXPECT_EQ(nxlog::logFilePath(), home / "Library/Logs/ParentalControlClient.log");
    EXPECT_EQ(ReadFile(nxlog::logFilePath()), "first 1\nsecond\n");

    // A new home folder gets a log of its own.
    TempFolder other;
    ScopedEnv otherHome("NX_APP_HOME", other.path().str().c_str());
    NSLog("third");
    EXPECT_EQ(ReadFile(other / "Library/Logs/ParentalControlClient.log"), "third\n");
    EXPECT_EQ(ReadFile(home / "Library/Logs/ParentalControlClient.log"), "first 1\nsecond\n");
    nxlog::setSink(previous);
}

TEST(NSLog, StandardErrorWhenAskedFor)
{
    nxlog::Sink previous = nxlog::setSink({});
    TempFolder home;
    ScopedEnv homeEnv("NX_APP_HOME", home.path().str().c_str());
    ScopedEnv loud("NX_LOG_STDERR", "1");
    EXPECT_EQ(StandardErrorDuring([] { NSLog("shown %@", NSString("here")); }), "shown here\n");
    EXPECT_FALSE(std::filesystem::exists((home / "Library/Logs/ParentalControlClient.log").str()));
    nxlog::setSink(previous);
}

namespace {

unsigned modeOf(const NSString& path)
{
    struct stat st{};
    return ::stat(path.str().c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

}  // namespace

TEST(NSLog, TheLogAndItsFolderAreTheUsersAlone)
{
    nxlog::Sink previous = nxlog::setSink({});
    ScopedEnv quiet("NX_LOG_STDERR", "0");
    // A fresh home, and one where an earlier version left both readable by all.
    TempFolder fresh, earlier;
    std::filesystem::create_directories((earlier / "Library/Logs").str());
    ::chmod((earlier / "Library/Logs").str().c_str(), 0755);
    { std::ofstream((earlier / "Library/Logs/ParentalControlClient.log").str()) << "old line\n"; }
    ::chmod((earlier / "Library/Logs/ParentalControlClient.log").str().c_str(), 0644);
    for (const TempFolder* home : {&fresh, &earlier}) {
        ScopedEnv homeEnv("NX_APP_HOME", home->path().str().c_str());
        NSLog("child at %d,%d", 116, 39);
        EXPECT_EQ(modeOf(*home / "Library/Logs"), 0700u) << home->path().str();
        EXPECT_EQ(modeOf(nxlog::logFilePath()), 0600u) << home->path().str();
    }
    EXPECT_EQ(ReadFile(earlier / "Library/Logs/ParentalControlClient.log"), "old line\nchild at 116,39\n");
    nxlog::setSink(previous);
}

TEST(NSLog, TheLogTurnsOverToOnePreviousFileAtItsLimit)
{
    nxlog::Sink previous = nxlog::setSink({});
    ScopedEnv quiet("NX_LOG_STDERR", "0");
    TempFolder home;
    ScopedEnv homeEnv("NX_APP_HOME", home.path().str().c_str());
    const NSString log = nxlog::logFilePath();
    const NSString older(log.str() + nxlog::kPreviousLogSuffix);
    const std::string line(1023, 'x');  // 1 KiB with its newline
    const size_t perFile = nxlog::kLogFileLimit / 1024;
    for (size_t i = 0; i < perFile; ++i) NSLog("%s", line.c_str());
    EXPECT_EQ(std::filesystem::file_size(log.str()), nxlog::kLogFileLimit);
    EXPECT_FALSE(std::filesystem::exists(older.str()));

    // The next line starts a new file; the full one becomes the previous file,
    // and the one before that goes.
    NSLog("first of the second file");
    // (Compared as truths: a failure must not print a megabyte.)
    EXPECT_TRUE(ReadFile(log) == "first of the second file\n");
    ASSERT_TRUE(std::filesystem::exists(older.str()));
    EXPECT_EQ(std::filesystem::file_size(older.str()), nxlog::kLogFileLimit);
    EXPECT_EQ(modeOf(older), 0600u);
    // The last of these no longer fits beside the first line: it starts a third.
    for (size_t i = 0; i < perFile; ++i) NSLog("%s", line.c_str());
    EXPECT_TRUE(ReadFile(log) == line + "\n");
    EXPECT_TRUE(ReadFile(older).starts_with("first of the second file\n"));
    EXPECT_EQ(std::filesystem::file_size(older.str()), 25 + (perFile - 1) * 1024);
    nxlog::setSink(previous);
}
