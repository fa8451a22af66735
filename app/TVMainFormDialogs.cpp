// The frame's open and save dialogs.
#include <QFileDialog>
#include <QFileInfo>

#include "app/PageOutput.h"
#include "app/ProcessFolders.h"
#include "app/TVMainForm.h"
#include "support/gui/ShellUtilities.h"

namespace tavlex {
namespace {

// The album file extensions; the first is the open dialog's default.
const QStringList& AlbumExtensions() {
    static const QStringList extensions = {QStringLiteral("YRA"), QStringLiteral("YRB"),
                                           QStringLiteral("YRC"), QStringLiteral("YRD")};
    return extensions;
}

}  // namespace

void TVMainForm::BuildOpenDialog() {
    openDialog_ = new TOpenDialogEx(this);
    openDialog_->setObjectName(QStringLiteral("OpenDialog"));
    // Our own dialog, so that its captions are ours on every desktop.
    openDialog_->setOption(QFileDialog::DontUseNativeDialog, true);
    openDialog_->setFileMode(QFileDialog::ExistingFiles);
    openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    openDialog_->setDefaultSuffix(AlbumExtensions().first());
    QStringList patterns;
    for (const QString& extension : AlbumExtensions()) {
        patterns << QStringLiteral("*.") + extension;
    }
    openDialog_->setNameFilter(QStringLiteral("ブラウザファイル (") + patterns.join(' ') +
                               QLatin1Char(')'));
    // The list shows the caption alone, "ブラウザファイル"; the patterns still filter.
    openDialog_->setOption(QFileDialog::HideNameFilterDetails, true);
    // Album names come from Windows, where case does not count: "a.yra" is an album too.
    openDialog_->setFilter(openDialog_->filter() & ~QDir::CaseSensitive);
    openDialog_->setWindowTitle(QStringLiteral("ブラウザファイルの読み込み"));
    openDialog_->SetOkCaption(QStringLiteral("開く(&O)"));
    openDialog_->SetCancelCaption(QStringLiteral("中止(&C)"));
    openDialog_->setOption(QFileDialog::ReadOnly, true);
    // The albums' folder beside the program the first time; later the folder last chosen.
    if (!ViewFileFolder().isEmpty() && QFileInfo(ViewFileFolder()).isDir()) {
        openDialog_->setDirectory(ViewFileFolder());
    }
}

void TVMainForm::BuildSaveDialog() {
    saveDialog_ = new QFileDialog(this);
    SetUpPageSaveDialog(*saveDialog_, ProgramFolder());
}

}  // namespace tavlex
