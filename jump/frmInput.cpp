#include "jump/frmInput.h"

#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QGuiApplication>
#include <QScreen>

namespace sorvik {

namespace {

constexpr int kWidth = 4695, kHeight = 1335;   // twips

}

frmInput::frmInput(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmInput");
    setModal(true);
    setFixedSize(twipsToPx(kWidth), twipsToPx(kHeight));

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName("Text1");
    placeTwips(m_text1, 120, 120, 4455, 375);
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName("cmdOK");
    placeTwips(m_cmdOK, 2040, 720, 1215, 435);
    m_cmdCan = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cmdCan->setObjectName("cmdCan");
    placeTwips(m_cmdCan, 3360, 720, 1215, 435);
    setTabOrder(m_text1, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCan);
    platform::setDefaultButton(*this, m_cmdOK);

    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdCan, &QPushButton::clicked, this, &QDialog::reject);
    // Esc and the close box count as "ｷｬﾝｾﾙ": the caller reads an empty text.
    connect(this, &QDialog::rejected, this, [this] { m_text1->clear(); });

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 2);
    }
}

void frmInput::setText(u16view text)
{
    m_text1->setText(QString::fromStdU16String(u16(text)));
    // Typing replaces the offered text; an arrow key keeps it for editing.
    m_text1->selectAll();
    m_text1->setFocus();
}

u16 askJumpText(QWidget* parent, const QString& caption, u16view initial)
{
    frmInput dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setText(initial);
    platform::execDialog(dialog);
    return dialog.text();
}

}
