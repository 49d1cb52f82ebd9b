#include "tests/support/TempDrive.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/time.h>
#endif

namespace sorvik::test {

namespace {

std::string hostString(const std::filesystem::path& p)
{
#ifdef _WIN32
    const std::u8string u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
#else
    return p.string();
#endif
}

// A fresh directory no other test or process uses.
std::string makeTemp(const std::filesystem::path& base)
{
    std::random_device seed;
    std::mt19937_64 rng((std::uint64_t(seed()) << 32) ^ seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(
            name, sizeof name, "sorvik-test-%012llx", static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
        std::error_code ec;
        if (std::filesystem::create_directory(base / name, ec))
            return hostString(base / name);
    }
    throw std::runtime_error("no temporary directory could be made");
}

}

std::filesystem::path hostFsPath(const std::string& host)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(host.begin(), host.end()));
#else
    return std::filesystem::path(host);
#endif
}

TempDrives::TempDrives() : TempDrives(std::filesystem::temp_directory_path().string())
{
}

TempDrives::TempDrives(const std::string& baseDir)
    : m_hostC(makeTemp(hostFsPath(baseDir))), m_hostD(makeTemp(hostFsPath(baseDir)))
{
    platform::DriveTable table;
    table.add(u'C', m_hostC, platform::kDriveFixed);
    table.add(u'D', m_hostD, platform::kDriveRemovable);
    m_fs.setDrives(table);
    // The roots as the table holds them ("/" separated on Windows too), so
    // host paths the tests build read like the ones the file system uses.
    m_hostC = table.find(u'C')->hostRoot;
    m_hostD = table.find(u'D')->hostRoot;
    std::error_code ec;
    m_savedCwd = hostString(std::filesystem::current_path(ec));
    std::filesystem::current_path(hostFsPath(m_hostC), ec);
    if (ec)
        throw std::runtime_error("chdir failed");
}

TempDrives::~TempDrives()
{
    std::error_code ec;
    // Nothing sensible to do in a destructor when this fails.
    if (!m_savedCwd.empty())
        std::filesystem::current_path(hostFsPath(m_savedCwd), ec);
    // Read-only directories made by tests must not stop the clean-up.
    for (const auto& root : {m_hostC, m_hostD}) {
        for (auto it = std::filesystem::recursive_directory_iterator(hostFsPath(root), ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(
                it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::permissions(
            hostFsPath(root), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(hostFsPath(root), ec);
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
    std::ofstream out(hostFsPath(host(winPath)), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempDrives::readBytes(const std::u16string& winPath) const
{
    std::ifstream in(hostFsPath(host(winPath)), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void TempDrives::makeDir(const std::u16string& winPath) const
{
    std::filesystem::create_directories(hostFsPath(host(winPath)));
}

bool TempDrives::exists(const std::u16string& winPath) const
{
    std::error_code ec;
    return std::filesystem::exists(hostFsPath(host(winPath)), ec);
}

std::vector<std::string> TempDrives::allNames(const std::u16string& winDir) const
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(hostFsPath(host(winDir)), ec))
        names.push_back(hostString(e.path().filename()));
    if (ec)
        throw std::runtime_error("cannot list " + host(winDir));
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
#ifdef _WIN32
    // The local time of that date's own rules, as the file tables show it.
    SYSTEMTIME local{}, utc{};
    local.wYear = WORD(y), local.wMonth = WORD(mo), local.wDay = WORD(d);
    local.wHour = WORD(h), local.wMinute = WORD(mi), local.wSecond = WORD(s);
    FILETIME ft;
    HANDLE file = CreateFileW(hostFsPath(host(winPath)).c_str(), FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        if (TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) && SystemTimeToFileTime(&utc, &ft))
            SetFileTime(file, nullptr, &ft, &ft);
        CloseHandle(file);
    }
#else
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
#endif
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
