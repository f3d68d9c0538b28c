#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/NSLog.h"

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
    EXPECT_EQ(capture.lines[0], "{anonymous}::Refresher::reload [Line 10] 刷新数据 3 (null)");
    EXPECT_EQ(capture.lines[1], "{anonymous}::Refresher::plain [Line 11] no arguments");
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
