// Times the copy command against the system's cp in the same run:
//  1. one 1 GiB file: FileSystem::copyFile vs `cp`;
//  2. 10,000 small files, all marked, through the copy loop vs `cp -p`;
//  3. 32,766 marked files through the copy loop vs the same copies without a
//     table, and the number of table refreshes the loop caused.
// Usage: copy_bench [runs] [gib] [stages]   (defaults 5, 1 and "123"); the
// files go to $TMPDIR (say /dev/shm to take the disk out of the figures).
#include "app/Form1Model.h"
#include "bench/BenchSupport.h"
#include "ops/CopyMove.h"
#include "platform/Ui.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using namespace sorvik;
namespace fs = std::filesystem;

namespace {

void writeFile(const std::string& path, std::size_t size, char fill)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    std::string chunk(std::min<std::size_t>(size, 1 << 20), fill);
    for (std::size_t done = 0; done < size;) {
        const std::size_t n = std::min(chunk.size(), size - done);
        if (::write(fd, chunk.data(), n) != ssize_t(n))
            throw std::runtime_error("write failed");
        done += n;
    }
    ::close(fd);
}

void run(const std::string& command)
{
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

void emptyDir(const std::string& dir)
{
    fs::remove_all(dir);
    fs::create_directories(dir);
}

// Marks every file row and copies through the loop the dialog runs; only
// the loop is timed, not the emptying of the destination or the marking.
double copyAllMarked(Form1Model& model, const u16& destination, int runs, const std::string& hostDest, int& refreshes)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        emptyDir(hostDest);
        model.RefreshFileTable(u'n');
        for (int r = 1; r <= model.Grid1.fileCount(); ++r)
            model.Grid1.toggleMark(r);
        refreshes = 0;
        model.onFileCountChanged = [&] { ++refreshes; };
        times.push_back(bench::medianMs(1, [&] {
            CopyMoveRun loop(model, Operation::Copy);
            loop.CopyMarkedOrCurrent(model.currentDir(), destination, OverwriteRule::ReplaceAlways);
        }));
        model.onFileCountChanged = nullptr;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The same copies without the table, in the table's order, each timed alone.
double bareCopies(platform::FileSystem& files, Form1Model& model, const u16& source, const u16& destination, int runs,
    const std::string& hostDest)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        emptyDir(hostDest);
        times.push_back(bench::medianMs(1, [&] {
            for (int r = 1; r <= model.Grid1.fileCount(); ++r) {
                const u16 name = model.Grid1.fileName(r);
                files.copyFile(source + name, destination + name, platform::Replace::Never);
            }
        }));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const double gib = argc > 2 ? std::atof(argv[2]) : 1.0;
    const std::string stages = argc > 3 ? argv[3] : "123";
    const std::string root = bench::makeTempDir("sorvik-copy");
    for (const char* d : {"/prog", "/big", "/small", "/many", "/out"})
        fs::create_directories(root + d);
    platform::DriveTable drives;
    drives.add(u'C', root);
    platform::FileSystem files(drives);
    platform::ScriptedUi ui;
    platform::setUi(&ui);

    // 1. One large file.
    if (stages.find('1') != std::string::npos) {
        const std::size_t bigSize = std::size_t(gib * double(1 << 30));
        writeFile(root + "/big/large.bin", bigSize, 'L');
        const double cpBig = bench::medianMs(runs, [&] {
            fs::remove(root + "/out/large.bin");
            run("cp " + root + "/big/large.bin " + root + "/out/large.bin");
        });
        const double oursBig = bench::medianMs(runs, [&] {
            fs::remove(root + "/out/large.bin");
            if (!files.copyFile(u"C:\\big\\large.bin", u"C:\\out\\large.bin", platform::Replace::Never))
                throw std::runtime_error("copy failed");
        });
        std::printf("1 file of %.2f GiB: cp %.1f ms, copyFile %.1f ms, %.2fx\n", gib, cpBig, oursBig, oursBig / cpBig);
        fs::remove(root + "/big/large.bin");
        fs::remove(root + "/out/large.bin");
    }

    Form1Model model(
        files, platform::ProgramInfo{u"C:\\prog\\", u"sorvik", u"sorvik", 1, platform::Placement::Portable, {}, {}});
    int refreshes = 0;
    // 2. 10,000 small files, all marked.
    if (stages.find('2') != std::string::npos) {
        for (int i = 0; i < 10000; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/small/f%05d.dat", i);
            writeFile(root + name, 512 + (i * 37) % 4096, 's');
        }
        const double cpSmall = bench::medianMs(runs, [&] {
            emptyDir(root + "/out");
            run("cp -p " + root + "/small/* " + root + "/out/");
        });
        model.Load(u"C:\\small");
        const double oursSmall = copyAllMarked(model, u"C:\\out\\", runs, root + "/out", refreshes);
        std::printf(
            "10,000 small files: cp -p %.1f ms, copy loop %.1f ms, %.2fx\n", cpSmall, oursSmall, oursSmall / cpSmall);
    }

    // 3. 32,766 files: the loop against the bare copies, and refreshes per run.
    if (stages.find('3') != std::string::npos) {
        for (int i = 0; i < FileTable::kMaxFiles; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/many/m%05d.txt", i);
            writeFile(root + name, i % 64, 'm');
        }
        if (stages.find('2') == std::string::npos)
            model.Load(u"C:\\many");
        else
            model.setTreePath(u"C:\\many");
        const double bare = bareCopies(files, model, u"C:\\many\\", u"C:\\out\\", runs, root + "/out");
        const double loop = copyAllMarked(model, u"C:\\out\\", runs, root + "/out", refreshes);
        std::printf(
            "32,766 marked files: bare copies %.1f ms, copy loop %.1f ms, %.2fx, %d refreshes during the loop\n", bare,
            loop, loop / bare, refreshes);
    }

    fs::remove_all(root);
    return 0;
}
