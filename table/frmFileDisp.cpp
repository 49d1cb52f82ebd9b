#include "table/frmFileDisp.h"

#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QGuiApplication>
#include <QScreen>

namespace sorvik {

namespace {

constexpr int kWidth = 3300, kHeight = 2460;   // twips
constexpr const char* kCaptions[4] = {"Read Only", "Hidden", "System", "Archive"};

}

frmFileDisp::frmFileDisp(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmFileDisp");
    setWindowTitle(QStringLiteral("ﾌｧｲﾙ表示種類変更"));
    setModal(true);
    setFixedSize(twipsToPx(kWidth), twipsToPx(kHeight));

    for (int i = 0; i < 4; ++i) {
        m_checks[i] = new QCheckBox(QString::fromLatin1(kCaptions[i]), this);
        m_checks[i]->setObjectName(QStringLiteral("Check%1").arg(i + 1));
        placeTwips(m_checks[i], 240, 120 + i * 420, 1800, 315);
        if (i > 0)
            setTabOrder(m_checks[i - 1], m_checks[i]);
    }
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName("cmdOK");
    placeTwips(m_cmdOK, 2160, 120, 1020, 435);
    m_cmdCan = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cmdCan->setObjectName("cmdCan");
    placeTwips(m_cmdCan, 2160, 660, 1020, 435);
    setTabOrder(m_checks[3], m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCan);
    platform::setDefaultButton(*this, m_cmdOK);
    m_checks[0]->setFocus();

    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdCan, &QPushButton::clicked, this, &QDialog::reject);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 4);
    }
}

void frmFileDisp::SetCheck(std::int16_t ReadOnly, std::int16_t Hidden, std::int16_t System, std::int16_t Archive)
{
    const std::int16_t values[4] = {ReadOnly, Hidden, System, Archive};
    for (int i = 0; i < 4; ++i)
        m_checks[i]->setChecked(values[i] != 0);
}

void frmFileDisp::GetCheck(
    std::int16_t& ReadOnly, std::int16_t& Hidden, std::int16_t& System, std::int16_t& Archive) const
{
    std::int16_t* targets[4] = {&ReadOnly, &Hidden, &System, &Archive};
    for (int i = 0; i < 4; ++i)
        *targets[i] = m_checks[i]->isChecked() ? 1 : 0;
}

}
