#include "nav/Dir1.h"

#include "platform/KeyCodes.h"
#include "platform/Paths.h"
#include "ui/QtConvert.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>

namespace sorvik {

Dir1::Dir1(DirTree& tree, QWidget* parent) : QListWidget(parent), m_tree(tree)
{
    setObjectName("Dir1");
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setColors(0x808000, 0x000000);   // the design colours until a pane gets the focus
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) { m_tree.select(row); });
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) {
        if (onKey)
            onKey(keys::kEnter, 0);
    });
}

void Dir1::rebuild()
{
    const QSignalBlocker block(this);
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const DirTree::Item& item : m_tree.items()) {
        // The root shows its full text ("C:\"); other items their last name.
        u16 text = item.level == 0 ? item.path : fileNameOf(item.path);
        auto* w = new QListWidgetItem(item.open ? open : closed,
            QString(item.level * 2, QLatin1Char(' ')) + QString::fromStdU16String(text), this);
        w->setData(Qt::UserRole, QString::fromStdU16String(item.path));
    }
    setCurrentRow(m_tree.selected());
}

void Dir1::keyPressEvent(QKeyEvent* event)
{
    const WinKey key = winKeyOf(event);
    applyKeyOutcome(
        event, onKey ? onKey(key.code, key.shift) : key.code, [this](QKeyEvent* e) { QListWidget::keyPressEvent(e); });
}

void Dir1::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    if (onFocusIn)
        onFocusIn();
}

void Dir1::setColors(unsigned back, unsigned fore)
{
    setStyleSheet(
        QStringLiteral("QListWidget { background-color: %1; color: %2; }").arg(cssColor(back), cssColor(fore)));
}

}
