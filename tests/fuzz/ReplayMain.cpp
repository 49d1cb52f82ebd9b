// Runs a fuzz target's entry point once on every kept input, without
// libFuzzer, so the ordinary test suite re-checks each input the fuzzing
// found or was seeded with. A crash or a broken property aborts the run; the
// input it happened on is named on stderr.
//
//   replay_<target> <file or directory>...

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// The input being run, for the signal handler, which may only write().
char g_current[4096];
std::size_t g_currentSize = 0;

void writeStderr(const char* text, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(STDERR_FILENO, text, size);
        if (n <= 0)
            return;
        text += n;
        size -= static_cast<std::size_t>(n);
    }
}

extern "C" void onFatalSignal(int sig)
{
    static const char kPrefix[] = "replay: crashed on ";
    writeStderr(kPrefix, sizeof kPrefix - 1);
    writeStderr(g_current, g_currentSize);
    writeStderr("\n", 1);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void setCurrent(const std::string& path)
{
    g_currentSize = std::min(path.size(), sizeof g_current);
    std::memcpy(g_current, path.data(), g_currentSize);
}

bool readFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <file or directory>...\n", argv[0]);
        return 2;
    }
    for (int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(sig, onFatalSignal);

    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
            if (ec) {
                std::fprintf(stderr, "replay: cannot list %s: %s\n", argv[i], ec.message().c_str());
                return 1;
            }
        } else {
            inputs.push_back(arg);
        }
    }
    // A missing or emptied corpus must not pass as a clean run.
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());

    for (const auto& path : inputs) {
        std::vector<std::uint8_t> bytes;
        if (!readFile(path, bytes)) {
            std::fprintf(stderr, "replay: cannot read %s\n", path.string().c_str());
            return 1;
        }
        setCurrent(path.string());
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", path.string().c_str(), bytes.size());
        // A buffer of exactly the input's size, as libFuzzer passes it, so
        // a sanitizer build sees any read past the end.
        std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), data.get());
        LLVMFuzzerTestOneInput(data.get(), bytes.size());
    }
    std::printf("replay: %zu inputs, no failure\n", inputs.size());
    return 0;
}
