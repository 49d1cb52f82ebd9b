#include "app/ProgramCommands.h"

#include "app/Form1.h"
#include "ops/FileCommands.h"

namespace sorvik {

void installCommands(Form1& form)
{
    registerFileCommands(form.commands(), &form);
}

}
