#include "tests/support/TempDrive.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/time.h>
#include <unistd.h>

namespace sorvik::test {

namespace {

std::string makeTemp(const std::filesystem::path& base = std::filesystem::temp_directory_path())
{
    std::string templ = (base / "sorvik-test-XXXXXX").string();
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    return templ;
}

}

TempDrives::TempDrives()
    : TempDrives(std::filesystem::temp_directory_path().string())
{
}

TempDrives::TempDrives(const std::string& baseDir)
    : m_hostC(makeTemp(baseDir)), m_hostD(makeTemp(baseDir))
{
    platform::DriveTable table;
    table.add(u'C', m_hostC, platform::kDriveFixed);
    table.add(u'D', m_hostD, platform::kDriveRemovable);
    m_fs.setDrives(table);
    char buf[4096];
    if (getcwd(buf, sizeof buf))
        m_savedCwd = buf;
    if (chdir(m_hostC.c_str()) != 0)
        throw std::runtime_error("chdir failed");
}

TempDrives::~TempDrives()
{
    if (!m_savedCwd.empty() && chdir(m_savedCwd.c_str()) != 0) {
        // nothing sensible to do in a destructor
    }
    std::error_code ec;
    // Read-only directories made by tests must not stop the clean-up.
    for (const auto& root : {m_hostC, m_hostD}) {
        for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                std::filesystem::perm_options::add, ec);
        std::filesystem::permissions(root, std::filesystem::perms::owner_all,
            std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root, ec);
    }
}

std::string TempDrives::host(const std::u16string& winPath) const
{
    auto h = m_fs.hostPath(winPath);
    if (!h)
        throw std::runtime_error("not on a test drive");
    return *h;
}

void TempDrives::writeBytes(const std::u16string& winPath, const std::string& bytes) const
{
    std::ofstream out(host(winPath), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempDrives::readBytes(const std::u16string& winPath) const
{
    std::ifstream in(host(winPath), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void TempDrives::makeDir(const std::u16string& winPath) const
{
    std::filesystem::create_directories(host(winPath));
}

bool TempDrives::exists(const std::u16string& winPath) const
{
    std::error_code ec;
    return std::filesystem::exists(host(winPath), ec);
}

std::vector<std::string> TempDrives::allNames(const std::u16string& winDir) const
{
    std::vector<std::string> names;
    DIR* d = opendir(host(winDir).c_str());
    if (!d)
        throw std::runtime_error("cannot list " + host(winDir));
    while (struct dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> TempDrives::tempFilesIn(const std::u16string& winDir) const
{
    std::vector<std::string> temps;
    for (const std::string& name : allNames(winDir))
        if (name.rfind(".~sorvik-", 0) == 0)
            temps.push_back(name);
    return temps;
}

void TempDrives::setTime(const std::u16string& winPath, int y, int mo, int d, int h, int mi, int s) const
{
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    struct timeval tv[2] = {{t, 0}, {t, 0}};
    utimes(host(winPath).c_str(), tv);
}

platform::ProgramInfo programIn(std::u16string directory)
{
    platform::ProgramInfo p;
    p.directory = std::move(directory);
    p.name = u"sorvik";
    p.fileName = u"sorvik";
    p.revision = 7;
    return p;
}

void throwOnProgramEnd()
{
    platform::setExitHandler([](int code) { throw ProgramEnded{code}; });
}

}
