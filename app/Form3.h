#pragma once

#include "cmd/Commands.h"
#include "platform/FileSystem.h"

#include <QDialog>
#include <QPlainTextEdit>

#include <functional>

namespace sorvik {

// The help viewer "SorvikHelp": the help text in a text area that fills the
// window. Esc closes it; what is typed into the text is never kept.
class Form3 : public QDialog {
    Q_OBJECT
public:
    Form3(const platform::FileSystem& fs, u16view helpDir, u16view dataDir, QWidget* parent = nullptr);

    QPlainTextEdit* text1() const { return m_text1; }
    // The text as loaded, CR LF after every line.
    const u16& helpText() const { return m_helpText; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPlainTextEdit* m_text1 = nullptr;
    u16 m_helpText;
};

struct HelpTarget {
    const platform::FileSystem& fs;
    u16 helpDir;   // where the help text is shipped
    u16 dataDir;
    QWidget* mainWindow = nullptr;
    std::function<void()> focusTable;
};

// F1 and "Help(F1)": the viewer, modally; then the table has the focus.
void registerHelpCommand(CommandRegistry& registry, HelpTarget target);

}
