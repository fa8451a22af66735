#include "app/EnvironmentCommands.h"

#include <QSplitter>

#include "album/UserMessage.h"
#include "app/ErrorReport.h"
#include "app/TVMainForm.h"
#include "app/ViewerSettingsFile.h"
#include "controls/TAlignSpeedButton_Speed.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "support/FileError.h"
#include "support/Messages.h"
#include "view/TViewForm.h"

namespace tavlex {

void RecordEnvironment(TViewForm& form) {
    ViewerSettings& settings = form.Host().Settings();
    QWidget* tree = form.PL_JumpTree();
    settings.TreePanel = tree != nullptr && !tree->isHidden();
    settings.TreeWidth = tree != nullptr ? tree->width() : 0;
    settings.FormMaximized = form.isMaximized();
    if (settings.FormMaximized) {
        settings.FormWidth = 0;
        settings.FormHeight = 0;
    } else {
        // The child's outer size: its frame and caption included.
        settings.FormWidth = form.width();
        settings.FormHeight = form.height();
    }
    settings.ZoomIndex = form.ZoomIndex();
    settings.StatusBar = form.PL_Bottom() != nullptr && !form.PL_Bottom()->isHidden();
    try {
        WriteViewerSettings(settings);
    } catch (const FileError& error) {
        ReportError(UserMessage(error.Kind(), error.Path()));
        return;
    }
    ShowInfo(QStringLiteral("現在の環境を記録しました。"));
}

void ResetEnvironment(TViewForm& form, TVMainForm& frame) {
    ViewerSettings& settings = form.Host().Settings();
    settings = ViewerSettings();
    try {
        WriteViewerSettings(settings);
    } catch (const FileError& error) {
        ReportError(UserMessage(error.Kind(), error.Path()));
        return;
    }
    if (frame.PL_Top()->isHidden()) frame.Mn_ToolBarClick();
    if (form.PL_Bottom() != nullptr) form.PL_Bottom()->setVisible(true);
    frame.PageScrollBtn()->setChecked(true);
    SetResetPending(true);
    ShowInfo(QStringLiteral("一部の環境は次回起動時に有効です。"));
}

}  // namespace tavlex
