#include "ui/QtUi.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include <deque>

namespace sorvik::platform {

namespace {

QString toQString(u16view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// When, after a modal window closed, the keyboard is looked for again: the
// window manager answers an activation later, and not always as asked.
constexpr int kRecheckMs[] = {100, 300, 600};

// Enter that no control of the dialog took comes up to the dialog itself.
class EnterKey : public QObject {
public:
    EnterKey(QDialog& dialog, QPushButton* defaultButton) : QObject(&dialog), m_dialog(dialog), m_default(defaultButton)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &m_dialog || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        QPushButton* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        if (!button || button->window() != &m_dialog)
            button = m_default;
        if (button && button->isVisible() && button->isEnabled())
            button->click();
        return true;
    }

private:
    QDialog& m_dialog;
    QPointer<QPushButton> m_default;
};

struct DialogHooks {
    std::deque<DialogHook> queue;
    std::vector<QString> shown;
    int leftOpen = 0;
};

DialogHooks& hooks()
{
    static DialogHooks h;
    return h;
}

}

FocusReturn::FocusReturn(QWidget* opener)
{
    // While a modal window is open, only it can have the keyboard back, whatever
    // the new one was parented to.
    if (QWidget* modal = QApplication::activeModalWidget())
        m_window = modal;
    else
        m_window = opener ? opener->window() : QApplication::activeWindow();
    if (m_window)
        m_focus = m_window->focusWidget();
}

FocusReturn::~FocusReturn()
{
    if (!m_window || !m_window->isVisible())
        return;
    m_window->activateWindow();
    if (m_focus && m_focus->window() == m_window && m_focus->isVisible() && m_focus->isEnabled())
        m_focus->setFocus(Qt::ActiveWindowFocusReason);
    // If the keyboard went to no window of the program meanwhile, it is asked
    // back; a window opened meanwhile keeps it.
    QPointer<QWidget> window = m_window;
    for (int ms : kRecheckMs)
        QTimer::singleShot(ms, window, [window] {
            QWidget* modal = QApplication::activeModalWidget();
            if (window && window->isVisible() && !QApplication::activeWindow() && (!modal || modal == window))
                window->activateWindow();
        });
}

void setDefaultButton(QDialog& dialog, QPushButton* button)
{
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(b == button);
    }
    dialog.installEventFilter(new EnterKey(dialog, button));
}

int execDialog(QDialog& dialog)
{
    FocusReturn back(dialog.parentWidget());
    DialogHooks& h = hooks();
    h.shown.push_back(dialog.objectName());
    if (!h.queue.empty()) {
        DialogHook hook = std::move(h.queue.front());
        h.queue.pop_front();
        QTimer::singleShot(0, &dialog, [&dialog, hook = std::move(hook)] {
            // The hook types into the dialog as a person would, so it must have the keyboard.
            QApplication::setActiveWindow(&dialog);
            QCoreApplication::processEvents();
            hook(dialog);
            if (dialog.isVisible()) {
                ++hooks().leftOpen;
                dialog.reject();
            }
        });
    }
    return dialog.exec();
}

void queueDialogHook(DialogHook hook)
{
    hooks().queue.push_back(std::move(hook));
}

void clearDialogHooks()
{
    hooks() = DialogHooks{};
}

const std::vector<QString>& shownDialogs()
{
    return hooks().shown;
}

int dialogsLeftOpen()
{
    return hooks().leftOpen;
}

QWidget* QtUi::parentWidget() const
{
    // The innermost open modal window asked, whether or not the window manager
    // has given it the keyboard yet; a box over another window would leave it
    // behind, unanswerable.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (m_parent)
        return m_parent;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() == Qt::Window)
            return w;
    return nullptr;
}

void QtUi::showMessage(u16view text)
{
    QMessageBox box(
        QMessageBox::Information, QApplication::applicationName(), toQString(text), QMessageBox::Ok, parentWidget());
    FocusReturn back(box.parentWidget());
    box.exec();
}

bool QtUi::askYesNo(u16view text, bool defaultYes)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), toQString(text),
        QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    FocusReturn back(box.parentWidget());
    return box.exec() == QMessageBox::Yes;
}

}
