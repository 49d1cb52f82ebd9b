// Times RefreshFileTable for every sort kind on a directory of 32,766 files
// against a raw scan of the same directory (readdir + stat per file), and
// measures the heap the filled table holds.
#include "app/Form1Model.h"
#include "bench/BenchSupport.h"
#include "platform/Text.h"
#include "platform/Ui.h"

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvik;

namespace {

constexpr int kFiles = 32766;

std::size_t rawScan(const std::string& dir)
{
    std::size_t total = 0;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0)))
            continue;
        struct stat st;
        if (stat((dir + "/" + e->d_name).c_str(), &st) == 0)
            total += std::size_t(st.st_size);
    }
    closedir(d);
    return total;
}

}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    const std::string root = bench::makeTempDir("sorvik-refresh");
    const std::string listed = root + "/files";
    std::filesystem::create_directories(listed);
    std::filesystem::create_directories(root + "/prog");
    for (int i = 0; i < kFiles; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/File_%05d_%c.txt", (i * 7919) % kFiles, 'a' + i % 26);
        const int fd = ::open((listed + name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (i % 3)
            (void)!::write(fd, name, std::size_t(i % 60));
        ::close(fd);
    }

    platform::DriveTable drives;
    drives.add(u'C', root);
    platform::FileSystem fs(drives);
    platform::ScriptedUi ui;
    platform::setUi(&ui);
    platform::ProgramInfo program{u"C:\\prog\\", u"sorvik", u"sorvik", 1, platform::Placement::Portable, {}, {}};

    const std::size_t heapBefore = bench::heapInUse();
    Form1Model model(fs, program);
    model.Load(u"C:\\files");
    const std::size_t heapAfter = bench::heapInUse();

    std::printf("files: %d, runs per figure: %d\n", model.Grid1.fileCount(), runs);
    const double raw = bench::medianMs(runs, [&] { rawScan(listed); });
    std::printf("%-28s %9.1f ms\n", "raw scan (readdir + stat)", raw);
    for (char16_t kind : {u'n', u'N', u'd', u'D', u'v', u'V'}) {
        const double t = bench::medianMs(runs, [&] { model.RefreshFileTable(kind); });
        std::printf("RefreshFileTable \"%c\"        %9.1f ms  %5.2fx raw\n", char(kind), t, t / raw);
    }
    std::printf(
        "heap held by the model with the filled table: %.2f MiB\n", double(heapAfter - heapBefore) / (1024.0 * 1024.0));

    // The same directory with a description for every file, among 100,000
    // records of a central description file.
    {
        std::string text;
        int written = 0;
        for (const ListedFile& f : model.File1.files()) {
            text += "C:\\files\\" + toUtf8(f.name) + ",description of " + toUtf8(f.name) + "\r\n";
            ++written;
        }
        for (; written < 100000; ++written)
            text += "C:\\elsewhere\\other" + std::to_string(written) + ".txt,another directory's file\r\n";
        const int fd = ::open((root + "/prog/SYSDAT/SorvikDP.txt").c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        (void)!::write(fd, text.data(), text.size());
        ::close(fd);
    }
    const double plain = bench::medianMs(runs, [&] { model.RefreshFileTable(u'n'); });
    Form1Model described_model(fs, program);
    described_model.Load(u"C:\\files");
    if (described_model.Grid1.cell(1, 4).empty())
        std::printf("descriptions were not loaded\n");
    const double described = bench::medianMs(runs, [&] { described_model.RefreshFileTable(u'n'); });
    std::printf("RefreshFileTable \"n\" without descriptions %9.1f ms\n", plain);
    std::printf("RefreshFileTable \"n\" with 100,000 records %9.1f ms  %5.2fx\n", described, described / plain);

    std::filesystem::remove_all(root);
    platform::setUi(nullptr);
    return 0;
}
