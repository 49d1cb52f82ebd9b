#pragma once

#include <QKeyEvent>
#include <QWidget>

#include <functional>

namespace sorvik {

// Conversions between Qt and the Windows forms the core works in.

// Qt's key event as the Windows key code and shift bits the dispatchers use.
struct WinKey {
    int code = 0;
    int shift = 0;
};
WinKey winKeyOf(const QKeyEvent* event);
// The Qt key for a code a dispatcher handed back (a replaced arrow key).
int qtKeyOf(int code);

// Carries out a dispatcher's answer `code` for a key event: 0 consumes it,
// Esc is left to the window's cancel button, a replaced code goes to the
// control's own handling as that key, and the key itself goes there unchanged.
void applyKeyOutcome(QKeyEvent* event, int code, const std::function<void(QKeyEvent*)>& ownHandling);

// Places a dialog over a window as the program's dialogs sit: centred across
// it and `down` (0.4) of the height difference from its top, frames included.
void placeOver(QWidget* dialog, const QWidget* window, double down);

// Puts a control at a rectangle given in twips.
void placeTwips(QWidget* w, int left, int top, int width, int height);

// Twips and pixels at the screen's dpi (15 twips a pixel at 96 dpi).
int twipsToPx(double twips);
double pxToTwips(int px);

// A 0x00BBGGRR colour as a style-sheet colour.
QString cssColor(unsigned bgr);

}
