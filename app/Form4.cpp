#include "app/Form4.h"

#include "ui/QtConvert.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace sorvik {

namespace {

// Our own picture: a teal field with a stack of index cards, the program's
// one-line descriptions kept beside every file.
QPixmap splashPicture(QSize size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0, 128, 128));
    g.setColorAt(1, QColor(0, 64, 80));
    p.fillRect(pixmap.rect(), g);
    const int h = size.height();
    for (int i = 0; i < 3; ++i) {
        QRect card(h / 5 + i * h / 12, h / 6 + i * h / 14, h / 2, h / 3);
        p.setPen(QPen(QColor(0, 64, 64), 1));
        p.setBrush(i == 2 ? QColor(255, 255, 192) : QColor(255, 255, 255));
        p.drawRoundedRect(card, 4, 4);
        p.setPen(QColor(0, 128, 128));
        for (int l = 1; l <= 3; ++l)
            p.drawLine(card.left() + 6, card.top() + l * card.height() / 4, card.right() - 6,
                card.top() + l * card.height() / 4);
    }
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(h / 5);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(
        QRect(h * 9 / 10, 0, size.width() - h, h * 2 / 3), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Sorvik"));
    f.setPixelSize(h / 12);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(h * 9 / 10, h / 2, size.width() - h, h / 4), Qt::AlignTop | Qt::AlignLeft,
        QStringLiteral("ファイルに説明を"));
    return pixmap;
}

}

Form4::Form4(const QString& executableName, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint)
{
    setObjectName("Form4");
    setWindowTitle(executableName);
    resize(twipsToPx(4215), twipsToPx(1830));
    m_image1 = new QLabel(this);
    m_image1->setObjectName("Image1");
    m_image1->setGeometry(0, 0, width(), twipsToPx(1500));
    m_image1->setPixmap(splashPicture(m_image1->size()));
    m_label2 = new QLabel(executableName, this);
    m_label2->setObjectName("Label2");
    m_label2->setGeometry(0, twipsToPx(1500), twipsToPx(4155), twipsToPx(255));
    m_label2->setStyleSheet("background-color: rgb(255,255,192);");
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPointSizeF(9.75);
    m_label2->setFont(f);
}

}
