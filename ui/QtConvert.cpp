#include "ui/QtConvert.h"

#include "platform/KeyCodes.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace sorvik {

namespace {

double dpi()
{
    if (auto* screen = QGuiApplication::primaryScreen())
        if (screen->logicalDotsPerInch() > 0)
            return screen->logicalDotsPerInch();
    return 96.0;
}

}

WinKey winKeyOf(const QKeyEvent* event)
{
    WinKey k;
    const Qt::KeyboardModifiers m = event->modifiers();
    if (m & Qt::ShiftModifier)
        k.shift |= keys::kShift;
    if (m & Qt::ControlModifier)
        k.shift |= keys::kCtrl;
    if (m & Qt::AltModifier)
        k.shift |= keys::kAlt;
    const int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        k.code = keys::kA + (key - Qt::Key_A);
    else if (key >= Qt::Key_0 && key <= Qt::Key_9)
        k.code = keys::kDigit0 + (key - Qt::Key_0);
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        k.code = keys::kF1 + (key - Qt::Key_F1);
    else {
        switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            k.code = keys::kEnter;
            break;
        case Qt::Key_Escape:
            k.code = keys::kEsc;
            break;
        case Qt::Key_Space:
            k.code = keys::kSpace;
            break;
        case Qt::Key_Left:
            k.code = keys::kLeft;
            break;
        case Qt::Key_Up:
            k.code = keys::kUp;
            break;
        case Qt::Key_Right:
            k.code = keys::kRight;
            break;
        case Qt::Key_Down:
            k.code = keys::kDown;
            break;
        case Qt::Key_Home:
            k.code = keys::kHome;
            break;
        case Qt::Key_End:
            k.code = keys::kEnd;
            break;
        case Qt::Key_PageUp:
            k.code = keys::kPageUp;
            break;
        case Qt::Key_PageDown:
            k.code = keys::kPageDown;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            k.code = keys::kTab;
            break;
        case Qt::Key_Backspace:
            k.code = keys::kBack;
            break;
        case Qt::Key_Semicolon:
        case Qt::Key_Plus:
            k.code = keys::kOemPlus;
            break;
        default:
            k.code = 0x10000 + key;   // keeps unknown keys distinct from every Windows code
        }
    }
    return k;
}

void applyKeyOutcome(QKeyEvent* event, int code, const std::function<void(QKeyEvent*)>& ownHandling)
{
    if (code == keys::kNone) {
        event->accept();
        return;
    }
    if (code == keys::kEsc) {
        event->ignore();
        return;
    }
    if (code != winKeyOf(event).code) {
        QKeyEvent replaced(QEvent::KeyPress, qtKeyOf(code), Qt::NoModifier);
        ownHandling(&replaced);
        return;
    }
    ownHandling(event);
}

int qtKeyOf(int code)
{
    switch (code) {
    case keys::kLeft:
        return Qt::Key_Left;
    case keys::kUp:
        return Qt::Key_Up;
    case keys::kRight:
        return Qt::Key_Right;
    case keys::kDown:
        return Qt::Key_Down;
    case keys::kEnter:
        return Qt::Key_Return;
    default:
        return 0;
    }
}

int twipsToPx(double twips)
{
    return int(std::lround(twips * dpi() / 1440.0));
}

double pxToTwips(int px)
{
    return std::round(px * 1440.0 / dpi());
}

void placeTwips(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

void placeOver(QWidget* dialog, const QWidget* window, double down)
{
    if (!window)
        return;
    const QRect w = window->frameGeometry();
    const QRect d = dialog->frameGeometry();
    dialog->move(w.left() + (w.width() - d.width()) / 2, w.top() + int((w.height() - d.height()) * down));
}

QString cssColor(unsigned bgr)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(bgr & 0xFF).arg((bgr >> 8) & 0xFF).arg((bgr >> 16) & 0xFF);
}

}
