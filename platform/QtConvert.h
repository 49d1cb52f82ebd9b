#pragma once

#include <QKeyEvent>

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

// Twips and pixels at the screen's dpi (15 twips a pixel at 96 dpi).
int twipsToPx(double twips);
double pxToTwips(int px);

// A 0x00BBGGRR colour as a style-sheet colour.
QString cssColor(unsigned bgr);

}
