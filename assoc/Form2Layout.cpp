#include "assoc/Form2Layout.h"

namespace sorvik {

void Form2Layout::resize(int innerWidth, int innerHeight)
{
    if (innerWidth < kMinResizeWidth)
        return;
    const int delta = innerWidth - lastInnerWidth;
    List1.width += delta;
    Text1.width += delta;
    for (TwipRect* list : {&Dir1, &File1, &List1})
        list->height = innerHeight - 900;
    for (TwipRect* button : {&Command2, &Command3, &cmdExit})
        button->top = innerHeight - 60 - button->height;
    lastInnerWidth = innerWidth;
}

Form2Colors SetFocusColor(u16view name)
{
    Form2Colors c{kListBackColor, kListBackColor, kListBackColor, std::nullopt};
    if (name == u"Drive1")
        c.drive1Back = kListFocusBackColor;
    else if (name == u"Dir1")
        c.dir1Back = kListFocusBackColor;
    else if (name == u"File1")
        c.file1Back = kListFocusBackColor;
    else if (name == u"List1")
        c.list1Fore = kList1FocusForeColor;
    return c;
}

}
