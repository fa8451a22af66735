#pragma once

#include <QString>

namespace tavlex::platform {

// The running program's own file, asked of the system: used where no application object exists
// yet. One file per system implements it (ProgramPath_linux.cpp). Empty when it cannot be told.
QString RunningProgramFile();

}  // namespace tavlex::platform
