#include "nav/DriveList.h"

#include "platform/Paths.h"

namespace sorvik {

char16_t upperLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

DriveList::DriveList(const platform::FileSystem& fs) : m_fs(fs)
{
    if (!fs.drives().drives().empty())
        m_current = fs.drives().drives().front().letter;
}

std::vector<u16> DriveList::items() const
{
    std::vector<u16> out;
    for (const auto& d : m_fs.drives().drives()) {
        char16_t lower = (d.letter >= u'A' && d.letter <= u'Z') ? char16_t(d.letter - u'A' + u'a') : d.letter;
        out.push_back(u16{lower, u':'});
    }
    return out;
}

char16_t DriveList::letter(int index) const
{
    const auto& drives = m_fs.drives().drives();
    if (index < 0 || index >= int(drives.size()))
        return 0;
    return drives[index].letter;
}

int DriveList::indexOf(char16_t letter) const
{
    letter = upperLetter(letter);
    const auto& drives = m_fs.drives().drives();
    for (int i = 0; i < int(drives.size()); ++i)
        if (drives[i].letter == letter)
            return i;
    return -1;
}

bool DriveList::isReady(char16_t letter) const
{
    if (indexOf(letter) < 0)
        return false;
    return m_fs.listDirectory(u16{upperLetter(letter), u':', u'\\'}).has_value();
}

bool DriveList::setDrive(char16_t letter)
{
    if (!isReady(letter))
        return false;
    m_current = upperLetter(letter);
    return true;
}

u16 DriveList::currentDirectoryOf(char16_t letter) const
{
    letter = upperLetter(letter);
    auto it = m_lastDirectory.find(letter);
    if (it != m_lastDirectory.end() && m_fs.directoryExists(it->second))
        return it->second;
    return u16{letter, u':', u'\\'};
}

void DriveList::rememberDirectory(u16view directory)
{
    if (directory.size() >= 2 && directory[1] == u':')
        m_lastDirectory[upperLetter(directory[0])] = AddBackslash(directory);
}

}
