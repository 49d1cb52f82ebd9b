// Writes every data file the program makes, for fixed input, through the
// system layer of the build it belongs to: the settings file, a description
// file, the association file, an archive, and the code page 932 tables the
// text files are made with. The Linux build's output and the Windows build's
// (run under Wine) must be byte for byte the same; tests/data/CompareDataFiles.cmake
// compares them.
//
// Usage: sorvik_data_files OUTPUT_DIR   (a host directory; made when missing)

#include "app/Settings.h"
#include "assoc/AssociationEditor.h"
#include "desc/Descriptions.h"
#include "lha/Unlha.h"
#include "platform/FileSystem.h"
#include "platform/Ui.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>
#else
#include <sys/time.h>
#endif

using namespace sorvik;

namespace {

// A fixed last-write time, so the archive's headers do not depend on the clock.
constexpr std::int64_t kFixedTime = 1700000000;   // 2023-11-14 22:13:20 UTC

std::filesystem::path pathOf(const std::string& host)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(host.begin(), host.end()));
#else
    return std::filesystem::path(host);
#endif
}

bool setFixedTime(const std::string& host)
{
#ifdef _WIN32
    const std::uint64_t t = static_cast<std::uint64_t>(kFixedTime) * 10000000ull + 116444736000000000ull;
    FILETIME ft{static_cast<DWORD>(t & 0xFFFFFFFF), static_cast<DWORD>(t >> 32)};
    HANDLE h = CreateFileW(pathOf(host).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = SetFileTime(h, nullptr, &ft, &ft);
    CloseHandle(h);
    return ok;
#else
    const struct timeval tv[2] = {{kFixedTime, 0}, {kFixedTime, 0}};
    return utimes(host.c_str(), tv) == 0;
#endif
}

int fail(const char* what)
{
    std::fprintf(stderr, "sorvik_data_files: %s\n", what);
    return 1;
}

bool writeFile(platform::FileSystem& fs, u16view path, const std::string& bytes)
{
    return fs.writeFileAtomic(path, bytes) && setFixedTime(*fs.hostPath(path));
}

// Every byte alone and every byte pair decoded, as UTF-16LE: the whole
// reading side of code page 932, since it is stateless and at most two bytes
// make a character.
std::string decodeTable()
{
    std::string out;
    auto put = [&](const u16& text) {
        out.push_back(static_cast<char>(text.size()));
        for (char16_t c : text) {
            out.push_back(static_cast<char>(c & 0xFF));
            out.push_back(static_cast<char>(c >> 8));
        }
    };
    for (int b = 0; b < 256; ++b)
        put(platform::decodeCp932(std::string(1, static_cast<char>(b))));
    for (int lead = 0; lead < 256; ++lead)
        for (int trail = 0; trail < 256; ++trail)
            put(platform::decodeCp932(std::string{static_cast<char>(lead), static_cast<char>(trail)}));
    return out;
}

// Every BMP code point encoded: its length (0 for a refusal) and bytes; then
// a few pairs beyond the BMP, which code page 932 cannot hold.
std::string encodeTable()
{
    std::string out;
    auto put = [&](u16view text) {
        const std::optional<std::string> bytes = platform::encodeCp932(text);
        out.push_back(static_cast<char>(bytes ? bytes->size() : 0));
        if (bytes)
            out += *bytes;
    };
    for (std::uint32_t cp = 0; cp < 0x10000; ++cp) {
        const char16_t unit = static_cast<char16_t>(cp);
        put(u16view(&unit, 1));
    }
    put(u"😀");
    put(u"\U00020B9F");
    return out;
}

}

int main(int argc, [[maybe_unused]] char** argv)
{
    if (argc != 2)
        return fail("usage: sorvik_data_files OUTPUT_DIR");
#ifdef _WIN32
    // The argument as the system has it (not through the ANSI code page), as
    // a full Windows path: the drive table's roots are drive paths here.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    wchar_t full[MAX_PATH];
    if (!wide || count != 2 || GetFullPathNameW(wide[1], MAX_PATH, full, nullptr) == 0)
        return fail("the output directory cannot be named as a Windows path");
    LocalFree(wide);
    const std::u8string u8 = std::filesystem::path(full).u8string();
    const std::string root(u8.begin(), u8.end());
#else
    const std::string root = argv[1];
#endif
    std::error_code ec;
    std::filesystem::create_directories(pathOf(root), ec);
    if (ec)
        return fail("cannot make the output directory");

    platform::DriveTable table;
    table.add(u'C', root);
    platform::FileSystem fs(table);
    // Messages would only say that something failed; the exit status does.
    platform::ScriptedUi quiet;
    platform::setUi(&quiet);

    const u16 programDir = u"C:\\prog\\";
    const u16 dataDir = u"C:\\prog\\SYSDAT\\";
    for (const u16& dir : {u16(u"C:\\prog"), dataDir, u16(u"C:\\work"), u16(u"C:\\work\\表"), u16(u"C:\\archives")}) {
        if (!fs.directoryExists(dir) && !fs.createDirectory(dir))
            return fail("cannot make the drive's directories");
    }

    // The settings file: window, display kinds, jump folders, filters.
    SettingsSnapshot window;
    window.Top = 1200;
    window.Left = -150;
    window.ClientWidth = 9000.5;
    window.ClientHeight = 6000;
    window.ListedDirectory = u"C:\\仕事\\表";
    DisplayKinds kinds;
    kinds.ShowReadOnly = 1;
    kinds.ShowHidden = 0;
    kinds.ShowSystem = 1;
    kinds.ShowArchive = 1;
    JumpList jumps;
    jumps.append(u"doc ", u"C:\\文書\\");
    jumps.append(u"表", u"D:\\表\\");
    jumps.append(u"ﾊﾝｶｸ", u"C:\\①②\\");
    FilterList filters;
    filters[0] = u"*.txt";
    filters[3] = u"  *.lzh;*.zip  ";
    filters[9] = u"表*";
    SaveSettings(fs, dataDir, window, kinds, jumps, filters);
    if (!fs.exists(dataDir + kSettingsFile) || !setFixedTime(*fs.hostPath(dataDir + kSettingsFile)))
        return fail("the settings file was not written");

    // The descriptions of the listed directory, in the file that holds them.
    for (const char16_t* name : {u"a.txt", u"表.doc", u"ﾃﾞｰﾀ.csv"}) {
        if (!writeFile(fs, u16(u"C:\\work\\") + name, "x"))
            return fail("cannot make the described files");
    }
    u16 descriptionFile;
    {
        Descriptions descriptions(fs, programDir, dataDir, u"sorvik");
        descriptionFile = descriptions.GetLocalPath(u"C:\\work\\") + kDescriptionFile;
        descriptions.LocalComentGet(u"C:\\work\\");
        descriptions.ComentSet(u"C:\\work\\a.txt", u"最初の説明");
        descriptions.ComentSet(u"C:\\work\\表.doc", u"表計算 ～ ①");
        descriptions.ComentSet(u"C:\\work\\ﾃﾞｰﾀ.csv", u"comma, \"quoted\" text");
        descriptions.ComentSet(u"C:\\work\\a.txt", u"書き換えた説明");
        descriptions.LocalComentSave(u"C:\\work\\");
    }
    if (!fs.exists(descriptionFile) || !setFixedTime(*fs.hostPath(descriptionFile)))
        return fail("the description file was not written");

    // The association file, as the editor writes it on close.
    {
        AssociationEditor editor(fs, dataDir);
        editor.open(u"*.txt");
        const u16 edit = u"EDIT.EXE", viewer = u"表示.exe";
        if (!editor.addOrReplace(u"*.txt", u"C:\\EDIT\\", &edit)
            || !editor.addOrReplace(u"*.LZH", u"C:\\表示\\", &viewer) || !editor.saveOnClose())
            return fail("the association file was not written");
    }
    if (!setFixedTime(*fs.hostPath(dataDir + kAssociationFile)))
        return fail("the association file was not written");

    // An archive of a text, a Japanese name and a file in a subdirectory.
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + " of the sample text\r\n";
    if (!writeFile(fs, u"C:\\work\\sample.txt", text)
        || !writeFile(fs, u"C:\\work\\表\\説明.txt", "\x90\xe0\x96\xbe\r\n")
        || !setFixedTime(*fs.hostPath(u"C:\\work\\表")))
        return fail("cannot make the files to pack");
    lha::setFileSystem(&fs);
    char report[4096];
    const std::string archive = "\"C:\\archives\\sample.lzh\" \"C:\\work\\\" ";
    for (const std::string file : {"\"sample.txt\"", "\"\x95\x5c\\\x90\xe0\x96\xbe.txt\"", "\"a.txt\""}) {
        const std::string command = "u -x1 " + archive + file;
        if (Unlha(nullptr, command.c_str(), report, sizeof report) != 0)
            return fail(report);
    }
    lha::setFileSystem(nullptr);
    if (!setFixedTime(*fs.hostPath(u"C:\\archives\\sample.lzh")))
        return fail("the archive was not written");

    // The conversion tables behind all of them.
    if (!fs.createDirectory(u"C:\\cp932") || !writeFile(fs, u"C:\\cp932\\decode.bin", decodeTable())
        || !writeFile(fs, u"C:\\cp932\\encode.bin", encodeTable()))
        return fail("the conversion tables were not written");

    platform::setUi(nullptr);
    return 0;
}
