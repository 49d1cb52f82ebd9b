#pragma once

#include "platform/QtConvert.h"

#include <QKeyEvent>

#include <functional>

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
        applyKeyOutcome(event, onKey ? onKey(key.code, key.shift) : key.code,
            [this](QKeyEvent* e) { Base::keyPressEvent(e); });
    }
    void focusInEvent(QFocusEvent* event) override
    {
        Base::focusInEvent(event);
        if (onFocusIn)
            onFocusIn();
    }
};

}
