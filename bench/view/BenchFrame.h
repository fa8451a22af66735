#pragma once

// The frame the view benchmarks open their document windows in: the toolbar controls the
// windows expect (hidden), a workspace, default settings and a temporary folder of its own.

#include <QAbstractButton>
#include <QComboBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QToolButton>

#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"
#include "view/ZoomLayout.h"

namespace tavlex::bench {

class BenchFrame : public QMainWindow, public ViewHost {
  public:
    BenchFrame() {
        auto* top = new QWidget(this);
        for (QAbstractButton** b : {&c_.SB_Open, &c_.MarjinBtn, &c_.PrnBtn, &c_.PageScrollBtn,
                                    &c_.SB_JumpTree, &c_.JumpBtn, &c_.StartBtn, &c_.BackBtn,
                                    &c_.NextBtn, &c_.EndBtn, &c_.SmallBtn, &c_.BigBtn}) {
            *b = new QToolButton(top);
            (*b)->setCheckable(true);
        }
        c_.PL_Ritu = new QWidget(top);
        c_.CB_Ritu = new QComboBox(c_.PL_Ritu);
        for (int i = 0; i < kZoomItemCount; ++i) c_.CB_Ritu->addItem(ZoomItemText(i));
        c_.PL_Top = top;
        top->hide();
        area_ = new QMdiArea(this);
        setCentralWidget(area_);
        settings_.FormMaximized = true;
    }
    // The document windows go before the toolbar relay they release.
    ~BenchFrame() override { qDeleteAll(area_->subWindowList()); }
    const FrameControls& Controls() const override { return c_; }
    ToolbarRelay& Relay() override { return relay_; }
    ViewerSettings& Settings() override { return settings_; }
    QString TempFolder() const override { return temp_.path() + QLatin1Char('/'); }
    void OpenCommand() override {}
    void ToolBarToggle() override {}
    void StatusBarToggle() override {}
    void ExitCommand() override {}
    void FixMaximizedChild(QMdiSubWindow*) override {}
    QMdiArea* Area() const { return area_; }

  private:
    FrameControls c_;
    ToolbarRelay relay_;
    ViewerSettings settings_;
    QMdiArea* area_;
    QTemporaryDir temp_;
};

}  // namespace tavlex::bench
