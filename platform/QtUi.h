#pragma once

#include "platform/Ui.h"

#include <QString>

#include <functional>
#include <vector>

class QDialog;
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

// Shows a dialog modally and returns its result. Tests queue hooks that drive
// the next dialogs in place of a person (pressing keys once the dialog runs);
// a dialog its hook leaves open is cancelled, so no test can hang on it.
int execDialog(QDialog& dialog);
using DialogHook = std::function<void(QDialog&)>;
void queueDialogHook(DialogHook hook);
void clearDialogHooks();
// Dialogs shown since the last clear, by object name, and how many were left open by their hook.
const std::vector<QString>& shownDialogs();
int dialogsLeftOpen();

}
