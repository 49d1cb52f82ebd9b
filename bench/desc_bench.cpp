// Loading and saving a central description file of 100,000 records, against
// two plain buffered reads and writes of the same bytes: the whole file at
// once (fread / fwrite) and line by line through a stream (std::getline /
// operator<<). Saving is atomic and syncs, so the writes are also timed with
// an fsync. Plus the lookups of one 32,766-file table fill.
//
//   desc_bench [records] [runs]

#include "desc/DescriptionFile.h"
#include "desc/Descriptions.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace sorvik;

namespace {

using Clock = std::chrono::steady_clock;

double medianMs(int runs, const std::function<void()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string plainRead(const std::string& path)
{
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        bytes.resize(static_cast<std::size_t>(std::ftell(f)));
        std::fseek(f, 0, SEEK_SET);
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
            bytes.clear();
        std::fclose(f);
    }
    return bytes;
}

void plainWrite(const std::string& path, const std::string& bytes, bool sync)
{
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fflush(f);
        if (sync)
            fsync(fileno(f));
        std::fclose(f);
    }
}

std::size_t streamRead(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::size_t size = 0;
    while (std::getline(in, line))
        size += line.size() + 1;
    return size;
}

// Lines with their CR, as getline leaves them.
void streamWrite(const std::string& path, const std::vector<std::string>& lines, bool sync)
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            out << line << '\n';
    }
    if (sync) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
            fsync(fd);
            ::close(fd);
        }
    }
}

// Paths and texts like a real central file: Japanese folders and words,
// ASCII names, a few thousand directories.
u16 recordPath(int i)
{
    static const char16_t* const dirs[]
        = {u"C:\\Users\\yamada\\Documents\\", u"D:\\資料\\2023年度\\", u"C:\\work\\src\\", u"D:\\写真\\旅行\\"};
    return u16(dirs[i % 4]) + fromUtf8("sub" + std::to_string(i % 2000) + "\\file" + std::to_string(i) + ".txt");
}

u16 recordComent(int i)
{
    return u"説明 " + fromUtf8(std::to_string(i)) + (i % 3 == 0 ? u16(u"の会議メモ") : u16(u" meeting notes"));
}

}

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    const int tableRows = 32766;

    char templ[] = "/tmp/desc-bench-XXXXXX";
    if (!mkdtemp(templ))
        return 1;
    const std::string root = templ;
    std::filesystem::create_directories(root + "/prog/SYSDAT");
    platform::DriveTable drives;
    drives.add(u'C', root);
    platform::FileSystem fs(drives);
    const u16 programDir = u"C:\\prog\\";
    const u16 dataDir = u"C:\\prog\\SYSDAT\\";
    const std::string centralHost = root + "/prog/SYSDAT/SorvikDP.txt";
    const std::string plainHost = root + "/prog/SYSDAT/plain.txt";

    {
        DescriptionStore store;
        for (int i = 0; i < records; ++i)
            store.append(clsComent(recordPath(i), recordComent(i)));
        plainWrite(centralHost, DescriptionFile::write(store), false);
    }
    const std::string bytes = plainRead(centralHost);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }

    Descriptions desc(fs, programDir, dataDir, u"sorvik");
    std::size_t sink = 0;

    const double readMs = medianMs(runs, [&] { sink += plainRead(centralHost).size(); });
    const double streamReadMs = medianMs(runs, [&] { sink += streamRead(centralHost); });
    const double decodeMs = medianMs(runs, [&] { sink += platform::decodeCp932(bytes).size(); });
    const double readFileMs = medianMs(runs, [&] { sink += fs.readFile(dataDir + u"SorvikDP.txt")->size(); });
    const double loadMs = medianMs(runs, [&] {
        desc.ComentLocal = true;
        desc.LocalComentGet(u"C:\\elsewhere\\");
        sink += desc.store().count();
    });
    // The same into a store that never held records: nothing to reuse.
    std::optional<Descriptions> fresh;
    std::vector<double> freshTimes;
    for (int i = 0; i < runs; ++i) {
        fresh.reset();
        const auto start = Clock::now();
        fresh.emplace(fs, programDir, dataDir, u"sorvik");
        fresh->ComentLocal = true;
        fresh->LocalComentGet(u"C:\\elsewhere\\");
        freshTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        sink += fresh->store().count();
    }
    fresh.reset();
    std::sort(freshTimes.begin(), freshTimes.end());
    const double freshLoadMs = freshTimes[freshTimes.size() / 2];
    if (desc.store().count() != static_cast<std::size_t>(records)) {
        std::fprintf(stderr, "loaded %zu records, expected %d\n", desc.store().count(), records);
        return 1;
    }

    desc.ComentSet(recordPath(0), u"changed");   // so that saving takes place
    const double writeMs = medianMs(runs, [&] { plainWrite(plainHost, bytes, false); });
    const double writeSyncMs = medianMs(runs, [&] { plainWrite(plainHost, bytes, true); });
    const double streamWriteMs = medianMs(runs, [&] { streamWrite(plainHost, lines, false); });
    const double streamWriteSyncMs = medianMs(runs, [&] { streamWrite(plainHost, lines, true); });
    const double atomicMs = medianMs(runs, [&] { fs.writeFileAtomic(u"C:\\prog\\SYSDAT\\plain.txt", bytes); });
    const double saveMs = medianMs(runs, [&] { desc.LocalComentSave(u"C:\\elsewhere\\"); });
    const double formatMs = medianMs(runs, [&] {
        DescriptionStore const& store = desc.store();
        sink += DescriptionFile::write(store).size();
    });
    const u16 text = platform::decodeCp932(bytes);
    const double encodeMs = medianMs(runs, [&] { sink += platform::encodeCp932(text).value_or("").size(); });

    // One table fill: directory + listed name per row; half the rows are
    // described, half are not.
    std::vector<std::pair<u16, u16>> rows;
    for (int i = 0; i < tableRows; ++i) {
        const u16 path = recordPath(i * 3 % records);
        rows.emplace_back(
            directoryOf(path), i % 2 ? fromUtf8("undescribed" + std::to_string(i) + ".txt") : fileNameOf(path));
    }
    std::size_t found = 0;
    const double lookupMs = medianMs(runs, [&] {
        found = 0;
        for (const auto& [dir, name] : rows) {
            if (const u16* coment = desc.lookup(dir + name)) {
                sink += coment->size();
                ++found;
            }
        }
    });
    if (found != static_cast<std::size_t>((tableRows + 1) / 2)) {
        std::fprintf(stderr, "found %zu descriptions\n", found);
        return 1;
    }
    const double comentSetMs = medianMs(runs, [&] {
        for (int i = 0; i < 1000; ++i)
            desc.ComentSet(recordPath(i * 97 % records), u"moved to the end");
    });

    std::printf("records %d, file %zu bytes, median of %d runs\n", records, bytes.size(), runs);
    std::printf("plain fread of the file         %8.2f ms\n", readMs);
    std::printf("getline through the file        %8.2f ms\n", streamReadMs);
    std::printf("LocalComentGet                  %8.2f ms  (%.2fx fread, %.2fx getline)\n", loadMs, loadMs / readMs,
        loadMs / streamReadMs);
    std::printf("  into a new store              %8.2f ms  (%.2fx fread, %.2fx getline)\n", freshLoadMs,
        freshLoadMs / readMs, freshLoadMs / streamReadMs);
    std::printf("  decodeCp932 of the file       %8.2f ms\n", decodeMs);
    std::printf("  FileSystem::readFile          %8.2f ms\n", readFileMs);
    std::printf("plain fwrite of the file        %8.2f ms\n", writeMs);
    std::printf("plain fwrite + fsync            %8.2f ms\n", writeSyncMs);
    std::printf("ofstream << line by line        %8.2f ms\n", streamWriteMs);
    std::printf("ofstream << line + fsync        %8.2f ms\n", streamWriteSyncMs);
    std::printf("LocalComentSave (atomic, fsync) %8.2f ms  (%.2fx fwrite, %.2fx fwrite+fsync)\n", saveMs,
        saveMs / writeMs, saveMs / writeSyncMs);
    std::printf("                                             (%.2fx ofstream, %.2fx ofstream+fsync)\n",
        saveMs / streamWriteMs, saveMs / streamWriteSyncMs);
    std::printf("  of which formatting + cp932   %8.2f ms\n", formatMs);
    std::printf("  writeFileAtomic of the bytes  %8.2f ms  (temporary file, fsync, rename, fsync of the directory)\n",
        atomicMs);
    std::printf("  encodeCp932 of the file text  %8.2f ms\n", encodeMs);
    std::printf("%d lookups (table fill)      %8.2f ms\n", tableRows, lookupMs);
    std::printf("1000 ComentSet on the store     %8.2f ms\n", comentSetMs);
    std::fprintf(stderr, "%zu\n", sink);

    std::filesystem::remove_all(root);
    return 0;
}
