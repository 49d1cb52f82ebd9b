#include "jump/JumpFolders.h"

#include "platform/KeyCodes.h"
#include "platform/Ui.h"

namespace sorvik {

namespace {

bool beginsWithDrive(u16view path)
{
    if (path.size() < 3 || path[1] != u':' || path[2] != u'\\')
        return false;
    const char16_t d = path[0];
    return (d >= u'A' && d <= u'Z') || (d >= u'a' && d <= u'z');
}

}

u16 defaultAlias(u16view currentDir)
{
    u16view dir = currentDir;
    if (!dir.empty() && dir.back() == u'\\')
        dir.remove_suffix(1);
    const std::size_t cut = dir.rfind(u'\\');
    return u16(cut == u16view::npos ? dir : dir.substr(cut + 1));
}

std::optional<u16> aliasRefusal(u16view alias)
{
    if (alias.find(u',') != u16view::npos)
        return u16(u"名前に[,]が有ります");
    return std::nullopt;
}

Registration registerJump(JumpList& list, u16view alias, u16view folder)
{
    if (list.remove(alias))
        return Registration::Removed;
    list.append(u16(alias), u16(folder));
    return Registration::Added;
}

std::optional<u16> renameJump(JumpList& list, u16view oldAlias, u16view newAlias)
{
    if (auto refusal = aliasRefusal(newAlias))
        return refusal;
    const clsJump* other = list.find(newAlias);
    if (other && other != list.find(oldAlias))
        return u16(newAlias) + u" は登録済みです";
    list.rename(oldAlias, u16(newAlias));
    return std::nullopt;
}

int GetLisIX(const std::vector<u16>& lines, int selected, int keyCode)
{
    char16_t wanted = 0;
    if (keyCode >= keys::kDigit0 && keyCode <= keys::kDigit9)
        wanted = char16_t(u'0' + (keyCode - keys::kDigit0));
    else if (keyCode >= keys::letter('A') && keyCode <= keys::letter('Z'))
        wanted = char16_t(u'A' + (keyCode - keys::letter('A')));
    const int n = int(lines.size());
    if (!wanted || n == 0)
        return selected;
    const int start = selected < 0 || selected >= n ? -1 : selected;
    for (int step = 1; step <= n; ++step) {
        const int i = (start + step) % n;
        if (!lines[i].empty() && lines[i][0] == wanted)
            return i;
    }
    return selected;
}

bool GoToFolder(u16view path, u16view programDir, const std::function<bool(u16view)>& showFolder)
{
    if (beginsWithDrive(path) && showFolder(path))
        return true;
    platform::ui().showMessage(u"パスが見つかりません");
    showFolder(programDir);
    return false;
}

}
