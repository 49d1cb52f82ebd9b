#include "assoc/AssociationEditor.h"

#include "assoc/Launching.h"
#include "platform/DataFileNames.h"
#include "platform/Paths.h"
#include "platform/Ui.h"

namespace sorvik {

AssociationEditor::AssociationEditor(platform::FileSystem& fs, u16view DataDir)
    : m_fs(fs), m_dataDir(AddBackslash(DataDir))
{
}

void AssociationEditor::open(u16view AssocPattern)
{
    m_selected = -1;
    m_changed = false;
    m_table.AssocTableLoad(m_fs, m_dataDir);
    m_lines.clear();
    for (const AssociationEntry& e : m_table.entries())
        m_lines.push_back(e.Pattern + u"," + e.ProgramPath);
    m_initialText1 = platform::toUpper(AssocPattern);
    m_extension = platform::toUpper(GetExtension(AssocPattern));
}

std::optional<u16> AssociationEditor::browseDirectory() const
{
    for (const u16& line : m_lines)
        if (platform::toUpper(GetExtension(patternOf(line))) == m_extension)
            if (std::optional<u16> dir = programDirOf(line))
                return dir;
    if (!m_lines.empty())
        return programDirOf(m_lines.front());
    return std::nullopt;
}

void AssociationEditor::select(int index)
{
    m_selected = (index >= 0 && index < int(m_lines.size())) ? index : -1;
}

std::optional<int> AssociationEditor::addOrReplace(u16view text1, u16view fileDir, const u16* selectedFile)
{
    if (isProgramExtension(platform::toUpper(GetExtension(text1)))) {
        platform::ui().showMessage(kNotAssociableExtensionMessage);
        return std::nullopt;
    }
    if (!selectedFile) {
        platform::ui().showMessage(kNoProgramChosenMessage);
        return std::nullopt;
    }
    if (text1.empty()) {
        platform::ui().showMessage(kBadPatternMessage);
        return std::nullopt;
    }
    const u16 line = u16(text1) + u"," + AddBackslash(fileDir) + *selectedFile;
    // Refused now, while the user still sees what was typed, rather than
    // written garbled or failing at the close.
    if (!platform::representableInCp932(line)) {
        platform::ui().showMessage(line + u"\r\n" + kUnencodableLineMessage);
        return std::nullopt;
    }
    m_changed = true;
    const u16 upperPattern = platform::toUpper(text1);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (platform::toUpper(patternOf(m_lines[i])) == upperPattern) {
            m_lines[i] = line;
            return int(i);
        }
    }
    m_lines.insert(m_lines.begin(), line);
    // The selection stays on its line, as in a list box.
    if (m_selected >= 0)
        ++m_selected;
    return 0;
}

bool AssociationEditor::deleteSelected()
{
    if (m_selected < 0) {
        platform::ui().showMessage(kNoLineChosenMessage);
        return false;
    }
    if (!platform::ui().askYesNo(m_lines[m_selected] + kDeleteQuestionSuffix, true))
        return false;
    m_lines.erase(m_lines.begin() + m_selected);
    m_selected = -1;
    m_changed = true;
    return true;
}

bool AssociationEditor::saveOnClose()
{
    if (m_lines.empty() || !m_changed)
        return true;
    const u16 path = m_dataDir + kAssociationFile;
    std::string bytes;
    for (const u16& line : m_lines) {
        if (!platform::appendCp932(line + u"\r\n", bytes)) {
            platform::ui().showMessage(line + u"\r\n" + kUnencodableLineMessage);
            return false;
        }
    }
    // Through a temporary file, so a failure leaves the old file whole.
    const platform::Status written = m_fs.writeFileAtomic(path, bytes);
    if (!written) {
        platform::ui().showMessage(path + u"に書き込めません\r\n" + platform::reasonText(written.error()));
        return false;
    }
    m_changed = false;
    return true;
}

u16 AssociationEditor::patternOf(u16view line)
{
    return u16(line.substr(0, std::min(line.find(u','), line.size())));
}

u16 AssociationEditor::programOf(u16view line)
{
    const std::size_t comma = line.find(u',');
    return comma == u16view::npos ? u16() : u16(line.substr(comma + 1));
}

std::optional<u16> AssociationEditor::programDirOf(u16view line)
{
    const u16 program = programOf(line);
    const std::size_t slash = program.rfind(u'\\');
    if (slash == u16::npos)
        return std::nullopt;
    return program.substr(0, slash + 1);
}

}
