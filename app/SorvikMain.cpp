#include "app/Form1.h"
#include "app/Main.h"
#include "ui/QtUi.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    sorvik::setUpApplication();
    sorvik::platform::QtUi ui;
    sorvik::platform::setUi(&ui);
    sorvik::platform::FileSystem fs(sorvik::platform::DriveTable::detect());
    const auto program = sorvik::platform::detectProgramInfo(fs);
    auto form = sorvik::Main(fs, program);
    form->onEnded = [] { QApplication::quit(); };
    return app.exec();
}
