#include "table/frmFilter.h"

#include "platform/Ui.h"
#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QGuiApplication>
#include <QScreen>

namespace sorvik {

namespace {

constexpr int kWidth = 5340, kHeight = 4560;   // twips
constexpr int kRowHeight = 375;

}

frmFilter::frmFilter(FilterList& filters, QWidget* parent) : QDialog(parent), m_filters(filters)
{
    setObjectName("frmFilter");
    setWindowTitle(QStringLiteral("ﾌｨﾙﾀｰの設定"));
    setModal(true);
    setFixedSize(twipsToPx(kWidth), twipsToPx(kHeight));

    for (std::size_t i = 0; i < FilterList::kCount; ++i) {
        const int top = 120 + int(i) * kRowHeight;
        m_label1[i] = new QLabel(QStringLiteral("ﾌｨﾙﾀ%1").arg(i), this);
        m_label1[i]->setObjectName("Label1");
        m_label1[i]->setProperty("Index", int(i));
        placeTwips(m_label1[i], 120, top + 30, 720, 255);
        m_text1[i] = new QLineEdit(QString::fromStdU16String(filters[i]), this);
        m_text1[i]->setObjectName("Text1");
        m_text1[i]->setProperty("Index", int(i));
        placeTwips(m_text1[i], 900, top, 4320, 330);
        if (i > 0)
            setTabOrder(m_text1[i - 1], m_text1[i]);
    }
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName("cmdOK");
    placeTwips(m_cmdOK, 2640, 3960, 1215, 435);
    m_cmdCan = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cmdCan->setObjectName("cmdCan");
    placeTwips(m_cmdCan, 4005, 3960, 1215, 435);
    setTabOrder(m_text1.back(), m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCan);
    platform::setDefaultButton(*this, m_cmdOK);
    m_text1[0]->setFocus();

    connect(m_cmdOK, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(m_cmdCan, &QPushButton::clicked, this, &QDialog::reject);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 4);
    }
}

void frmFilter::okClicked()
{
    FilterList::Entries fields;
    for (std::size_t i = 0; i < FilterList::kCount; ++i)
        fields[i] = m_text1[i]->text().toStdU16String();
    if (auto refused = m_filters.store(fields)) {
        platform::ui().showMessage(commaRefusal(*refused));
        m_text1[*refused]->setFocus();
        return;
    }
    accept();
}

}
