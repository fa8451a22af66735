#include "print/DocumentPrinting.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "album/AlbumError.h"
#include "metafile/Metafile.h"
#include "print/TPrinterEnv.h"
#include "print/TProForm.h"
#include "print/TSetForm.h"
#include "print/core/PrintLoop.h"
#include "print/core/PrintPlan.h"
#include "support/Length.h"
#include "support/Messages.h"
#include "support/ProgramTitle.h"
#include "view/PagePaintBox.h"
#include "view/TViewForm.h"

namespace tavlex {
namespace {

int g_running = 0;  // print commands under way (nested ones are refused)
DocumentPrinting::PrintDialogHook g_dialogHook;

// Holds back closing a window, or the program, while a print command runs, and closes them
// once it has finished.
class CloseGuard : public QObject {
  public:
    static CloseGuard& Instance() {
        static CloseGuard* guard = [] {
            auto* made = new CloseGuard;
            qApp->installEventFilter(made);
            return made;
        }();
        return *guard;
    }
    void Release() {
        const auto pending = std::move(pending_);
        pending_.clear();
        for (const QPointer<QWidget>& widget : pending)
            if (widget) QMetaObject::invokeMethod(widget, "close", Qt::QueuedConnection);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close || g_running == 0 || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        // The document windows and the frame; the progress window and dialogs close freely.
        if (!widget->isWindow() && !qobject_cast<TViewForm*>(widget)) return false;
        if (widget->inherits("QDialog")) return false;
        event->ignore();
        if (!pending_.contains(widget)) pending_.append(widget);
        return true;
    }

  private:
    QList<QPointer<QWidget>> pending_;
};

template <typename F>
struct ScopeExit {
    F f;
    ~ScopeExit() { f(); }
};
template <typename F>
ScopeExit(F) -> ScopeExit<F>;

}  // namespace

DocumentPrinting::DocumentPrinting(TViewForm& form) : QObject(&form), form_(form) {
    setObjectName(QStringLiteral("DocumentPrinting"));
    env_ = new TPrinterEnv(this);
    env_->setObjectName(QStringLiteral("PrinterEnv"));
    connect(&form, &TViewForm::PrnBtnClicked, this, &DocumentPrinting::PrnBtnClick);
    connect(&form, &TViewForm::S1Clicked, this, &DocumentPrinting::S1Click);
    connect(&form, &TViewForm::MarjinBtnClicked, this, &DocumentPrinting::MarjinBtnClick);
    connect(&form, &TViewForm::N4Clicked, this, &DocumentPrinting::N4Click);
    box_ = form.PaintBox();
    box_->SetOverlay([this](QPainter& painter, const PageView&) { DrawPrintableArea(painter); });
    CloseGuard::Instance();
}

DocumentPrinting::~DocumentPrinting() {
    if (box_) box_->SetOverlay({});
}

DocumentPrinting& DocumentPrinting::Attach(TViewForm& form) {
    if (DocumentPrinting* existing = Of(form)) return *existing;
    return *new DocumentPrinting(form);
}

DocumentPrinting* DocumentPrinting::Of(const TViewForm& form) {
    return form.findChild<DocumentPrinting*>(QString(), Qt::FindDirectChildrenOnly);
}

bool DocumentPrinting::PrintCommandRunning() {
    return g_running > 0;
}

void DocumentPrinting::SetPrintDialogHook(PrintDialogHook hook) {
    g_dialogHook = std::move(hook);
}

void DocumentPrinting::RepaintPage() const {
    form_.PaintBox()->repaint();
}

// --- Paper -----------------------------------------------------------------------------------

void DocumentPrinting::ApplyDocumentPaper() {
    const AlbumSettings& settings = form_.Doc().AlbumSettings;
    const int code = settings.PaperCode();
    const int index = env_->IndexOfPaper(code);
    if (index < 0) return;
    env_->SetPaperIndex(index);
    env_->SetOrientation(settings.Orientation() == 0 ? 0 : 1);
    if (code == 0 || code == 256) {
        PrinterSettings& shared = TPrinterEnv::SharedSettings();
        env_->ReadSettings(shared);
        shared.UseBin = false;
        shared.UseCustomSize = true;
        shared.CustomWidth = settings.PaperWidthMm() * 10;
        shared.CustomLength = settings.PaperHeightMm() * 10;
        env_->ApplySettings(shared);
    }
}

void DocumentPrinting::AdoptPrinterPaper() {
    Document& doc = form_.Doc();
    AlbumSettings& settings = doc.AlbumSettings;
    settings.SetPaperCode(env_->PaperCodeAt(env_->CurrentPaperIndex()));
    settings.SetOrientation(static_cast<std::uint8_t>(env_->Orientation()));
    settings.SetPaperWidthMm(static_cast<std::int32_t>(env_->PhysicalWidthMM() / kFixedOne));
    settings.SetPaperHeightMm(static_cast<std::int32_t>(env_->PhysicalHeightMM() / kFixedOne));
    doc.PaperWidth = MillimetresToPixels(FixedMm{settings.PaperWidthMm()} * kFixedOne);
    doc.PaperHeight = MillimetresToPixels(FixedMm{settings.PaperHeightMm()} * kFixedOne);
    form_.ScrollBoxResize();
}

bool DocumentPrinting::PrinterMatches(const AlbumSettings& before) {
    return env_->PaperCodeAt(env_->CurrentPaperIndex()) == before.PaperCode() &&
           env_->Orientation() == before.Orientation() &&
           env_->PhysicalWidthMM() / kFixedOne == before.PaperWidthMm() &&
           env_->PhysicalHeightMM() / kFixedOne == before.PaperHeightMm();
}

// --- Commands --------------------------------------------------------------------------------

void DocumentPrinting::S1Click() {
    if (g_running) {
        QApplication::beep();
        return;
    }
    ApplyDocumentPaper();
    const AlbumSettings before = form_.Doc().AlbumSettings;
    if (!env_->ExecuteSetupDialog()) return;
    if (!PrinterMatches(before)) AdoptPrinterPaper();
}

void DocumentPrinting::PrnBtnClick() {
    Document& doc = form_.Doc();
    if (!form_.PageMetafile() || g_running || env_->Printing()) {
        QApplication::beep();
        return;
    }
    ++g_running;
    ScopeExit running{[] {
        --g_running;
        if (g_running == 0) CloseGuard::Instance().Release();
    }};
    ApplyDocumentPaper();
    doc.ShowPrintableArea = true;
    RepaintPage();
    ScopeExit hideArea{[this] {
        form_.Doc().ShowPrintableArea = false;
        RepaintPage();
    }};

    const DialogNumbering numbering = NumberingFor(doc.PageOffset, doc.PageCount);
    if (numbering.notice) ShowInfo(NegativeOffsetNotice(doc.PageOffset));
    QPrinter& printer = TPrinterEnv::PrinterObject();
    QPrintDialog dialog(&printer, &form_);
    // The PDF output of the dialog is how most albums are handed in, so it stays offered.
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(numbering.minPage, numbering.maxPage);
    dialog.setFromTo(numbering.minPage, numbering.maxPage);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    const AlbumSettings before = doc.AlbumSettings;
    if (g_dialogHook) g_dialogHook(dialog);
    if (!env_->ExecutePrintDialog(dialog)) return;

    int from = printer.fromPage(), to = printer.toPage();
    if (printer.printRange() != QPrinter::PageRange || from <= 0 || to <= 0) {
        from = numbering.minPage;
        to = numbering.maxPage;
    }
    const int first = std::max(1, from - numbering.offset);
    const int last = std::min(doc.PageCount, to - numbering.offset);
    if (!PrinterMatches(before)) AdoptPrinterPaper();
    if (first > last) return;
    PrintRange(first, last);
}

const mf::Metafile& DocumentPrinting::PrintedPage(int position) {
    Document& doc = form_.Doc();
    // The body may still be arriving from the album file: a page is printed whole or not at all.
    if (!form_.WaitForPage(position))
        throw AlbumError(AlbumErrorKind::CannotOpen,
                         QStringLiteral("page %1 could not be read from the album").arg(position));
    doc.CurrentPage = position;
    form_.LoadCurrentPage();
    if (doc.HasPageOrientation) form_.ScrollBoxResize();
    const mf::Metafile* page = form_.PageMetafile();
    if (!page) throw mf::MetafileError(mf::MetafileErrorKind::NotMetafile, "no page was loaded");
    if (page->PendingArrival()) {
        // Printing never plays a page still arriving: wait for all of it.
        if (!page->PendingArrival()(static_cast<std::uint64_t>(page->StoredBytes().size())))
            throw AlbumError(AlbumErrorKind::CannotOpen,
                             QStringLiteral("page %1 could not be read").arg(position));
    }
    return *page;
}

void DocumentPrinting::PrintRange(int first, int last) {
    Document& doc = form_.Doc();
    const int shown = doc.CurrentPage;
    ScopeExit restore{[this, shown] {
        Document& d = form_.Doc();
        d.CurrentPage = shown;
        try {
            form_.LoadCurrentPage();
        } catch (const std::exception&) {
            // The page that showed before printing could be shown then; a failure now leaves
            // the sheet blank, as a failed page turn does.
        }
        if (d.HasPageOrientation) form_.ScrollBoxResize();
        form_.RefreshWindowState();
    }};
    env_->SetTitle(ProgramTitle());
    env_->ProgressBegin(QString(), last - first + 1);

    PrintRun run;
    run.first = first;
    run.last = last;
    run.paperWidth = doc.PaperWidth;
    run.edgeOffsets =
        QMargins(doc.EdgeOffsetLeft, doc.EdgeOffsetTop, doc.EdgeOffsetRight, doc.EdgeOffsetBottom);
    run.hasPageOrientation = doc.HasPageOrientation;
    run.pageOrientation = [this](int position) {
        return form_.Doc().PageDirectory[static_cast<std::size_t>(position)].Orientation == 0 ? 0
                                                                                              : 1;
    };
    run.loadPage = [this](int position) -> const mf::Metafile& { return PrintedPage(position); };
    run.step = [this](int position) { return env_->ProgressStep(position); };
    // Messages are handled while a page plays (on a thread of the loop's) as between pages,
    // and nothing they can reach pulls the job from under the loop or paints on it: the loop
    // plays its own copy of the page, so a page turn or a zoom here only replaces the window's;
    // closing this window or the frame waits for the end (CloseGuard); printing, printer setup
    // and margins refuse while g_running is set, so neither the printer nor its painter is
    // touched; the information dialog is modal, and its loop serves the cancel button as well;
    // windows paint with players of their own, which share only the locked font cache.
    run.playing = [this] { return env_->ProgressService(); };
    run.end = [this] { return env_->ProgressEnd(1); };
    run.close = [this] { env_->ProgressEnd(0); };
    QString failure;
    try {
        RunPrintLoop(*env_, run);
        env_->FinishJobs();
    } catch (const AlbumError& error) {
        failure = error.Message();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (!failure.isEmpty()) {
        try {
            env_->Abort();
            env_->FinishJobs();
        } catch (const std::exception&) {
        }
        ShowInfo(failure);
    }
}

void DocumentPrinting::MarjinBtnClick() {
    if (g_running) {
        // The margin dialog is modal: opened now it would hold the page loop.
        QApplication::beep();
        return;
    }
    ApplyDocumentPaper();
    form_.Doc().ShowPrintableArea = true;
    RepaintPage();
    ScopeExit hideArea{[this] {
        form_.Doc().ShowPrintableArea = false;
        RepaintPage();
    }};
    TSetForm::SetForm().Open(form_);
}

void DocumentPrinting::N4Click() {
    TProForm::ProForm().Open(form_);
}

// --- Printable area --------------------------------------------------------------------------

void DocumentPrinting::DrawPrintableArea(QPainter& painter) const {
    const Document& doc = form_.Doc();
    if (!doc.ShowPrintableArea) return;
    const auto [offX, offY] = env_->PhysicalOffsetMM();
    const FixedMm pw = env_->PrintableWidthMM();
    const FixedMm ph = env_->PrintableHeightMM();
    const int zoom = form_.ZoomPercent();
    // Each product on the four-decimal millimetre value, rounded to four decimals again.
    const auto scaled = [zoom](FixedMm mm) {
        return MillimetresToPixels(
            static_cast<FixedMm>(std::llround(static_cast<double>(mm) * zoom / 100.0)));
    };
    int x0 = scaled(offX), y0 = scaled(offY), w = scaled(pw), h = scaled(ph);
    const auto& dir = doc.PageDirectory;
    const std::size_t page = static_cast<std::size_t>(doc.CurrentPage);
    const bool turned = doc.HasPageOrientation && page < dir.size() && !dir.empty() &&
                        dir[page].Orientation != dir[0].Orientation && !env_->Printing();
    if (turned) {
        std::swap(x0, y0);
        std::swap(w, h);
    }
    const QColor grey(192, 192, 192);
    painter.save();
    painter.resetTransform();
    painter.setClipping(false);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(QPen(grey, 1, Qt::SolidLine));
    painter.setBrush(QBrush(grey, Qt::DiagCrossPattern));
    // The rectangle's right and bottom edges lie inside it, one pixel short of x0 + w, y0 + h.
    painter.drawRect(QRect(x0, y0, std::max(0, w - 1), std::max(0, h - 1)));
    painter.restore();
}

}  // namespace tavlex
