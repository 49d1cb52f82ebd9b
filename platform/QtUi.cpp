#include "platform/QtUi.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace sorvik::platform {

namespace {

QString toQString(u16view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

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
