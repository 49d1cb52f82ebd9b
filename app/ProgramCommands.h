#pragma once

namespace sorvik {

class Form1;

// Registers every command of the program with the main window; the one
// place where the subsystems' commands are put together.
void installCommands(Form1& form);

}
