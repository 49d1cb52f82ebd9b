// sorvik-lha: the archiver's command lines from a shell, for users and benchmarks.

#include "lha/Unlha.h"

#include "platform/FileSystem.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace sorvik;

namespace {

const char kHelp[]
    = "usage: sorvik-lha [--host] COMMAND\n"
      "       sorvik-lha [--host] --check [--full] ARCHIVE\n"
      "\n"
      "COMMAND is one of the archiver's command lines, either as one argument\n"
      "  sorvik-lha 'u -x1 \"C:\\work\\a.lzh\" \"C:\\work\\\" \"sub\\f.txt\"'\n"
      "or as separate arguments, each value quoted for you:\n"
      "  sorvik-lha u -x1 'C:\\work\\a.lzh' 'C:\\work\\' 'sub\\f.txt'\n"
      "  sorvik-lha x 'C:\\work\\a.lzh' 'C:\\out\\'      (e: without directories)\n"
      "Paths are Windows paths on this machine's drive table (C: is /).\n"
      "\n"
      "--host   take plain host paths instead (separate arguments only):\n"
      "           sorvik-lha --host u -x1 /tmp/a.lzh /tmp/dir/ sub/f.txt\n"
      "           sorvik-lha --host x /tmp/a.lzh /tmp/out/\n"
      "--check  exit 0 when ARCHIVE is an archive the library extracts (first\n"
      "         headers; with --full every member is decoded and CRC-checked).\n"
      "\n"
      "Prints the library's report; the exit status is 0, or the low byte of\n"
      "its error code (0x8019 gives 25), or 1 when that byte is 0.\n";

// A host path as a Windows path on a drive table whose C: is "/".
std::string hostToWin(std::string path, bool directory)
{
    if (!path.empty() && path[0] == '/')
        path = "C:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    if (directory && (path.empty() || path.back() != '\\'))
        path.push_back('\\');
    return path;
}

int exitCode(int result)
{
    if (result == 0)
        return 0;
    return (result & 0xFF) ? (result & 0xFF) : 1;
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    bool host = false, check = false, full = false;
    while (!args.empty() && args[0].rfind("--", 0) == 0) {
        if (args[0] == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (args[0] == "--host")
            host = true;
        else if (args[0] == "--check")
            check = true;
        else if (args[0] == "--full")
            full = true;
        else {
            std::fprintf(stderr, "sorvik-lha: unknown option %s\n%s", args[0].c_str(), kHelp);
            return 2;
        }
        args.erase(args.begin());
    }
    if (args.empty()) {
        std::fputs(kHelp, stderr);
        return 2;
    }

    platform::FileSystem hostFs;
    if (host) {
        platform::DriveTable table;
        table.add(u'C', "/", platform::kDriveFixed);
        hostFs.setDrives(table);
        lha::setFileSystem(&hostFs);
    }
    auto toCp932 = [](const std::string& utf8) { return platform::encodeCp932(fromUtf8(utf8)); };

    if (check) {
        const auto path = toCp932(host ? hostToWin(args[0], false) : args[0]);
        if (!path) {
            std::fputs("sorvik-lha: the path cannot be written in code page 932\n", stderr);
            return 2;
        }
        const bool ok = UnlhaCheckArchive(path->c_str(), full ? 2 : 0) != 0;
        std::puts(ok ? "archive" : "not an archive");
        return ok ? 0 : 1;
    }

    std::string line;
    if (args.size() == 1 && args[0].find('"') != std::string::npos && !host) {
        line = args[0];
    } else {
        line = args[0];
        std::size_t i = 1;
        if (i < args.size() && args[i] == "-x1")
            line += " " + args[i++];
        for (std::size_t k = 0; i < args.size(); ++i, ++k) {
            // Values: the archive, the (base or destination) directory, the file.
            const std::string v = host ? hostToWin(args[i], k == 1) : args[i];
            line += " \"" + v + "\"";
        }
    }
    const auto cmd = toCp932(line);
    if (!cmd) {
        std::fputs("sorvik-lha: the command line cannot be written in code page 932\n", stderr);
        return 2;
    }
    std::vector<char> buffer(1 << 16);
    const int result = Unlha(nullptr, cmd->c_str(), buffer.data(), static_cast<unsigned long>(buffer.size()));
    std::fputs(toUtf8(platform::decodeCp932(buffer.data())).c_str(), stdout);
    return exitCode(result);
}
