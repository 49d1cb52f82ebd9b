#include "ops/frmRename.h"

#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace sorvik {

namespace {

constexpr int kWidth = 5355, kHeight = 1800;   // twips

}

frmRename::frmRename(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmRename");
    setWindowTitle(QStringLiteral("名前の変更"));
    setModal(true);
    setFixedSize(twipsToPx(kWidth), twipsToPx(kHeight));

    auto* label1 = new QLabel(QStringLiteral("変更前"), this);
    label1->setObjectName("Label1");
    placeTwips(label1, 120, 150, 800, 300);
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName("Text1");
    m_text1->setReadOnly(true);
    m_text1->setFocusPolicy(Qt::ClickFocus);
    placeTwips(m_text1, 960, 120, 4215, 330);
    auto* label2 = new QLabel(QStringLiteral("新名称"), this);
    label2->setObjectName("Label2");
    placeTwips(label2, 120, 600, 800, 300);
    m_text2 = new QLineEdit(this);
    m_text2->setObjectName("Text2");
    placeTwips(m_text2, 960, 570, 4215, 330);
    m_cmdCan = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cmdCan->setObjectName("cmdCan");
    placeTwips(m_cmdCan, 2520, 1110, 1215, 435);
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName("cmdOK");
    placeTwips(m_cmdOK, 3960, 1110, 1215, 435);
    setTabOrder(m_text2, m_cmdCan);
    setTabOrder(m_cmdCan, m_cmdOK);
    platform::setDefaultButton(*this, m_cmdOK);

    connect(m_cmdOK, &QPushButton::clicked, this, [this] {
        RtCode = -1;
        accept();
    });
    connect(m_cmdCan, &QPushButton::clicked, this, [this] {
        RtCode = 0;
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] { RtCode = 0; });

    // Centred across the screen, a quarter of the way down.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        const int left = int(std::lround(pxToTwips(s.width()))) - kWidth;
        const int top = int(std::lround(pxToTwips(s.height()))) - kHeight;
        move(twipsToPx(left / 2), twipsToPx(top / 4));
    }
}

void frmRename::setNames(u16view oldName)
{
    const QString name = QString::fromStdU16String(u16(oldName));
    m_text1->setText(name);
    m_text2->setText(name);
    m_text2->setSelection(0, 1000);
    m_text2->setFocus();
}

}
