#include "app/Form1Layout.h"

namespace sorvik {

std::array<TwipsRect, kLayoutControls> Form1Layout::designRects()
{
    return {{
        {5940, 120, 1515, 315},     // Label2
        {7800, 120, 1095, 315},     // Command3 "Help(F1)"
        {8940, 120, 1155, 315},     // Command1 "ﾌｨﾙﾀ設定(&F)"
        {10140, 120, 1035, 315},    // cmdHiddn "SysFile(&G)"
        {11220, 120, 1095, 315},    // cmd関連 "関連付(&R)"
        {120, 480, 1935, 5715},     // Dir1
        {2160, 480, 10215, 5655},   // Grid1
        {120, 6240, 795, 315},      // Label4
        {960, 6300, 1155, 255},     // Label1 "説明記入欄"
        {2160, 6240, 7455, 375},    // Text1
        {11040, 6240, 1335, 375},   // Command2 "終了(Esc)"
    }};
}

const TwipsRect& Form1Layout::design(LayoutControl control)
{
    static const std::array<TwipsRect, kLayoutControls> rects = designRects();
    return rects[index(control)];
}

void Form1Layout::placeCommandRow(int lastDriveButtonRight)
{
    int left = lastDriveButtonRight + kGap;
    for (LayoutControl c : {LayoutControl::Label2, LayoutControl::Command3, LayoutControl::Command1,
             LayoutControl::cmdHiddn, LayoutControl::cmdAssoc}) {
        at(c).left = left;
        left = at(c).right() + kGap;
    }
}

void Form1Layout::resize(int clientWidth, int clientHeight)
{
    if (clientWidth > kWidthThreshold) {
        const int d = LastClientWidth - clientWidth;
        TwipsRect& grid = at(LayoutControl::Grid1);
        grid.width = clientWidth - grid.left - kTableRightMargin;
        at(LayoutControl::Text1).width -= d;
        at(LayoutControl::Command2).left -= d;
        LastClientWidth = clientWidth;
    }
    if (clientHeight > kHeightThreshold) {
        const int d = LastClientHeight - clientHeight;
        for (LayoutControl c :
            {LayoutControl::Command2, LayoutControl::Text1, LayoutControl::Label1, LayoutControl::Label4})
            at(c).top -= d;
        at(LayoutControl::Grid1).height -= d;
        at(LayoutControl::Dir1).height = at(LayoutControl::Grid1).height;
        LastClientHeight = clientHeight;
    }
}

}
