#pragma once

#include "jump/JumpList.h"
#include "ui/QtKeyed.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

namespace sorvik {

// The jump-folder dialog: the aliases in list order, "OK" to go to the
// selected one, "ｷｬﾝｾﾙ", and "削除(&D)" and "修正(&R)", which change the
// JumpList at once (a later "ｷｬﾝｾﾙ" does not undo them). Enter presses "OK",
// Esc "ｷｬﾝｾﾙ"; a digit or letter typed in the list selects by GetLisIX.
class frmJmp : public QDialog {
    Q_OBJECT
public:
    frmJmp(JumpList& list, QWidget* parent = nullptr);

    // The alias chosen with "OK"; empty after "ｷｬﾝｾﾙ" or with no line selected.
    u16 RetValue;

    // The line a typed key selects (see the free GetLisIX).
    int GetLisIX(int keyCode) const;

    QListWidget* list1() const { return m_list1; }

private:
    int selectedIndex() const;
    void select(int index);
    u16 lineText(int index) const;
    int listKey(int code, int shift);
    void okClicked();
    void deleteClicked();
    void renameClicked();

    JumpList& m_jumps;
    Keyed<QListWidget>* m_list1 = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCan = nullptr;
    QPushButton* m_cmdDel = nullptr;
    QPushButton* m_cmdReName = nullptr;
};

}
