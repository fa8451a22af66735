#pragma once

#include <QString>

namespace tavlex {

// The folders the program works with, fixed once at start-up. Each ends in "/".
struct ProcessFolders {
    QString programFolder;   // folder of the program file
    QString viewFileFolder;  // programFolder + "VIEWFILE/": the open dialog starts there
    QString tempFolder;      // per-user folder of the temporary album bodies and the INI file
};

// Works the folders out from the program path and the per-user data location and creates the
// temporary folder (owner-only access). Returns false when that folder could not be made; the
// values are set either way.
bool SetUpProcessFolders(const QString& programPath);

// Replaces the folders (tests point the temporary folder at a scratch directory).
void SetProcessFolders(const ProcessFolders& folders);

QString ProgramFolder();
QString ViewFileFolder();
QString TempFolder();

}  // namespace tavlex
