// The frame's toolbar: the shared buttons, the zoom list, and showing or hiding the toolbar and the
// active document window's status bar.
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

#include "app/TVMainForm.h"
#include "app/ToolbarGlyphs.h"
#include "controls/TAlignSpeedButton_Speed.h"
#include "controls/TBevel.h"
#include "controls/TEnablePanel.h"
#include "controls/TLabel_Speed.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "controls/TPaintComboBox.h"
#include "view/TViewForm.h"
#include "view/ToolbarRelay.h"
#include "view/ZoomLayout.h"

namespace tavlex {
namespace {

constexpr int kToolbarHeight = 32;
constexpr int kToolbarBorder = 2;
constexpr int kButtonSize = 28;
constexpr int kZoomPanelWidth = 179;

}  // namespace

TAlignSpeedButton_Speed* TVMainForm::AddButton(const QString& name, const QString& hint, int tag,
                                               ToolbarGlyph glyph, bool toggle) {
    auto* button = new TAlignSpeedButton_Speed(plTop_);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->SetTag(tag);
    button->SetToggle(toggle);
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setIconSize(QSize(20, 20));
    button->setIcon(ToolbarIcon(glyph));
    plTop_->layout()->addWidget(button);
    return button;
}

void TVMainForm::AddSeparator(const QString& name) {
    auto* line = new TBevel(TBevel::Shape::VerticalLine, plTop_);
    line->setObjectName(name);
    line->setFixedHeight(kButtonSize);
    plTop_->layout()->addWidget(line);
}

void TVMainForm::BuildToolbar() {
    plTop_ = new TNoPaintPanel_Speed(central_);
    plTop_->setObjectName(QStringLiteral("PL_Top"));
    plTop_->SetBevelOuter(BevelCut::None);
    plTop_->SetBorderWidth(kToolbarBorder);
    plTop_->SetCaption(QStringLiteral(" "));
    plTop_->setFixedHeight(kToolbarHeight);
    plTop_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    plTop_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* row = new QHBoxLayout(plTop_);
    row->setContentsMargins(kToolbarBorder, kToolbarBorder, kToolbarBorder, kToolbarBorder);
    row->setSpacing(0);

    using G = ToolbarGlyph;
    sbOpen_ = AddButton("SB_Open", "開く", 1, G::Open, false);
    marjinBtn_ = AddButton("MarjinBtn", "マージン調整", 0, G::Margin, false);
    prnBtn_ = AddButton("PrnBtn", "印刷", 1, G::Print, false);
    AddSeparator(QStringLiteral("Bevel2"));
    pageScrollBtn_ = AddButton("PageScrollBtn", "ページを越えてスクロール", 0, G::PageScroll, true);
    AddSeparator(QStringLiteral("Bevel3"));
    sbJumpTree_ = AddButton("SB_JumpTree", "目次", 0, G::Contents, true);
    jumpBtn_ = AddButton("JumpBtn", "頁指定", 0, G::Jump, false);
    startBtn_ = AddButton("StartBtn", "最初の頁", -1, G::Start, false);
    backBtn_ = AddButton("BackBtn", "前の頁", -1, G::Back, false);
    nextBtn_ = AddButton("NextBtn", "次の頁", 1, G::Next, false);
    endBtn_ = AddButton("EndBtn", "最後の頁", 1, G::End, false);
    AddSeparator(QStringLiteral("Bevel1"));
    smallBtn_ = AddButton("SmallBtn", "縮小", 0, G::Small, false);
    bigBtn_ = AddButton("BigBtn", "拡大", 0, G::Big, false);
    BuildZoomPanel();
    row->addWidget(plRitu_);
    row->addStretch(1);

    connect(sbOpen_, &QAbstractButton::clicked, this, [this] { SB_OpenClick(); });
    connect(plTop_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenuPopup();
        popupMenu_->popup(plTop_->mapToGlobal(at));
    });
    controls_ = FrameControls{.SB_Open = sbOpen_,
                              .MarjinBtn = marjinBtn_,
                              .PrnBtn = prnBtn_,
                              .PageScrollBtn = pageScrollBtn_,
                              .SB_JumpTree = sbJumpTree_,
                              .JumpBtn = jumpBtn_,
                              .StartBtn = startBtn_,
                              .BackBtn = backBtn_,
                              .NextBtn = nextBtn_,
                              .EndBtn = endBtn_,
                              .SmallBtn = smallBtn_,
                              .BigBtn = bigBtn_,
                              .PL_Ritu = plRitu_,
                              .CB_Ritu = cbRitu_,
                              .PL_Top = plTop_};
    DisableDocumentControls();
}

void TVMainForm::BuildZoomPanel() {
    plRitu_ = new TEnablePanel(plTop_);
    plRitu_->setObjectName(QStringLiteral("PL_Ritu"));
    plRitu_->SetBevelOuter(BevelCut::None);
    plRitu_->setToolTip(QStringLiteral("表示率"));
    plRitu_->setFixedSize(kZoomPanelWidth, kButtonSize);
    auto* zoomRow = new QHBoxLayout(plRitu_);
    zoomRow->setContentsMargins(0, 0, 4, 0);
    zoomRow->setSpacing(0);
    label1_ = new TLabel_Speed(QStringLiteral("  表示率(&R): "), plRitu_);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setTextFormat(Qt::PlainText);
    label1_->setFixedWidth(
        label1_->fontMetrics().horizontalAdvance(QStringLiteral("  表示率(R): ")));
    cbRitu_ = new TPaintComboBox(plRitu_);
    cbRitu_->setObjectName(QStringLiteral("CB_Ritu"));
    cbRitu_->setEditable(false);
    for (int i = 0; i < kZoomItemCount; ++i) {
        cbRitu_->addItem(ZoomItemText(i));
    }
    cbRitu_->setMaxVisibleItems(kZoomItemCount);
    // Nothing chosen until a document puts its own zoom entry in.
    cbRitu_->setCurrentIndex(-1);
    cbRitu_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    label1_->setBuddy(cbRitu_);
    zoomRow->addWidget(label1_);
    zoomRow->addWidget(cbRitu_, 1);
}

void TVMainForm::SetToolBarVisible(bool visible) {
    plTop_->setVisible(visible);
    bevel_->setVisible(visible);
    // The line belongs above the toolbar.
    if (auto* column = qobject_cast<QVBoxLayout*>(central_->layout())) {
        column->removeWidget(bevel_);
        column->insertWidget(0, bevel_);
    }
}

void TVMainForm::Mn_ToolBarClick() {
    SetToolBarVisible(plTop_->isHidden());
}

void TVMainForm::Mn_StatusBarClick() {
    TViewForm* form = ActiveDocumentWindow();
    if (form != nullptr && form->PL_Bottom() != nullptr) {
        form->PL_Bottom()->setVisible(form->PL_Bottom()->isHidden());
    }
}

}  // namespace tavlex
