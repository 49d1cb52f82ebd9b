#pragma once

#include "platform/FileSystem.h"
#include "platform/Program.h"

#include <memory>

namespace sorvik {

class Form1;

// Fonts and translations the windows rely on; once per application.
void setUpApplication();

// The start-up: splash, main window load, splash closed. Returns the shown main window.
std::unique_ptr<Form1> Main(platform::FileSystem& fs, const platform::ProgramInfo& program);

}
