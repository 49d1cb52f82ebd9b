#include "platform/Ui.h"

namespace sorvik::platform {

namespace {

Ui*& currentUi()
{
    static Ui* current = nullptr;
    return current;
}

}

Ui& ui()
{
    // Until the window layer installs its own, texts are only recorded.
    static ScriptedUi recorder;
    Ui* current = currentUi();
    return current ? *current : recorder;
}

void setUi(Ui* ui)
{
    currentUi() = ui;
}

}
