#pragma once

#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Text.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sorvik::test {

// A host path as the standard library's path: host paths are UTF-8 on
// Windows, where a narrow string would be read in the ANSI code page.
std::filesystem::path hostFsPath(const std::string& host);

// A fresh temporary directory per test, mapped to drive C: (and a second one
// to D:), so no test touches the real home, mounts or repository.
class TempDrives {
public:
    TempDrives();
    // The same under another directory than the system's temporary one.
    explicit TempDrives(const std::string& baseDir);
    ~TempDrives();
    TempDrives(const TempDrives&) = delete;
    TempDrives& operator=(const TempDrives&) = delete;

    platform::FileSystem& fs() { return m_fs; }
    const std::string& hostC() const { return m_hostC; }
    const std::string& hostD() const { return m_hostD; }

    // Host path of a Windows path on these drives.
    std::string host(const std::u16string& winPath) const;
    void writeBytes(const std::u16string& winPath, const std::string& bytes) const;
    std::string readBytes(const std::u16string& winPath) const;
    void makeDir(const std::u16string& winPath) const;
    bool exists(const std::u16string& winPath) const;
    // Every host name in a directory, dot files included, sorted.
    std::vector<std::string> allNames(const std::u16string& winDir) const;
    // The temporary files of our atomic writes left in a directory.
    std::vector<std::string> tempFilesIn(const std::u16string& winDir) const;
    // Sets a file's last-write time (local time).
    void setTime(const std::u16string& winPath, int y, int mo, int d, int h, int mi, int s) const;

private:
    std::string m_hostC;
    std::string m_hostD;
    std::string m_savedCwd;
    platform::FileSystem m_fs;
};

// The program as the tests install it: "sorvik" in `directory`, revision 7.
platform::ProgramInfo programIn(std::u16string directory);

// Exit handler that throws, so fatal paths end the call instead of the run.
struct ProgramEnded {
    int code;
};
void throwOnProgramEnd();

}
