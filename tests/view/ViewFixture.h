#pragma once

// A stand-in frame with the shared toolbar, and small albums of plain coloured pages, for
// driving real document windows offscreen.

#include <QComboBox>
#include <QDir>
#include <QMainWindow>
#include <QMdiArea>
#include <QPainter>
#include <QStringList>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "album/AlbumWriter.h"
#include "album/PageArrival.h"
#include "metafile/EmfWriter.h"
#include "metafile/Metafile.h"
#include "support/Messages.h"
#include "tests/common/A4Page.h"
#include "view/LoadDocument.h"
#include "view/TViewForm.h"
#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"
#include "view/ZoomLayout.h"

namespace tavlex::test {

class FakeFrame : public QMainWindow, public ViewHost {
  public:
    FakeFrame() {
        auto* top = new QWidget(this);
        auto* row = new QVBoxLayout(top);
        auto button = [&](const char* name, bool checkable = false) {
            auto* b = new QToolButton(top);
            b->setObjectName(QString::fromLatin1(name));
            b->setCheckable(checkable);
            b->setEnabled(false);
            row->addWidget(b);
            return b;
        };
        controls_.SB_Open = button("SB_Open");
        controls_.SB_Open->setEnabled(true);
        controls_.MarjinBtn = button("MarjinBtn");
        controls_.PrnBtn = button("PrnBtn");
        controls_.PageScrollBtn = button("PageScrollBtn", true);
        controls_.SB_JumpTree = button("SB_JumpTree", true);
        controls_.JumpBtn = button("JumpBtn");
        controls_.StartBtn = button("StartBtn");
        controls_.BackBtn = button("BackBtn");
        controls_.NextBtn = button("NextBtn");
        controls_.EndBtn = button("EndBtn");
        controls_.SmallBtn = button("SmallBtn");
        controls_.BigBtn = button("BigBtn");
        controls_.PL_Ritu = new QWidget(top);
        controls_.PL_Ritu->setEnabled(false);
        controls_.CB_Ritu = new QComboBox(controls_.PL_Ritu);
        for (int i = 0; i < kZoomItemCount; ++i) controls_.CB_Ritu->addItem(ZoomItemText(i));
        row->addWidget(controls_.PL_Ritu);
        controls_.PL_Top = top;
        area_ = new QMdiArea(this);
        setCentralWidget(area_);
        setMenuWidget(top);
        top->hide();  // keeps the page area's size independent of the button column
        resize(1200, 900);
        temp_.setAutoRemove(true);
    }

    // The document windows go before the toolbar relay they release, also those closed whose
    // deletion is still queued.
    ~FakeFrame() override {
        qDeleteAll(area_->subWindowList());
        qDeleteAll(area_->findChildren<QMdiSubWindow*>());
    }

    const FrameControls& Controls() const override { return controls_; }
    ToolbarRelay& Relay() override { return relay_; }
    ViewerSettings& Settings() override { return settings_; }
    QString TempFolder() const override { return temp_.path() + QLatin1Char('/'); }
    BodySinkMaker BodySinks() const override { return sinks; }
    void OpenCommand() override { ++opens; }
    void ToolBarToggle() override { controls_.PL_Top->setVisible(controls_.PL_Top->isHidden()); }
    void StatusBarToggle() override {
        if (auto* form = qobject_cast<TViewForm*>(area_->activeSubWindow()))
            form->ToggleStatusBar();
    }
    void ExitCommand() override { close(); }
    void FixMaximizedChild(QMdiSubWindow*) override { ++fixes; }

    QMdiArea* Area() const { return area_; }
    ViewerSettings settings_;
    int opens = 0;
    int fixes = 0;
    BodySinkMaker sinks;  // none: bodies inflate into temporary files as in the viewer

  private:
    FrameControls controls_;
    ToolbarRelay relay_;
    QMdiArea* area_ = nullptr;
    QTemporaryDir temp_;
};

// Records ShowInfo instead of opening a box.
struct MessageRecorder {
    MessageRecorder() {
        previous = SetMessageHandlers({[this](const QString& text) { messages << text; },
                                       [](const QString&) { return false; }});
    }
    ~MessageRecorder() { SetMessageHandlers(previous); }
    QStringList messages;
    MessageHandlers previous;
};

// What each case of a window test starts from: a shown frame of the given size, a private folder
// for its albums, and the messages it shows recorded. Made by init(), gone after cleanup().
struct WindowCase {
    void MakeFrame(int width, int height) {
        frame_ = new FakeFrame;
        frame_->settings_.FormMaximized = false;
        frame_->settings_.FormWidth = width;
        frame_->settings_.FormHeight = height;
        frame_->show();
        dir_ = new QTemporaryDir;
        recorder_ = new MessageRecorder;
    }
    void DropFrame() {
        delete frame_;
        delete dir_;
        delete recorder_;
        frame_ = nullptr;
        dir_ = nullptr;
        recorder_ = nullptr;
    }

    FakeFrame* frame_ = nullptr;
    QTemporaryDir* dir_ = nullptr;
    MessageRecorder* recorder_ = nullptr;
};

// The page played alone onto white, as the window should show it.
inline QImage Played(const mf::Metafile& page, QSize size, const QRect& pageRect) {
    QImage played(size, QImage::Format_RGB32);
    played.fill(Qt::white);
    QPainter painter(&played);
    mf::Play(page, painter, pageRect);
    return played;
}

// An A4 page (794 x 1123 at 96 per inch) in one colour with a black diagonal, so that position
// and scale show in the pixels.
inline QByteArray ColouredPage(const QColor& colour, bool landscape = false,
                               qsizetype leadingComment = 0) {
    mf::EmfWriter::Header header;
    const int w = landscape ? 1123 : 794;
    const int h = landscape ? 794 : 1123;
    header.frame = {0, 0, landscape ? 29700 : 21000, landscape ? 21000 : 29700};
    header.bounds = {0, 0, w - 1, h - 1};
    header.devicePixels = QSize(1920, 1080);
    header.deviceMillimetres = QSize(508, 286);
    mf::EmfWriter writer(header);
    if (leadingComment > 0) writer.Comment(QByteArray(leadingComment, 'c'));
    writer.CreateBrushIndirect(1, 0, mf::ToColorRef(colour));
    writer.SelectObject(1);
    writer.CreatePen(2, 0, 1, mf::ToColorRef(Qt::black));
    writer.SelectObject(2);
    writer.Rectangle({0, 0, w, h});
    writer.MoveToEx(0, 0);
    writer.LineTo(w, h);
    return writer.Finish();
}

// A page that plays for many seconds: the whole sheet filled again and again, in the colour of
// the plain page it stands for.
inline QByteArray SlowPage(const QColor& colour, int fills = 200'000) {
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    writer.CreateBrushIndirect(1, 0, mf::ToColorRef(colour));
    writer.SelectObject(1);
    for (int i = 0; i < fills; ++i) writer.Rectangle({0, 0, 794, 1123});
    return writer.Finish();
}

struct AlbumRecipe {
    int pages = 5;
    int pageOffset = 0;
    std::vector<ContentsRecord> contents;
    std::vector<std::uint8_t> orientations;  // per page, for a 9-byte album
    bool oriented = false;
    std::vector<int> badPages;    // 1-based pages whose bytes are no metafile
    std::vector<int> largePages;  // 1-based pages large enough to be read while they play
    std::vector<int> slowPages;   // 1-based pages that play for many seconds
};

inline QString WriteAlbum(const QTemporaryDir& dir, const QString& name,
                          const AlbumRecipe& recipe) {
    AlbumContents contents = NewA4AlbumContents();
    contents.settings.SetPageOffset(recipe.pageOffset);
    contents.contents = recipe.contents;
    contents.pageOrientation = recipe.oriented;
    std::vector<AlbumPage> pages;
    for (int i = 0; i < recipe.pages; ++i) {
        const std::uint8_t turn = static_cast<std::size_t>(i) < recipe.orientations.size()
                                      ? recipe.orientations[static_cast<std::size_t>(i)]
                                      : 0;
        auto listed = [&](const std::vector<int>& list) {
            return std::find(list.begin(), list.end(), i + 1) != list.end();
        };
        const QColor colour = QColor::fromHsv((i * 40) % 360, 120, 240);
        pages.push_back(
            {listed(recipe.badPages) ? QByteArray(300, 'x')
             : listed(recipe.slowPages)
                 ? SlowPage(colour)
                 : ColouredPage(colour, turn != 0,
                                listed(recipe.largePages) ? PageArrival::kThreadedFrom : 0),
             turn});
    }
    const QString path = dir.filePath(name);
    WriteAlbumFile(path, contents, pages);
    return path;
}

}  // namespace tavlex::test
