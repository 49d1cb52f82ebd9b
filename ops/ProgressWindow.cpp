#include "ops/ProgressWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <string>

namespace sorvik {

namespace {

QString sizeText(std::int64_t bytes)
{
    return QLocale(QLocale::Japanese).toString(qlonglong(bytes));
}

}

ProgressWindow::ProgressWindow(const QString& title, QWidget* parent) : QDialog(parent)
{
    setObjectName("ProgressWindow");
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    m_files = new QLabel(this);
    m_bytes = new QLabel(this);
    m_name = new QLabel(this);
    m_name->setMinimumWidth(360);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 1000);
    m_cancelButton = new QPushButton(QStringLiteral("中止(Esc)"), this);
    m_cancelButton->setObjectName("cmdCancel");
    // Esc or a click stops the work; an Enter typed ahead for the next window must not.
    m_cancelButton->setFocusPolicy(Qt::NoFocus);
    for (QWidget* w : {static_cast<QWidget*>(m_name), static_cast<QWidget*>(m_files), static_cast<QWidget*>(m_bytes),
             static_cast<QWidget*>(m_bar), static_cast<QWidget*>(m_cancelButton)})
        layout->addWidget(w);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { m_cancel = true; });
    platform::setDefaultButton(*this, nullptr);
}

ProgressWindow::~ProgressWindow()
{
    disappear();
}

void ProgressWindow::appear()
{
    m_focusReturn.emplace(parentWidget());
    show();
}

void ProgressWindow::disappear()
{
    hide();
    m_focusReturn.reset();
}

void ProgressWindow::setCancellable(bool cancellable)
{
    m_cancelButton->setVisible(cancellable);
}

void ProgressWindow::begin(int files, std::int64_t bytes)
{
    m_totalFiles = files;
    m_totalBytes = bytes;
    m_doneFiles = 0;
    m_doneBytes = 0;
    m_cancel = false;
    m_started.start();
    m_lastUpdate.invalidate();
}

void ProgressWindow::startFile(u16view name, std::int64_t)
{
    m_name->setText(QString::fromStdU16String(u16(name)));
    update(false);
}

bool ProgressWindow::copied(std::int64_t bytes)
{
    m_doneBytes += bytes;
    update(false);
    return !m_cancel;
}

void ProgressWindow::fileDone()
{
    ++m_doneFiles;
    update(false);
}

void ProgressWindow::end()
{
    disappear();
}

void ProgressWindow::update(bool force)
{
    // Painting and events cost time; a few times a second is enough to see.
    if (!force && m_lastUpdate.isValid() && m_lastUpdate.elapsed() < 50)
        return;
    m_lastUpdate.restart();
    if (!isVisible() && m_started.isValid() && m_started.elapsed() >= m_showDelay)
        appear();
    if (isVisible()) {
        m_files->setText(QStringLiteral("%1 / %2 ﾌｧｲﾙ").arg(m_doneFiles).arg(m_totalFiles));
        m_bytes->setText(QStringLiteral("%1 / %2 ﾊﾞｲﾄ").arg(sizeText(m_doneBytes), sizeText(m_totalBytes)));
        // Without a byte total the bar only shows that work goes on.
        if (m_totalBytes > 0)
            m_bar->setValue(int(m_doneBytes * 1000 / m_totalBytes));
        else
            m_bar->setRange(0, 0);
    }
    // Until the window shows (and blocks the others), keys must not reach the
    // dialog underneath, or they could start a second operation.
    QApplication::processEvents(isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        m_cancel = true;
        return;
    }
    QDialog::keyPressEvent(event);
}

void ProgressWindow::reject()
{
    // Closing the window stops the work; the loop closes it when it has stopped.
    m_cancel = true;
}

}
