#include "ops/OperationChooser.h"

#include "platform/Paths.h"

namespace sorvik {

OperationChooser::OperationChooser(const platform::FileSystem& fs) : m_fs(fs), m_drives(fs), m_tree(fs)
{
}

void OperationChooser::SetForm(u16view directory)
{
    m_chooserPath = directory;
    if (!directory.empty())
        m_drives.setDrive(directory[0]);
    setDirectory(directory);
    // Label2 shows the source exactly as Label1 does until the lists move.
    m_chooserPath = directory;
}

bool OperationChooser::setDirectory(u16view path)
{
    if (!m_tree.setPath(path))
        return false;
    m_files.setPath(m_tree.path());
    m_files.refresh(m_fs);
    m_drives.rememberDirectory(m_tree.path());
    m_chooserPath = m_files.path();
    return true;
}

bool OperationChooser::changeDrive(char16_t letter)
{
    if (!m_drives.setDrive(letter))
        return false;
    return setDirectory(m_drives.currentDirectoryOf(letter));
}

bool OperationChooser::openSelected()
{
    if (m_tree.selected() < 0)
        return false;
    return setDirectory(m_tree.selectedPath());
}

std::vector<u16> OperationChooser::fileNames() const
{
    const std::vector<ListedFile>& files = m_files.files();
    std::vector<u16> names;
    names.reserve(files.size());
    for (int i : BuildSortOrder(u'n', files))
        names.push_back(files[std::size_t(i)].name);
    return names;
}

std::pair<u16, u16> OperationChooser::GetOperationDirs(u16view label1) const
{
    return {AddBackslash(label1), AddBackslash(m_files.path())};
}

}
