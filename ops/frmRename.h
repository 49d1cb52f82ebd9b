#pragma once

#include "platform/Text.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdint>

namespace sorvik {

// The rename dialog: the old name, read-only, and the new name, fully
// selected so that typing replaces it. OK is the default button, Esc cancels.
class frmRename : public QDialog {
    Q_OBJECT
public:
    explicit frmRename(QWidget* parent = nullptr);

    void setNames(u16view oldName);
    u16 oldName() const { return m_text1->text().toStdU16String(); }
    u16 newName() const { return m_text2->text().toStdU16String(); }

    // -1 after OK, 0 after cancel.
    std::int16_t RtCode = 0;

private:
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCan = nullptr;
};

}
