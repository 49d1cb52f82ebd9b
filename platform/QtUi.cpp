#include "platform/QtUi.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QMessageBox>
#include <QString>

#include <deque>

namespace sorvik::platform {

namespace {

QString toQString(u16view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

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

int execDialog(QDialog& dialog)
{
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
    return m_parent ? m_parent : QApplication::activeWindow();
}

void QtUi::showMessage(u16view text)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), toQString(text), QMessageBox::Ok,
        parentWidget());
    box.exec();
}

bool QtUi::askYesNo(u16view text, bool defaultYes)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), toQString(text),
        QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}
