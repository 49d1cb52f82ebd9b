#include "app/Form3.h"

#include "app/HelpText.h"
#include "platform/Ui.h"
#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include <memory>

namespace sorvik {

namespace {

constexpr int kClientWidth = 7245, kClientHeight = 2895;   // twips

}

Form3::Form3(const platform::FileSystem& fs, u16view helpDir, u16view dataDir, QWidget* parent) : QDialog(parent)
{
    setObjectName("Form3");
    setWindowTitle(QStringLiteral("SorvikHelp"));
    setModal(true);
    resize(twipsToPx(kClientWidth), twipsToPx(kClientHeight));

    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName("Text1");
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Nothing typed here would be kept, so the text is read with a cursor, not edited.
    m_text1->setReadOnly(true);
    m_text1->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSizeF(12);
    m_text1->setFont(font);
    m_text1->setGeometry(0, 0, width(), height());
    // The window sees the keys first, so Esc closes it from inside the text.
    m_text1->installEventFilter(this);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        const int left = int(pxToTwips(s.width()) - pxToTwips(width())) / 2;
        const int top = int(pxToTwips(s.height()) - pxToTwips(height())) / 4;
        move(twipsToPx(left), twipsToPx(top));
    }

    if (std::optional<u16> text = LoadHelpText(fs, helpDir, dataDir)) {
        m_helpText = std::move(*text);
        m_text1->setPlainText(QString::fromStdU16String(m_helpText));
        m_text1->moveCursor(QTextCursor::Start);
    } else {
        platform::ui().showMessage(missingHelpMessage());
    }
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Form3::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_text1->setGeometry(0, 0, width(), height());
}

void registerHelpCommand(CommandRegistry& registry, HelpTarget target)
{
    auto shared = std::make_shared<HelpTarget>(std::move(target));
    registry.add(CommandId::Help, [shared](CommandContext&) {
        {
            Form3 viewer(shared->fs, shared->helpDir, shared->dataDir, shared->mainWindow);
            platform::execDialog(viewer);
        }
        if (shared->focusTable)
            shared->focusTable();
        return CommandResult::Done;
    });
}

}
