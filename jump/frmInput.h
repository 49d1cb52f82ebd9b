#pragma once

#include "platform/Text.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace sorvik {

// The one-line input dialog of the jump list. The caller sets the caption
// and the initial text, shows it and reads the text: "OK" (or Enter) leaves
// it as typed, "ｷｬﾝｾﾙ" (or Esc) empties it.
class frmInput : public QDialog {
    Q_OBJECT
public:
    explicit frmInput(QWidget* parent = nullptr);

    void setText(u16view text);
    u16 text() const { return m_text1->text().toStdU16String(); }

private:
    QLineEdit* m_text1 = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCan = nullptr;
};

// Shows frmInput with `caption` and `initial`; the text it leaves.
u16 askJumpText(QWidget* parent, const QString& caption, u16view initial);

}
