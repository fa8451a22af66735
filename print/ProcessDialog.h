#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QtGlobal>

#include <functional>

#include "view/TViewForm.h"

namespace tavlex {

// A modal dialog about one document window that the process makes once, on first use, and keeps
// until the application ends. Dialog derives from ProcessDialog<Dialog> and provides FormShow(),
// which fills the dialog from Form() before each showing.
template <class Dialog>
class ProcessDialog : public QDialog {
  public:
    static Dialog& Instance() {
        if (instance_ == nullptr) {
            instance_ = new Dialog();
            qAddPostRoutine([] {
                delete instance_;
                instance_ = nullptr;
            });
        }
        return *instance_;
    }

    // How the modal dialog runs: tests drive it themselves instead of exec().
    using Runner = std::function<void(Dialog& dialog)>;
    static void SetRunner(Runner runner) { runner_ = std::move(runner); }

    // Shows the dialog modally for this document window.
    void Open(TViewForm& form) {
        form_ = &form;
        if (!created_) {
            created_ = true;
            FormCreate(form.window());
        }
        static_cast<Dialog*>(this)->FormShow();
        if (runner_) {
            runner_(static_cast<Dialog&>(*this));
        } else {
            exec();
        }
    }

    // The window the dialog is about; null once it has closed.
    TViewForm* Form() const { return form_; }

  protected:
    ProcessDialog() : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {}

  private:
    // On first showing only: centred on the frame, halves cut toward zero.
    void FormCreate(QWidget* main) {
        if (main == nullptr) return;
        const QRect frame = main->frameGeometry();
        move(frame.left() + (frame.width() - width()) / 2,
             frame.top() + (frame.height() - height()) / 2);
    }

    static inline Dialog* instance_ = nullptr;
    static inline Runner runner_;
    QPointer<TViewForm> form_;
    bool created_ = false;
};

}  // namespace tavlex
