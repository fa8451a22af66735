// The document window's commands: page navigation, the page-number dialog, zoom and layout, the
// contents panel and its delayed page change, and binding the frame's shared toolbar.
#include <QAbstractButton>
#include <QComboBox>
#include <QSplitter>
#include <QTimer>

#include <cstdint>
#include <vector>

#include "controls/TCngLstBox.h"
#include "controls/TFocusControl.h"
#include "view/ContentsPanel.h"
#include "view/PageNumberDialog.h"
#include "view/PagePaintBox.h"
#include "view/PageScrollBox.h"
#include "view/TViewForm.h"
#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"
#include "view/ZoomLayout.h"

namespace tavlex {

void TViewForm::UpdateZoomButtons() {
    const FrameControls& frame = host_.Controls();
    EnableControl(frame.BigBtn, CanEnlarge(document_.PageCount, zoomPercent_));
    EnableControl(frame.SmallBtn, CanReduce(document_.PageCount, zoomPercent_));
    UpdateMenuState();
}

void TViewForm::ScrollBoxResize() {
    if (document_.PaperWidth == 0 || document_.PaperHeight == 0) return;
    const QComboBox* list = host_.Controls().CB_Ritu;
    const int index = list ? list->currentIndex() : zoomIndex_;
    const QSize paper = DisplayedPaper(document_.PaperWidth, document_.PaperHeight,
                                       IsPageTurned(document_, document_.CurrentPage));
    if (paper.width() <= 0 || paper.height() <= 0) return;
    const SheetLayout layout =
        LayoutSheet(index, paper, scrollBox_->AreaSize(), scrollBox_->VerticalBarWidth(),
                    scrollBox_->HorizontalBarHeight());
    zoomPercent_ = layout.percent;
    scrollBox_->ApplyLayout(layout);
    paintBox_->update();
    UpdateZoomButtons();
}

void TViewForm::NextBtnClick() {
    if (document_.CurrentPage < document_.PageCount) GoToPage(document_.CurrentPage + 1);
}

void TViewForm::BackBtnClick() {
    if (document_.CurrentPage >= 2) GoToPage(document_.CurrentPage - 1);
}

void TViewForm::StartBtnClick() {
    if (document_.PageCount > 0) GoToPage(1);
}

void TViewForm::EndBtnClick() {
    if (document_.PageCount > 0) GoToPage(document_.PageCount);
}

void TViewForm::Mn_JumpClick() {
    if (document_.PageCount <= 0 || !pagePrompt_) return;
    const std::int64_t offset = document_.PageOffset;
    const QString prompt = QStringLiteral("ﾍﾟｰｼﾞ指定 (%1～%2)")
                               .arg(offset + 1)
                               .arg(std::int64_t{document_.PageCount} + offset);
    const QString preset = QString::number(std::int64_t{document_.CurrentPage} + offset);
    const std::optional<QString> answer = pagePrompt_(QStringLiteral("ﾍﾟｰｼﾞ指定"), prompt, preset);
    if (!answer) return;
    GoToPage(PageFromJumpText(*answer, document_.PageOffset, document_.PageCount));
}

void TViewForm::Mn_PageScrollClick() {
    ViewerSettings& settings = host_.Settings();
    settings.PageScroll = !settings.PageScroll;
    if (QAbstractButton* button = host_.Controls().PageScrollBtn) {
        button->setChecked(settings.PageScroll);
    }
    UpdateMenuState();
}

void TViewForm::Mn_ContentsClick() {
    contents_->setVisible(contents_->isHidden());
    SyncContentsButton();
}

void TViewForm::SyncContentsButton() {
    const bool visible = !contents_->isHidden();
    if (QAbstractButton* button = host_.Controls().SB_JumpTree) button->setChecked(visible);
    // The splitter's handle follows the panel; it comes back to the right of it.
    if (visible && splitter_->sizes().value(0) <= 0) {
        splitter_->setSizes({ContentsPanel::kDefaultWidth, 10000});
    }
    UpdateMenuState();
}

void TViewForm::CB_RituChange(QObject* sender) {
    QComboBox* list = host_.Controls().CB_Ritu;
    if (list) zoomIndex_ = list->currentIndex();
    if (sender && sender == list) {
        if (focusWidget() == focusControl_) focusControl_->clearFocus();
        list->setCurrentIndex(zoomIndex_);
    }
    ScrollBoxResize();
}

void TViewForm::Mn10Click(int tag) {
    if (QComboBox* list = host_.Controls().CB_Ritu) list->setCurrentIndex(tag);
    CB_RituChange(nullptr);
}

void TViewForm::BigBtnClick() {
    if (!ControlEnabled(host_.Controls().BigBtn)) return;
    const int index = EnlargeIndex(zoomPercent_);
    if (index < 0) return;
    Mn10Click(index);
    UpdateZoomButtons();
}

void TViewForm::SmallBtnClick() {
    if (!ControlEnabled(host_.Controls().SmallBtn)) return;
    const int index = ReduceIndex(zoomPercent_);
    if (index < 0) return;
    Mn10Click(index);
    UpdateZoomButtons();
}

void TViewForm::Relay() {
    const FrameControls& frame = host_.Controls();
    std::vector<QMetaObject::Connection> connections;
    auto bind = [&](QAbstractButton* button, auto handler) {
        if (button) {
            connections.push_back(connect(button, &QAbstractButton::clicked, this, handler));
        }
    };
    bind(frame.MarjinBtn, [this] { emit MarjinBtnClicked(); });
    bind(frame.PrnBtn, [this] { emit PrnBtnClicked(); });
    bind(frame.SB_JumpTree, [this] { Mn_ContentsClick(); });
    bind(frame.JumpBtn, [this] { Mn_JumpClick(); });
    bind(frame.StartBtn, [this] { StartBtnClick(); });
    bind(frame.BackBtn, [this] { BackBtnClick(); });
    bind(frame.NextBtn, [this] { NextBtnClick(); });
    bind(frame.EndBtn, [this] { EndBtnClick(); });
    bind(frame.SmallBtn, [this] { SmallBtnClick(); });
    bind(frame.BigBtn, [this] { BigBtnClick(); });
    bind(frame.PageScrollBtn, [this] { Mn_PageScrollClick(); });
    if (QComboBox* list = frame.CB_Ritu) {
        connections.push_back(
            connect(list, &QComboBox::activated, this, [this, list](int) { CB_RituChange(list); }));
    }
    host_.Relay().Bind(this, std::move(connections));
}

void TViewForm::ReleaseToolbar() {
    // Only the window the toolbar acts on takes it down; another window's closing leaves it.
    if (host_.Relay().Release(this)) DisableRelayedControls(host_.Controls());
}

void TViewForm::FormActivate() {
    Relay();
    const FrameControls& frame = host_.Controls();
    if (frame.SB_JumpTree) {
        frame.SB_JumpTree->setEnabled(true);
        frame.SB_JumpTree->setChecked(!contents_->isHidden());
    }
    if (frame.PageScrollBtn) frame.PageScrollBtn->setChecked(host_.Settings().PageScroll);
    if (frame.CB_Ritu) frame.CB_Ritu->setCurrentIndex(zoomIndex_);
    RefreshWindowState();
    host_.FixMaximizedChild(this);
}

void TViewForm::ToggleStatusBar() {
    bottom_->setVisible(bottom_->isHidden());
}

void TViewForm::JumpTreeIndexChange() {
    if (document_.SyncingContents) return;
    timer_->start();
    RefreshWindowState();
}

void TViewForm::TimerTimer() {
    timer_->stop();
    const int index = JumpTree()->ItemIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= document_.ContentsEntries.size()) return;
    const int page = document_.ContentsEntries[static_cast<std::size_t>(index)].Page;
    if (page == document_.CurrentPage) return;
    // An entry pointing outside the album changes nothing.
    if (page < 1 || page > document_.PageCount) return;
    GoToPage(page);
}

}  // namespace tavlex
