#pragma once

#include "app/ViewerSettings.h"

namespace tavlex {

// Section "View_Env" of "Tavlex.INI" in IniFolder(): the nine viewer settings.
inline constexpr char kViewerSettingsSection[] = "View_Env";

// Reads the nine keys in their order, each with the value in settings as its default, and
// marks the settings as loaded. Never fails: a missing file or key keeps the value.
void ReadViewerSettings(ViewerSettings& settings);

// Writes the nine keys in their order, only once the settings were read (before that, an INI
// file would be overwritten with first-run values: nothing is done). A failed write throws
// FileError "<full path> に書き込めません".
void WriteViewerSettings(const ViewerSettings& settings);

// Set once the settings were read; writes are refused until then.
bool SettingsLoaded();
// Set when the user reset the settings: they are then not written at exit, so that the reset
// values stay in the file.
bool ResetPending();
void SetResetPending(bool pending);
// Back to the state of a fresh start (tests).
void ForgetSettingsState();

}  // namespace tavlex
