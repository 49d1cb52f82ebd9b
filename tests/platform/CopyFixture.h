#pragma once

#include "platform/FileSystem.h"
#include "tests/platform/FsTestSupport.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <vector>
#ifndef _WIN32
#include <sys/xattr.h>
#endif

namespace sorvik::test {

// Counts what a copy reports and cancels after a chosen chunk.
class RecordingObserver : public platform::CopyObserver {
public:
    explicit RecordingObserver(int cancelAfter = 0) : m_cancelAfter(cancelAfter) {}
    bool copied(std::int64_t bytes) override
    {
        chunks.push_back(bytes);
        return m_cancelAfter == 0 || static_cast<int>(chunks.size()) < m_cancelAfter;
    }
    std::int64_t total() const
    {
        std::int64_t sum = 0;
        for (std::int64_t n : chunks)
            sum += n;
        return sum;
    }
    std::vector<std::int64_t> chunks;

private:
    int m_cancelAfter;
};

class CopyFixture : public ::testing::Test {
protected:
    TempDrives drives;
    platform::FileSystem& fs = drives.fs();
    platform::FaultPlan plan;

    void TearDown() override { fs.setFaults(nullptr); }

    std::string host(const std::u16string& path) const { return drives.host(path); }

    // Bytes that differ from offset to offset, so a misplaced chunk shows.
    static std::string pattern(std::size_t size, unsigned seed = 1)
    {
        std::string bytes(size, '\0');
        std::uint32_t x = seed * 2654435761u + 1;
        for (std::size_t i = 0; i < size; ++i) {
            x = x * 1664525u + 1013904223u;
            bytes[i] = static_cast<char>(x >> 24);
        }
        return bytes;
    }

#ifndef _WIN32
    struct stat statOf(const std::u16string& path, bool follow = true) const
    {
        struct stat st {};
        if (follow)
            stat(host(path).c_str(), &st);
        else
            lstat(host(path).c_str(), &st);
        return st;
    }

    // Last access and last write, to the nanosecond.
    void setTimes(const std::u16string& path, time_t seconds, long nanoseconds) const
    {
        const struct timespec times[2] = {{seconds - 100, 0}, {seconds, nanoseconds}};
        ASSERT_EQ(utimensat(AT_FDCWD, host(path).c_str(), times, 0), 0);
    }

    bool xattrsSupported() const
    {
        drives.writeBytes(u"C:\\probe", "");
        drives.writeBytes(u"D:\\probe", "");
        bool ok = setxattr(host(u"C:\\probe").c_str(), "user.test", "1", 1, 0) == 0
            && setxattr(host(u"D:\\probe").c_str(), "user.test", "1", 1, 0) == 0;
        unlink(host(u"C:\\probe").c_str());
        unlink(host(u"D:\\probe").c_str());
        return ok;
    }
#endif

    // Whether the copy reports a large file in several chunks, so that tests
    // can act between them. The POSIX layer's own loop always does; Windows
    // copies with the system's routine, which under Wine reports one chunk.
    bool copyReportsChunks()
    {
        drives.writeBytes(u"C:\\chunk-probe.bin", std::string(std::size_t(20) << 20, 'x'));
        RecordingObserver observer;
        const bool copied = static_cast<bool>(
            fs.copyFile(u"C:\\chunk-probe.bin", u"D:\\chunk-probe.bin", platform::Replace::Never, &observer));
        fs.remove(u"C:\\chunk-probe.bin");
        fs.remove(u"D:\\chunk-probe.bin");
        return copied && observer.chunks.size() >= 3;
    }

    bool noTemporaries() const
    {
        return drives.tempFilesIn(u"C:\\").empty() && drives.tempFilesIn(u"D:\\").empty();
    }
};

}
