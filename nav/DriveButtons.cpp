#include "nav/DriveButtons.h"

#include "nav/DriveList.h"
#include "platform/DriveTable.h"
#include "platform/KeyCodes.h"
#include "ui/QtConvert.h"

#include <QFont>
#include <QKeyEvent>

namespace sorvik {

namespace {

constexpr int kLeft = 120, kTop = 120, kSize = 315, kGap = 15, kStripTop = 70, kStripHeight = 50;

}

unsigned SetHddColor(int hddTag)
{
    switch (hddTag) {
    case platform::kDriveRemovable:
        return 0xFF0000;
    case platform::kDriveFixed:
        return 0x808080;
    case platform::kDriveRemote:
        return 0xFF8080;
    case platform::kDriveCdRom:
        return 0x0080FF;
    case platform::kDriveRamDisk:
        return 0xFF80FF;
    default:
        return 0;
    }
}

cmdHdd::cmdHdd(int index, QWidget* parent) : QPushButton(parent), m_index(index)
{
    setObjectName("cmdHdd");
    setProperty("Index", index);
    setAutoDefault(false);
}

void cmdHdd::keyPressEvent(QKeyEvent* event)
{
    const WinKey key = winKeyOf(event);
    // Esc belongs to the window's cancel button before any button key.
    const int code = key.code == keys::kEsc ? key.code : onKey ? onKey(m_index, key.code, key.shift) : key.code;
    applyKeyOutcome(event, code, [this](QKeyEvent* e) {
        // The default for buttons: the focus moves to the previous or next control.
        if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right)
            focusNextPrevChild(e->key() == Qt::Key_Right);
        else
            QPushButton::keyPressEvent(e);
    });
}

void cmdHdd::focusInEvent(QFocusEvent* event)
{
    QPushButton::focusInEvent(event);
    if (onFocusIn)
        onFocusIn(m_index);
}

DriveButtons::DriveButtons(DriveList& drives, QWidget* form) : QObject(form), m_drives(drives), m_form(form)
{
}

void DriveButtons::build(const std::function<int(char16_t letter)>& driveType)
{
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSizeF(12);
    for (int i = 0; i < m_drives.count(); ++i) {
        const char16_t letter = upperLetter(m_drives.letter(i));
        const int left = kLeft + i * (kSize + kGap);
        auto* b = new cmdHdd(i, m_form);
        b->setGeometry(twipsToPx(left), twipsToPx(kTop), twipsToPx(kSize), twipsToPx(kSize));
        b->setFont(font);
        b->setText(QString(QChar(letter)));
        const int tag = driveType(letter);
        b->setProperty("Tag", QString::number(tag));
        b->show();
        auto* strip = new QLabel(m_form);
        strip->setObjectName("LblHdd");
        strip->setGeometry(twipsToPx(left), twipsToPx(kStripTop), twipsToPx(kSize), twipsToPx(kStripHeight));
        const unsigned stripColor = SetHddColor(tag);
        strip->setStyleSheet("background-color: " + cssColor(stripColor) + ";");
        strip->show();
        m_buttons.push_back(b);
        m_strips.push_back(strip);
        m_colors.push_back(0);
        m_stripColors.push_back(stripColor);
        setBackColor(i, kBaseBackColor);
    }
}

int DriveButtons::rightEdgeTwips() const
{
    if (m_buttons.empty())
        return kLeft - kGap;
    return kLeft + (count() - 1) * (kSize + kGap) + kSize;
}

void DriveButtons::setBackColor(int i, unsigned color)
{
    if (i < 0 || i >= count())
        return;
    m_colors[i] = color;
    const unsigned fore = color == kBaseBackColor ? 0xFFFFFF : 0;
    m_buttons[i]->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid gray; }")
            .arg(cssColor(color), cssColor(fore)));
}

void DriveButtons::paintChosen(int index)
{
    for (int i = 0; i < count(); ++i)
        setBackColor(i, i == index ? kChosenDriveColor : kBaseBackColor);
}

}
