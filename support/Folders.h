#pragma once

#include <QString>

#include <functional>

namespace tavlex {

// Folder texts and standard folders. The delimiter is "/". The names keep their Windows-era
// spelling as every caller uses them.

// path with "/" appended unless it is empty or already ends in "/". There are no drive roots
// ("C:", "C:\") here, which the old rule of leaving texts of 3 bytes or less alone protected;
// applied here it would glue names onto short folders ("/ab" + "x" gives "/abx").
QString AddBackslash(const QString& path);

// path without one trailing "/"; the root "/" stays as it is.
QString RemoveBackslash(const QString& path);

// The folder part of path up to and including its last "/"; empty when it has none.
QString FolderPart(const QString& path);

// path exists and is a folder (a link to a folder counts).
bool FolderExists(const QString& path);

// Creates the folder and every missing parent. True when the folder exists afterwards: already
// there, the root, or all made. An empty path throws FileError
// "ディレクトリを作成することができません"; a folder that cannot be made (no rights, a file in the
// way) gives false.
bool MakeFolderPath(const QString& path);

// Makes the folder when it is missing; a failure only beeps (through the handler below).
// Returns whether the folder exists afterwards.
bool EnsureFolder(const QString& path);

// The beep of EnsureFolder: the GUI installs one that sounds the bell; without one it is silent.
// Returns the previous handler.
std::function<void()> SetFolderBeep(std::function<void()> beep);

// The program file's full path. It comes from the application object, or from the running
// executable where there is none yet (tools, tests).
QString ProgramPath();

// The process-wide program folder, with a trailing "/": the folder of ProgramPath() until
// start-up (or a test) sets it. There is one for the whole program; the shell's other folders
// are worked out from it.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);

// The per-user folder for application data, the counterpart of the Windows "application data"
// folder: $XDG_DATA_HOME, else ~/.local/share (QStandardPaths::GenericDataLocation; not a folder
// of this program's own, callers add their subfolders). No trailing "/"; empty when there is no
// home folder to put it in.
QString AppDataFolder();

}  // namespace tavlex
