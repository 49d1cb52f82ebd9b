#pragma once

#include "platform/Ui.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QDialog;
class QPushButton;

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

// Gives the keyboard back to the window a modal window was opened from, once
// the modal window has closed: that window is activated again and the control
// that had its focus gets it back. Window managers do not do this reliably:
// when two windows close at once (a question, then the dialog that asked it)
// openbox hands the focus to the one that is closing, fails, and leaves it on
// the desktop, where keys do nothing.
class FocusReturn {
public:
    // `opener` is the window to return to (without one, the active window),
    // unless a modal window is open: then it is that one.
    explicit FocusReturn(QWidget* opener);
    ~FocusReturn();
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

// Enter in a dialog as on Windows: a button that has the focus is pressed;
// anywhere else the dialog's default button is, or nothing when it has none
// (nullptr). Left to itself Qt makes a button the default on its own (the
// first one after the focus when the dialog shows), so that Enter in a text
// field would press "中止(Q)", and Enter on a focused cancel button would press
// OK. Call once the dialog's buttons exist.
void setDefaultButton(QDialog& dialog, QPushButton* button);

// Shows a dialog modally and returns its result; afterwards the window it was
// opened from has the keyboard again (FocusReturn). Tests queue hooks that drive
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
