// The document window's controls: contents panel and page area side by side, the status bar under
// the page area, and the page area's invisible focus holder.
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "controls/TCngLstBox.h"
#include "controls/TFocusControl.h"
#include "controls/TLabel_Speed.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "controls/TPanelExt.h"
#include "view/ContentsPanel.h"
#include "view/PagePaintBox.h"
#include "view/PageScrollBox.h"
#include "view/PaperPanel.h"
#include "view/TViewForm.h"

namespace tavlex {

void TViewForm::BuildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("ViewFormClient"));
    client_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(client_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu_PaperPopup(QGuiApplication::queryKeyboardModifiers());
        popup_->popup(client_->mapToGlobal(pos));
    });

    splitter_ = new QSplitter(Qt::Horizontal, client_);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(2);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);
    contents_ = new ContentsPanel(splitter_);
    contents_->SetDocument(&document_);
    panel1_ = new TNoPaintPanel_Speed(splitter_);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->SetBevelOuter(BevelCut::None);
    splitter_->addWidget(contents_);
    splitter_->addWidget(panel1_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({ContentsPanel::kDefaultWidth, 10000});

    BuildPageArea();
    BuildStatusBar();
    auto* panelLayout = new QVBoxLayout(panel1_);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(scrollBox_, 1);
    panelLayout->addWidget(bottom_);
    BuildFocusHolder();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer"));
    timer_->setInterval(200);
    timer_->setSingleShot(true);
    ConnectControls();
}

void TViewForm::BuildPageArea() {
    scrollBox_ = new PageScrollBox(panel1_);
    paper_ = new PaperPanel();
    paintBox_ = new PagePaintBox();
    paper_->SetPaintBox(paintBox_);
    scrollBox_->SetSheet(paper_);
    paper_->hide();
    paintBox_->SetSource([this] {
        PageView view;
        view.metafile = PageMetafile();
        view.generation = pageGeneration_;
        view.page = document_.CurrentPage;
        view.zoomPercent = zoomPercent_;
        view.edgeOffsets = QMargins(document_.EdgeOffsetLeft, document_.EdgeOffsetTop,
                                    document_.EdgeOffsetRight, document_.EdgeOffsetBottom);
        return view;
    });
}

void TViewForm::BuildStatusBar() {
    // PL_Bottom0 and PL_Bottom1 (60 pixels, silver) and PL_Bottom2 (the rest), 2 pixels apart.
    bottom_ = new TNoPaintPanel_Speed(panel1_);
    bottom_->setObjectName(QStringLiteral("PL_Bottom"));
    bottom_->SetBevelOuter(BevelCut::None);
    bottom_->setFixedHeight(20);
    auto* bottomLayout = new QHBoxLayout(bottom_);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(0);
    const QColor silver(0xC0, 0xC0, 0xC0);
    for (int i = 0; i < 3; ++i) {
        auto* field = new TPanelExt(bottom_);
        field->setObjectName(QStringLiteral("PL_Bottom%1").arg(i));
        field->SetBevelOuter(BevelCut::Lowered);
        if (i < 2) {
            field->setFixedWidth(60);
            field->SetColor(silver);
        } else {
            field->SetAlignment(Qt::AlignLeft);
        }
        bottomPanels_[static_cast<std::size_t>(i)] = field;
        bottomLayout->addWidget(field, i == 2 ? 1 : 0);
        if (i < 2) {
            auto* gap = new TPanelExt(bottom_);
            gap->setObjectName(QStringLiteral("PanelExt%1").arg(i + 2));
            gap->SetBevelOuter(BevelCut::None);
            gap->setFixedWidth(2);
            bottomLayout->addWidget(gap);
        }
    }
    // How much of the body has arrived, while it arrives.
    progress_ = new QProgressBar(bottom_);
    progress_->setObjectName(QStringLiteral("PB_Body"));
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    progress_->setFixedWidth(160);
    progress_->hide();
    bottomLayout->addWidget(progress_);
}

void TViewForm::BuildFocusHolder() {
    // Zero wide: FocusControl takes the page area's keys, FocusLabel's Alt+P moves the focus there.
    focusControl_ = new TFocusControl(client_);
    focusControl_->setObjectName(QStringLiteral("FocusControl"));
    focusControl_->setFixedWidth(0);
    focusLabel_ = new TLabel_Speed(QStringLiteral("(&P)"), client_);
    focusLabel_->setObjectName(QStringLiteral("FocusLabel"));
    focusLabel_->setFixedWidth(0);
    focusLabel_->setBuddy(focusControl_);

    auto* layout = new QHBoxLayout(client_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(focusLabel_);
    layout->addWidget(splitter_, 1);
    layout->addWidget(focusControl_);
    setWidget(client_);
}

void TViewForm::ConnectControls() {
    connect(timer_, &QTimer::timeout, this, &TViewForm::TimerTimer);
    connect(scrollBox_, &PageScrollBox::Resized, this, &TViewForm::ScrollBoxResize);
    connect(scrollBox_, &PageScrollBox::WheelTurned, this, &TViewForm::PageAreaWheel);
    connect(paper_, &PaperPanel::MousePressed, this, &TViewForm::ImageOrgMouseDown);
    connect(paper_, &PaperPanel::MouseMoved, this, &TViewForm::ImageOrgMouseMove);
    connect(paper_, &PaperPanel::MouseReleased, this, &TViewForm::ImageOrgMouseUp);
    connect(focusControl_, &TFocusControl::Entered, this, &TViewForm::FocusControlEnter);
    connect(focusControl_, &TFocusControl::Exited, this, &TViewForm::FocusControlExit);
    connect(focusControl_, &TFocusControl::KeyDown, this, &TViewForm::FocusControlKeyDown);
    connect(JumpTree(), &TCngLstBox::IndexChange, this, &TViewForm::JumpTreeIndexChange);
    JumpTree()->installEventFilter(this);
}

}  // namespace tavlex
