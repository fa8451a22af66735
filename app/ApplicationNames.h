#pragma once

namespace tavlex {

// Names the application for the desktop and for settings. It sets no display name: Qt appends
// one to every window title, and the frame's title ("Pelmarkブラウザ - [album]" with a maximised
// document window) names the program already (ProgramTitle).
void NameApplication();

}  // namespace tavlex
