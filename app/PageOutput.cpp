#include "app/PageOutput.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

#include <stdexcept>

#include "app/ErrorReport.h"
#include "app/PageOutputJob.h"
#include "metafile/Export.h"
#include "metafile/Metafile.h"
#include "support/ScreenResolution.h"
#include "view/TViewForm.h"

namespace tavlex {

namespace {

const QStringList& Filters() {
    static const QStringList filters = {QStringLiteral("エンハンスメタファイル(*.emf) (*.emf)"),
                                        QStringLiteral("Windowsメタファイル(*.wmf) (*.wmf)"),
                                        QStringLiteral("ビットマップ(*.bmp) (*.bmp)")};
    return filters;
}

QString SuffixFor(PageFileType type) {
    switch (type) {
        case PageFileType::Wmf:
            return QStringLiteral("wmf");
        case PageFileType::Bmp:
            return QStringLiteral("bmp");
        case PageFileType::Emf:
            break;
    }
    return QStringLiteral("EMF");
}

// One output at a time: its commands are disabled meanwhile; reached anyway, one refuses as
// commands do here.
bool RefusedWhileOutputRuns() {
    if (!PageOutputJob::Running()) return false;
    QApplication::beep();
    return true;
}

}  // namespace

void SetUpPageSaveDialog(QFileDialog& dialog, const QString& programFolder) {
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The captions name their patterns already: the list does not repeat them.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(Filters());
    dialog.setDefaultSuffix(SuffixFor(PageFileType::Emf));
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    // The extension added to a bare name follows the chosen type, however it was chosen (the
    // dialog's own signal reports the user's choice only).
    if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        QObject::connect(types, &QComboBox::currentIndexChanged, &dialog, [&dialog] {
            dialog.setDefaultSuffix(SuffixFor(SelectedPageFileType(dialog)));
        });
    }
    if (!programFolder.isEmpty()) {
        dialog.setDirectory(programFolder);
        dialog.selectFile(QDir(programFolder).filePath(QStringLiteral("画像")));
    }
}

PageFileType SelectedPageFileType(const QFileDialog& dialog) {
    // With the patterns hidden, some Qt versions report the caption alone: it starts the filter.
    const QString shown = dialog.selectedNameFilter();
    for (qsizetype i = 0; !shown.isEmpty() && i < Filters().size(); ++i) {
        if (Filters()[i].startsWith(shown)) return static_cast<PageFileType>(i + 1);
    }
    return PageFileType::Emf;
}

void WritePage(const mf::Metafile& page, const QString& path, PageFileType type) {
    // The engine's writers go through a temporary file of the same folder and rename it.
    if (type == PageFileType::Bmp) {
        mf::WriteNaturalBitmap(page, ScreenPixelsPerInch(), path);
    } else {
        mf::WriteMetafileFile(page, path);
    }
}

void Mn_FileClick(TViewForm& form, QFileDialog& dialog) {
    if (RefusedWhileOutputRuns() || form.PageMetafile() == nullptr) return;
    const QStringList last = dialog.selectedFiles();
    // The file picked last time stays selected in the dialog's list and would win over the name
    // offered: the selection goes, the name stays without its extension.
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
        if (view->selectionModel() != nullptr) view->selectionModel()->clear();
    }
    if (!last.isEmpty() && !last.first().isEmpty()) {
        const QFileInfo name(last.first());
        dialog.selectFile(name.dir().filePath(name.completeBaseName()));
    }
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList chosen = dialog.selectedFiles();
    // The dialog handled messages: the page may have been turned meanwhile, so it is taken now.
    const mf::Metafile* page = form.PageMetafile();
    if (chosen.isEmpty() || page == nullptr) return;
    const PageFileType type = SelectedPageFileType(dialog);
    try {
        // Written here only when no thread could be had.
        if (!PageOutputJob::StartFile(form, *page, chosen.first(), type))
            WritePage(*page, chosen.first(), type);
    } catch (const std::exception&) {
        ReportError(
            QStringLiteral("%1 に書き込めません").arg(QDir::toNativeSeparators(chosen.first())));
    }
}

void Mn_ClipClick(TViewForm& form) {
    if (RefusedWhileOutputRuns()) return;
    const mf::Metafile* page = form.PageMetafile();
    if (page == nullptr) return;
    std::unique_ptr<QMimeData> data;
    try {
        if (PageOutputJob::StartClipboard(form, *page)) return;
        // No thread to be had: the picture is made here.
        data = mf::MakeClipboardData(*page, ScreenPixelsPerInch());
    } catch (const std::exception&) {
        ReportError(QStringLiteral("クリップボードにコピーできません"));
        return;
    }
    // The name office suites on this desktop look for beside the plain MIME name.
    data->setData(QString::fromLatin1(kQtWindowsEmfMime),
                  data->data(QString::fromLatin1(mf::kEmfMimeType)));
    QGuiApplication::clipboard()->setMimeData(data.release());
}

}  // namespace tavlex
