#pragma once

#include <QKeyEvent>

namespace sorvik {

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

}
