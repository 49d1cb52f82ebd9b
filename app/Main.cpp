#include "app/Main.h"

#include "app/Form1.h"
#include "app/Form4.h"
#include "app/ProgramCommands.h"
#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

namespace sorvik {

void setUpApplication()
{
    // The windows name Windows' Japanese fonts; Linux has the IPA fonts instead.
    // What those lack (Hangul, Chinese characters outside the Japanese sets)
    // comes from Noto CJK in its Japanese forms, monospaced for the monospaced
    // font, rather than from whichever font the system would pick per script.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
        {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"), QStringLiteral("Noto Sans Mono CJK JP")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
        {QStringLiteral("IPAPGothic"), QStringLiteral("IPAPゴシック"), QStringLiteral("Noto Sans CJK JP")});
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.sorvik.Sorvik"));
    static QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);
}

std::unique_ptr<Form1> Main(platform::FileSystem& fs, const platform::ProgramInfo& program)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Form4 splash(QString::fromStdU16String(program.name));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        splash.move((s.width() - splash.width()) / 2, int((s.height() * 0.7 - splash.height()) / 2));
    }
    splash.show();
    splash.repaint();
    QApplication::processEvents();

    auto form = std::make_unique<Form1>(fs, program);
    installCommands(*form);
    u16 start = fs.currentDirectory().value_or(program.directory);
    form->Load(start);
    form->show();
    form->raise();
    form->activateWindow();

    splash.close();
    QApplication::restoreOverrideCursor();
    return form;
}

}
