#pragma once

#include <array>
#include <cstddef>

namespace sorvik {

// A control's place in twips, relative to the client area.
struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const TwipsRect&) const = default;
};

// The controls of the main window that the layout places.
enum class LayoutControl {
    // The command row.
    Label2,
    Command3,
    Command1,
    cmdHiddn,
    cmdAssoc,
    // The panes.
    Dir1,
    Grid1,
    // The bottom row.
    Label4,
    Label1,
    Text1,
    Command2,
};
inline constexpr std::size_t kLayoutControls = 11;

// Where the main window's controls stand, in twips, and how they follow the
// client area: wider than 10000 the table, the description field and the
// quit button follow the width; higher than 5000 the bottom row and the two
// panes follow the height. Below a threshold nothing moves and the size is
// not remembered, so the next size above it applies the whole difference.
class Form1Layout {
public:
    static constexpr int kDesignClientWidth = 12495;
    static constexpr int kDesignClientHeight = 6720;
    static constexpr int kWidthThreshold = 10000;
    static constexpr int kHeightThreshold = 5000;
    static constexpr int kTableRightMargin = 150;
    static constexpr int kGap = 15;

    static const TwipsRect& design(LayoutControl control);

    const TwipsRect& operator[](LayoutControl control) const { return m_rects[index(control)]; }

    // The command row after the last drive button: each control's left edge
    // is the previous one's right edge + 15; tops and sizes stay.
    void placeCommandRow(int lastDriveButtonRight);

    // Applies the resize rules for a new client size.
    void resize(int clientWidth, int clientHeight);

    int LastClientWidth = kDesignClientWidth;
    int LastClientHeight = kDesignClientHeight;

private:
    static std::size_t index(LayoutControl control) { return static_cast<std::size_t>(control); }
    TwipsRect& at(LayoutControl control) { return m_rects[index(control)]; }

    std::array<TwipsRect, kLayoutControls> m_rects = designRects();
    static std::array<TwipsRect, kLayoutControls> designRects();
};

}
