#pragma once

#include "platform/Ui.h"

class QWidget;

namespace sorvik::platform {

// Messages and questions as Qt message boxes over the active window.
class QtUi : public Ui {
public:
    explicit QtUi(QWidget* parent = nullptr) : m_parent(parent) {}

    void showMessage(u16view text) override;
    bool askYesNo(u16view text, bool defaultYes) override;

private:
    QWidget* parentWidget() const;

    QWidget* m_parent;
};

}
