#include "ops/ArchiveProgress.h"

#include <gtest/gtest.h>

#include <thread>

namespace sorvik::test {
namespace {

// What the window was told, in order.
class WindowLog : public OperationProgress {
public:
    void begin(int files, std::int64_t bytes) override
    {
        calls.push_back("begin " + std::to_string(files) + " " + std::to_string(bytes));
    }
    void startFile(u16view name, std::int64_t bytes) override
    {
        calls.push_back("file " + toUtf8(name) + " " + std::to_string(bytes));
    }
    bool copied(std::int64_t bytes) override
    {
        copiedBytes += bytes;
        return !stop;
    }
    void fileDone() override { calls.push_back("done"); }
    void end() override { calls.push_back("end"); }
    bool cancelRequested() const override { return stop; }

    std::vector<std::string> calls;
    std::int64_t copiedBytes = 0;
    bool stop = false;
};

TEST(ArchiveProgress, tellsTheWindowWhatHappenedSinceItLastLooked)
{
    ArchiveProgress bridge;
    WindowLog window;
    bridge.forwardTo(window);
    EXPECT_TRUE(window.calls.empty()) << "nothing before the archiver began";

    bridge.begin(2, 100);
    bridge.startMember(u"a.txt", 60);
    EXPECT_TRUE(bridge.advanced(60));
    bridge.memberDone();
    bridge.startMember(u"b.txt", 40);
    EXPECT_TRUE(bridge.advanced(10));
    EXPECT_TRUE(bridge.forwardTo(window));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"begin 2 100", "file b.txt 40", "done"}));
    EXPECT_EQ(window.copiedBytes, 70);

    window.calls.clear();
    EXPECT_TRUE(bridge.forwardTo(window));
    EXPECT_TRUE(window.calls.empty()) << "told once only";
    EXPECT_EQ(window.copiedBytes, 70);
}

TEST(ArchiveProgress, theWindowsStopReachesTheArchiver)
{
    ArchiveProgress bridge;
    WindowLog window;
    bridge.begin(1, 10);
    EXPECT_TRUE(bridge.advanced(0));
    window.stop = true;
    EXPECT_FALSE(bridge.forwardTo(window));
    EXPECT_FALSE(bridge.advanced(5));
    EXPECT_FALSE(bridge.advanced(0));
}

TEST(ArchiveProgress, headerSizesBeyondTheWindowsRangeAreCapped)
{
    ArchiveProgress bridge;
    WindowLog window;
    bridge.begin(1, UINT64_MAX);
    bridge.forwardTo(window);
    EXPECT_EQ(window.calls.at(0), "begin 1 " + std::to_string(INT64_MAX));
}

TEST(ArchiveProgress, countsEveryByteTheArchiverThreadReports)
{
    ArchiveProgress bridge;
    WindowLog window;
    bridge.begin(1, 200000);
    std::thread archiver([&] {
        for (int i = 0; i < 200000; ++i)
            bridge.advanced(1);
        bridge.memberDone();
    });
    for (int i = 0; i < 1000; ++i)
        bridge.forwardTo(window);
    archiver.join();
    bridge.forwardTo(window);
    EXPECT_EQ(window.copiedBytes, 200000);
    EXPECT_EQ(window.calls.back(), "done");
}

}
}
