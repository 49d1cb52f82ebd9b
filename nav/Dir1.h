#pragma once

#include "nav/DirTree.h"

#include <QListWidget>

#include <functional>

namespace sorvik {

// The directory tree pane: the core DirTree's items, indented by level; the
// list's current row is the tree's selected item.
class Dir1 : public QListWidget {
    Q_OBJECT
public:
    Dir1(DirTree& tree, QWidget* parent = nullptr);

    void rebuild();

    // Returns the key the list should still handle (0 when consumed).
    std::function<int(int code, int shift)> onKey;
    std::function<void()> onFocusIn;

    // Pane colours, 0x00BBGGRR.
    void setColors(unsigned back, unsigned fore);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    DirTree& m_tree;
};

}
