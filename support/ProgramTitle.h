#pragma once

#include <QString>

namespace tavlex {

// The program as its frame, its message boxes and its print jobs name it: "Pelmarkブラウザ".
// Windows and boxes take it from here, not from the application's display name, which Qt would
// append to every window title.
QString ProgramTitle();

}  // namespace tavlex
