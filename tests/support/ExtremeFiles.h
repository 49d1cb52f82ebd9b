#pragma once

#include "app/Form1Model.h"
#include "platform/Ui.h"
#include "tests/support/ModelFixture.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvik::test {

// Where tests that make tens of thousands of files put their drives: a RAM
// disk when the host has one, since creating 33,000 files on the build
// machine's disk takes seconds of journal work.
inline std::string fastTempBase()
{
    if (::access("/dev/shm", W_OK | X_OK) == 0)
        return "/dev/shm";
    return std::filesystem::temp_directory_path().string();
}

// ProgramFixture (program in C:\prog\, C:\work to start in, scripted
// messages) on drives under fastTempBase().
class FastProgramFixture : public ProgramFixture {
protected:
    FastProgramFixture() : ProgramFixture(fastTempBase()) {}
    void TearDown() override
    {
        model.reset();
        ProgramFixture::TearDown();
    }
};

// Creates `count` empty files "<prefix>00000", "<prefix>00001" ... in a host
// directory. openat/close in a loop is several times faster than streams,
// which keeps a directory of more than 32,766 files cheap enough for a test.
inline void makeEmptyFiles(const std::string& hostDir, int count, const char* prefix = "f")
{
    const int dir = ::open(hostDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir, 0) << hostDir << ": " << std::strerror(errno);
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "%s%05d", prefix, i);
        const int fd = ::openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << name << ": " << std::strerror(errno);
        ::close(fd);
    }
    ::close(dir);
}

// Creates a file under a raw host name (bytes as they are, UTF-8 or not).
inline void makeRawFile(const std::string& hostDir, const std::string& rawName, const std::string& bytes)
{
    const std::string path = hostDir + "/" + rawName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

// The bytes of a host file, or "<missing>".
inline std::string rawBytes(const std::string& hostPath)
{
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<missing>";
    std::string out;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, std::size_t(n));
    ::close(fd);
    return out;
}

inline bool hostExists(const std::string& hostPath)
{
    struct stat st;
    return ::lstat(hostPath.c_str(), &st) == 0;
}

}
