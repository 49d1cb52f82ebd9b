// Measures the archiver on the 20 MiB LHA corpus, against other tools in the
// same run (medians of `runs`):
//  1. compressed size of mixed.dat in % of the original (goal: under 29.5%),
//     and jlha's -lh5- size when jlha is installed;
//  2. compression time of `sorvik-lha u` against `gzip -6` on the same file;
//  3. extraction time of `sorvik-lha x` against `bsdtar -x` of our archive;
//  4. peak memory (ru_maxrss of the child) of compressing and extracting the
//     corpus and an input twice its size: it must not grow with the input.
// Usage: lha_bench [runs] [corpus-dir]   (defaults 5 and a fresh corpus made
// by shared/bench/make_lha_corpus.sh into a temporary directory).
#include "bench/BenchSupport.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace sorvik;
namespace fs = std::filesystem;

namespace {

struct ChildRun {
    double ms = 0;
    double cpuMs = 0;   // user + system, all threads
    long maxRssKb = 0;
    int status = -1;
};

// Runs a program (no shell), optionally with stdout sent to a file.
ChildRun runChild(const std::vector<std::string>& argv, const std::string& stdoutFile = "/dev/null")
{
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ChildRun r;
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    struct rusage usage {};
    if (wait4(pid, &r.status, 0, &usage) != pid)
        throw std::runtime_error("wait failed");
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    r.maxRssKb = usage.ru_maxrss;
    r.cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    posix_spawn_file_actions_destroy(&actions);
    return r;
}

bool onPath(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct Medians {
    double ms;
    long maxRssKb;
    double cpuMs;
};

// Median time and memory of `runs` runs, `before` clearing the way each time.
Medians medianOf(int runs, const std::function<void()>& before, const std::vector<std::string>& argv,
    const std::string& out = "/dev/null")
{
    std::vector<double> times, cpu;
    std::vector<long> rss;
    for (int i = 0; i < runs; ++i) {
        before();
        const ChildRun r = runChild(argv, out);
        if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0)
            throw std::runtime_error("failed: " + argv[0] + " " + (argv.size() > 1 ? argv[1] : ""));
        times.push_back(r.ms);
        rss.push_back(r.maxRssKb);
        cpu.push_back(r.cpuMs);
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(times.begin(), times.end());
    std::sort(rss.begin(), rss.end());
    return {times[times.size() / 2], rss[rss.size() / 2], cpu[cpu.size() / 2]};
}

std::string selfDir()
{
    return fs::read_symlink("/proc/self/exe").parent_path().string();
}

bool sameBytes(const std::string& a, const std::string& b)
{
    return std::system(("cmp -s '" + a + "' '" + b + "'").c_str()) == 0;
}

}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::string work = bench::makeTempDir("sorvik-lha-bench");
    std::string corpus = argc > 2 ? argv[2] : work + "/corpus";
    if (argc <= 2) {
        const std::string script = std::string(SORVIK_SOURCE_DIR) + "/../shared/bench/make_lha_corpus.sh";
        if (std::system(("bash '" + script + "' '" + corpus + "' >/dev/null").c_str()) != 0) {
            std::fprintf(stderr, "cannot build the corpus with %s\n", script.c_str());
            return 1;
        }
    }
    const std::string tool = selfDir() + "/sorvik-lha";
    const std::string input = corpus + "/mixed.dat";
    const double original = static_cast<double>(fs::file_size(input));
    const std::string archive = work + "/ours.lzh";
    const std::string out = work + "/out";

    auto removeArchive = [&] { fs::remove(archive); };
    const Medians pack = medianOf(runs, removeArchive, {tool, "--host", "u", archive, corpus + "/", "mixed.dat"});
    const double ours = static_cast<double>(fs::file_size(archive));
    const Medians gzip = medianOf(
        runs, [] {}, {"gzip", "-6", "-c", input}, work + "/mixed.gz");
    const double gzipSize = static_cast<double>(fs::file_size(work + "/mixed.gz"));

    auto clearOut = [&] {
        fs::remove_all(out);
        fs::create_directories(out);
    };
    const Medians unpack = medianOf(runs, clearOut, {tool, "--host", "x", archive, out + "/"});
    if (!sameBytes(out + "/mixed.dat", input))
        throw std::runtime_error("our extraction differs from the input");
    std::optional<Medians> bsdtar;
    if (onPath("bsdtar")) {
        bsdtar = medianOf(runs, clearOut, {"bsdtar", "-xf", archive, "-C", out});
        if (!sameBytes(out + "/mixed.dat", input))
            throw std::runtime_error("bsdtar's extraction differs from the input");
    }
    std::optional<double> jlhaSize;
    std::optional<Medians> jlha;
    if (onPath("jlha")) {
        const std::string jarchive = work + "/jlha.lzh";
        fs::current_path(corpus);
        jlha = medianOf(1, [&] { fs::remove(jarchive); }, {"jlha", "a2o5q", jarchive, "mixed.dat"});
        jlhaSize = static_cast<double>(fs::file_size(jarchive));
    }

    // Twice the input: memory must stay where it was.
    const std::string doubled = work + "/double";
    fs::create_directories(doubled);
    std::system(("cat '" + input + "' '" + input + "' > '" + doubled + "/mixed.dat'").c_str());
    const std::string archive2 = work + "/double.lzh";
    const Medians pack2
        = medianOf(1, [&] { fs::remove(archive2); }, {tool, "--host", "u", archive2, doubled + "/", "mixed.dat"});
    const Medians unpack2 = medianOf(1, clearOut, {tool, "--host", "x", archive2, out + "/"});

    std::printf("corpus: %s (%.0f bytes), %d runs, medians\n\n", input.c_str(), original, runs);
    std::printf("| what | result | against | goal |\n|---|---|---|---|\n");
    std::printf("| compressed size | %.0f bytes, %.2f%% | gzip -6 %.2f%%", ours, 100 * ours / original,
        100 * gzipSize / original);
    if (jlhaSize)
        std::printf(", jlha -lh5- %.0f bytes, %.2f%%", *jlhaSize, 100 * *jlhaSize / original);
    std::printf(" | under 29.5%%: %s |\n", 100 * ours / original < 29.5 ? "met" : "missed");
    std::printf("| compression (`sorvik-lha u`) | %.0f ms | gzip -6 %.0f ms (%.2fx) | no slower: %s |\n", pack.ms,
        gzip.ms, pack.ms / gzip.ms, pack.ms <= gzip.ms ? "met" : "missed");
    std::printf("| compression CPU time, both threads | %.0f ms | gzip -6 %.0f ms (%.2fx) | |\n", pack.cpuMs,
        gzip.cpuMs, pack.cpuMs / gzip.cpuMs);
    if (bsdtar)
        std::printf("| extraction (`sorvik-lha x`) | %.0f ms | bsdtar -x %.0f ms (%.2fx) | no slower: %s |\n",
            unpack.ms, bsdtar->ms, unpack.ms / bsdtar->ms, unpack.ms <= bsdtar->ms ? "met" : "missed");
    if (jlha)
        std::printf("| jlha a2o5 (one run, for scale) | %.0f ms | | |\n", jlha->ms);
    std::printf("| peak memory, compress 20 / 40 MiB | %ld / %ld KiB | | bounded: %s |\n", pack.maxRssKb,
        pack2.maxRssKb, pack2.maxRssKb < pack.maxRssKb * 3 / 2 ? "met" : "missed");
    std::printf("| peak memory, extract 20 / 40 MiB | %ld / %ld KiB | bsdtar %ld KiB | bounded: %s |\n",
        unpack.maxRssKb, unpack2.maxRssKb, bsdtar ? bsdtar->maxRssKb : 0L,
        unpack2.maxRssKb < unpack.maxRssKb * 3 / 2 ? "met" : "missed");
    fs::remove_all(work);
    return 0;
}
