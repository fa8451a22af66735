#pragma once

#include <functional>

namespace tavlex {

// Screen pixels per logical inch, read at each call: the environment variable TAVLEX_SCREEN_DPI
// pins it (tests use 96); otherwise the installed provider (the GUI installs one that asks the
// primary screen); otherwise 96.
int ScreenPixelsPerInch();

// The GUI calls this once at start-up; passing an empty function removes the provider.
void SetScreenPixelsPerInchProvider(std::function<int()> provider);

}  // namespace tavlex
