#pragma once

#include <QString>

#include "support/Folders.h"

namespace tavlex {

// The folders the program works with, fixed once at start-up. Each ends in "/". The program
// folder itself is the one of support/Folders (ProgramFolder()), shared with the tools.
struct ProcessFolders {
    QString programFolder;   // folder of the program file
    QString viewFileFolder;  // programFolder + "VIEWFILE/": the open dialog starts there
    QString tempFolder;      // per-user folder of the temporary album bodies and the INI file
};

// The INI file of the viewer's settings and frame geometry, in TempFolder().
inline constexpr char kDefaultIniName[] = "Tavlex.INI";

// Works the folders out from the program path and the per-user data location, creates the
// temporary folder (owner-only access) and points INI files there (IniFolder := TempFolder,
// DefaultIniName := "Tavlex.INI"). Returns false when that folder could not be made; the values
// are set either way.
bool SetUpProcessFolders(const QString& programPath);

// Replaces the folders (tests point the temporary folder at a scratch directory). INI files
// follow the temporary folder here too.
void SetProcessFolders(const ProcessFolders& folders);

QString ViewFileFolder();
QString TempFolder();

}  // namespace tavlex
