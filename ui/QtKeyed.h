#pragma once

#include "ui/QtConvert.h"

#include <QAbstractItemView>
#include <QKeyEvent>

#include <functional>
#include <type_traits>

namespace sorvik {

// A control whose keys go to a dispatcher first; the dispatcher's answer is
// carried out as everywhere else (consumed, replaced, Esc to the window).
template<class Base>
class Keyed : public Base {
public:
    using Base::Base;

    // Returns the key the control should still handle (0 when consumed).
    std::function<int(int code, int shift)> onKey;
    std::function<void()> onFocusIn;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const WinKey key = winKeyOf(event);
        applyKeyOutcome(
            event, onKey ? onKey(key.code, key.shift) : key.code, [this](QKeyEvent* e) { Base::keyPressEvent(e); });
    }
    void focusInEvent(QFocusEvent* event) override
    {
        if constexpr (std::is_base_of_v<QAbstractItemView, Base>) {
            // A list that gets the keyboard with no current item has Qt make its
            // first item current without choosing it, so the first Down would
            // choose the second. As in a Windows list, it chooses the first.
            const bool hadCurrent = this->currentIndex().isValid();
            Base::focusInEvent(event);
            QItemSelectionModel* selection = this->selectionModel();
            if (!hadCurrent && selection && !selection->hasSelection())
                selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        } else {
            Base::focusInEvent(event);
        }
        if (onFocusIn)
            onFocusIn();
    }
};

}
