#pragma once

#include <string>
#include <vector>

namespace sorvik::fuzz {

// A temporary directory for the whole fuzzing process, under $TMPDIR or /tmp,
// removed again at exit. Per-input work happens in subdirectories that the
// target empties between inputs, since a directory per input would cost more
// than the input itself.
class TempRoot {
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const std::string& path() const { return m_path; }
    std::string sub(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Names in a host directory, "." and ".." left out, sorted.
std::vector<std::string> namesIn(const std::string& dir);
// Removes a directory tree, giving the owner the rights a read-only
// directory would otherwise deny the removal.
void removeTree(const std::string& dir);
void writeHostFile(const std::string& path, const void* data, std::size_t size);

}
