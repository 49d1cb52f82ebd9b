#include "assoc/ProgramBrowser.h"

#include "platform/Launch.h"
#include "platform/Paths.h"
#include "platform/Ui.h"
#include "table/FilePattern.h"

#include <algorithm>

namespace sorvik {

ProgramBrowser::ProgramBrowser(const platform::FileSystem& fs, u16view ProgramDir)
    : m_fs(fs), m_programDir(ProgramDir), m_drives(fs), m_tree(fs)
{
}

void ProgramBrowser::startInCurrentDirectory()
{
    const std::optional<u16> current = m_fs.currentDirectory();
    if (!current || !show(*current))
        show(m_programDir);
}

bool ProgramBrowser::SetBrowsePath(u16view directory)
{
    if (show(directory))
        return true;
    platform::ui().showMessage(u"パスが見つかりません");
    show(m_programDir);
    return false;
}

bool ProgramBrowser::show(u16view directory)
{
    if (directory.size() < 3 || !m_drives.setDrive(directory[0]))
        return false;
    if (!m_tree.setPath(directory))
        return false;
    m_drives.rememberDirectory(m_tree.path());
    refreshFiles();
    return true;
}

bool ProgramBrowser::changeDrive(char16_t letter)
{
    const char16_t before = m_drives.currentDrive();
    if (!m_drives.setDrive(letter))
        return false;
    if (!m_tree.setPath(m_drives.currentDirectoryOf(letter))) {
        m_drives.setDrive(before);
        return false;
    }
    m_drives.rememberDirectory(m_tree.path());
    refreshFiles();
    return true;
}

bool ProgramBrowser::openSelected()
{
    if (m_tree.selected() < 0 || !m_tree.setPath(m_tree.selectedPath()))
        return false;
    m_drives.rememberDirectory(m_tree.path());
    refreshFiles();
    return true;
}

void ProgramBrowser::refreshFiles()
{
    static const FilePattern programs(kProgramPattern);
    m_listing.setPath(m_tree.path());
    m_listing.refresh(m_fs);
    m_files.clear();
    const u16 dir = AddBackslash(m_listing.path());
    for (const ListedFile& f : m_listing.files())
        if (programs.matches(f.name) || platform::isProgramFile(m_fs, dir + f.name))
            m_files.push_back(f.name);
    // A file list shows its names in order, letter case aside.
    std::sort(
        m_files.begin(), m_files.end(), [](const u16& a, const u16& b) { return platform::compareNoCase(a, b) < 0; });
}

}
