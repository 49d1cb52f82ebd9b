#pragma once

#include "assoc/AssociationTable.h"

#include <optional>
#include <vector>

namespace sorvik {

// What the association editor `Form2` decides, without a screen: the lines
// of `List1` ("pattern,program"), its selection, `AssocChanged`, and the
// writing of the association file when the editor is closed.
class AssociationEditor {
public:
    AssociationEditor(platform::FileSystem& fs, u16view DataDir);

    // Loads the association file into the editor's own table and `List1`;
    // `Text1` starts as `AssocPattern` in upper case.
    void open(u16view AssocPattern);
    const u16& initialText1() const { return m_initialText1; }
    // The program directory the browser opens on: that of the first line
    // for the pattern's extension, else that of the first line; nothing when
    // neither holds a "\".
    std::optional<u16> browseDirectory() const;

    const std::vector<u16>& lines() const { return m_lines; }
    int selected() const { return m_selected; }
    void select(int index);
    bool AssocChanged() const { return m_changed; }

    // `Command2_Click`: the line `text1` "," directory and file replaces the
    // line with the same pattern (letter case aside) in place, or goes on top.
    // The index of that line, or nothing after a refusal message.
    std::optional<int> addOrReplace(u16view text1, u16view fileDir, const u16* selectedFile);
    // `Command3_Click`: asks, then removes the selected line.
    bool deleteSelected();
    // `cmdExit_Click` before the window closes: writes the file when
    // something changed and the list is not empty. False, after a message
    // and with the old file whole, when it could not be written.
    bool saveOnClose();

    // The parts of a line: before its first comma, and after it.
    static u16 patternOf(u16view line);
    static u16 programOf(u16view line);
    // `List1_DblClick`: a line's program directory, up to and including its last "\".
    static std::optional<u16> programDirOf(u16view line);

private:
    platform::FileSystem& m_fs;
    u16 m_dataDir;
    AssociationTable m_table;
    std::vector<u16> m_lines;
    int m_selected = -1;
    bool m_changed = false;
    u16 m_initialText1;
    u16 m_extension;   // of AssocPattern, upper-cased
};

// Messages of the editor.
inline constexpr char16_t kNoProgramChosenMessage[] = u"ﾌｧｲﾙ名を選択して下さい";
inline constexpr char16_t kBadPatternMessage[] = u"拡張子の指定が不正です";
inline constexpr char16_t kNoLineChosenMessage[] = u"削除する拡張子を選択して下さい";
inline constexpr char16_t kDeleteQuestionSuffix[] = u"削除します";
inline constexpr char16_t kUnencodableLineMessage[] = u"この行には関連づけﾌｧｲﾙに書けない文字があります";

}
