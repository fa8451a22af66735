#include "app/ViewerSettingsFile.h"

#include "support/SIniFile.h"

namespace tavlex {

namespace {

bool g_settingsLoaded = false;
bool g_resetPending = false;

// The INI file the settings live in: the process's default INI name in IniFolder().
SIniFile OpenSettingsFile() {
    return SIniFile(SIniFile::kIniMode, DefaultIniName());
}

}  // namespace

void ReadViewerSettings(ViewerSettings& settings) {
    const SIniFile ini = OpenSettingsFile();
    const QString section = QString::fromLatin1(kViewerSettingsSection);
    settings.TreePanel = ini.GetFlag(section, QStringLiteral("TreePanel"), settings.TreePanel);
    settings.TreeWidth = ini.GetNumber(section, QStringLiteral("TreeWidth"), settings.TreeWidth);
    settings.FormMaximized =
        ini.GetFlag(section, QStringLiteral("FormMaximized"), settings.FormMaximized);
    settings.FormWidth = ini.GetNumber(section, QStringLiteral("FormWidth"), settings.FormWidth);
    settings.FormHeight = ini.GetNumber(section, QStringLiteral("FormHeight"), settings.FormHeight);
    settings.ZoomIndex = ini.GetNumber(section, QStringLiteral("ZoomIndex"), settings.ZoomIndex);
    settings.PageScroll = ini.GetFlag(section, QStringLiteral("PageScroll"), settings.PageScroll);
    settings.ToolBar = ini.GetFlag(section, QStringLiteral("ToolBar"), settings.ToolBar);
    settings.StatusBar = ini.GetFlag(section, QStringLiteral("StatusBar"), settings.StatusBar);
    g_settingsLoaded = true;
}

void WriteViewerSettings(const ViewerSettings& settings) {
    if (!g_settingsLoaded) return;
    SIniFile ini = OpenSettingsFile();
    const QString section = QString::fromLatin1(kViewerSettingsSection);
    ini.PutFlag(section, QStringLiteral("TreePanel"), settings.TreePanel);
    ini.PutNumber(section, QStringLiteral("TreeWidth"), settings.TreeWidth);
    ini.PutFlag(section, QStringLiteral("FormMaximized"), settings.FormMaximized);
    ini.PutNumber(section, QStringLiteral("FormWidth"), settings.FormWidth);
    ini.PutNumber(section, QStringLiteral("FormHeight"), settings.FormHeight);
    ini.PutNumber(section, QStringLiteral("ZoomIndex"), settings.ZoomIndex);
    ini.PutFlag(section, QStringLiteral("PageScroll"), settings.PageScroll);
    ini.PutFlag(section, QStringLiteral("ToolBar"), settings.ToolBar);
    ini.PutFlag(section, QStringLiteral("StatusBar"), settings.StatusBar);
    ini.FlushFile();
}

bool SettingsLoaded() {
    return g_settingsLoaded;
}

bool ResetPending() {
    return g_resetPending;
}

void SetResetPending(bool pending) {
    g_resetPending = pending;
}

void ForgetSettingsState() {
    g_settingsLoaded = false;
    g_resetPending = false;
}

}  // namespace tavlex
