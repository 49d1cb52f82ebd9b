#include "nav/DirTree.h"

#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>

namespace sorvik {

u16 treePathForm(u16view path)
{
    u16 p(path);
    while (p.size() > 3 && p.back() == u'\\')
        p.pop_back();
    if (p.size() == 2 && p[1] == u':')
        p += u'\\';
    return p;
}

platform::Status DirTree::setPath(u16view requested)
{
    u16 path = treePathForm(requested);
    if (path.size() < 3 || path[1] != u':' || path[2] != u'\\')
        return platform::Error{platform::ErrorKind::BadName, 0};
    auto entries = m_fs.listDirectory(path);
    if (!entries)
        return entries.error();

    std::vector<Item> items;
    // Path components from the root down.
    u16 root = path.substr(0, 3);
    items.push_back({root, 0, true});
    u16 built = root;
    std::size_t pos = 3;
    int level = 1;
    while (pos < path.size()) {
        std::size_t next = path.find(u'\\', pos);
        if (next == u16::npos)
            next = path.size();
        if (built.back() != u'\\')
            built += u'\\';
        built += path.substr(pos, next - pos);
        items.push_back({built, level++, true});
        pos = next + 1;
    }
    int current = int(items.size()) - 1;

    std::vector<u16> subdirs;
    for (auto& e : *entries)
        if (e.isDirectory)
            subdirs.push_back(std::move(e.name));
    std::sort(
        subdirs.begin(), subdirs.end(), [](const u16& a, const u16& b) { return platform::compareNoCase(a, b) < 0; });
    const u16 prefix = AddBackslash(path);
    for (const u16& name : subdirs)
        items.push_back({prefix + name, level, false});

    m_path = std::move(path);
    m_items = std::move(items);
    m_currentIndex = current;
    m_selected = current;
    return platform::Status::ok();
}

void DirTree::select(int index)
{
    if (index >= 0 && index < count())
        m_selected = index;
}

const u16& DirTree::selectedPath() const
{
    static const u16 empty;
    return (m_selected >= 0 && m_selected < count()) ? m_items[m_selected].path : empty;
}

bool DirTree::selectedIsRoot() const
{
    const u16& p = selectedPath();
    return !p.empty() && p.back() == u'\\';
}

}
