#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QPainter;
class QPrintDialog;

namespace tavlex {

class AlbumSettings;
class PagePaintBox;
class TPrinterEnv;
class TViewForm;
struct PageView;
namespace mf {
class Metafile;
}

// The printing commands of one document window: print, printer setup, margins and document
// information, and the printable area drawn over its page. Owned by the window (a child
// object) together with the window's printer environment.
//
// While a print command runs, closing its window or the program is deferred until the command
// has finished, so that no job ever runs on a destroyed document.
class DocumentPrinting : public QObject {
    Q_OBJECT
  public:
    explicit DocumentPrinting(TViewForm& form);
    ~DocumentPrinting() override;

    // Makes one for the window unless it has one already; returns it.
    static DocumentPrinting& Attach(TViewForm& form);
    static DocumentPrinting* Of(const TViewForm& form);
    // A print command runs somewhere in the program.
    static bool PrintCommandRunning();

    TPrinterEnv& PrinterEnv() const { return *env_; }
    TViewForm& Form() const { return form_; }

    void PrnBtnClick();
    void S1Click();
    void MarjinBtnClick();
    void N4Click();
    void ApplyDocumentPaper();
    void AdoptPrinterPaper();
    // True when the printer's paper is the one remembered in `before`.
    bool PrinterMatches(const AlbumSettings& before);

    // Draws the printer's printable area over the page while ShowPrintableArea is set.
    void DrawPrintableArea(QPainter& painter) const;

    // Tests answer the print dialog themselves: the runner gets the prepared dialog.
    using PrintDialogHook = std::function<void(QPrintDialog& dialog)>;
    static void SetPrintDialogHook(PrintDialogHook hook);

  private:
    void PrintRange(int first, int last);
    const mf::Metafile& PrintedPage(int position);
    void RepaintPage() const;

    TViewForm& form_;
    // The window deletes its children in the order they were made, so the page box may be gone
    // before this is; the window itself is half destroyed by then and is not asked for it.
    QPointer<PagePaintBox> box_;
    TPrinterEnv* env_ = nullptr;
    const mf::Metafile* whole_ = nullptr;
};

}  // namespace tavlex
