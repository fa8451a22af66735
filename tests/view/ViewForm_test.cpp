// The document window driven offscreen: loading, page commands, keys, wheel, menus, closing.
#include <QAbstractButton>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QtEndian>
#include <QtTest>

#include <limits>

#include "ViewFixture.h"
#include "album/BodyFile.h"
#include "controls/TCngLstBox.h"
#include "controls/TFocusControl.h"
#include "view/PageScrollBox.h"
#include "view/PaperPanel.h"

using namespace tavlex;
using namespace tavlex::test;

namespace {

// Resizes the window until the page area's client (without bars) has the given size.
void SizePageArea(TViewForm& form, QSize area) {
    for (int i = 0; i < 3 && form.ScrollBox()->AreaSize() != area; ++i) {
        form.resize(form.size() + area - form.ScrollBox()->AreaSize());
        QCoreApplication::processEvents();
    }
}

void Key(TViewForm& form, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    form.FocusControlKeyDown(&event);
}

void Wheel(QWidget* target, int delta) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class ViewFormTest : public QObject, WindowCase {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void loadShowsFirstPageAndRefreshes();
    void refusalsShowTheirMessage_data();
    void refusalsShowTheirMessage();
    void wholePageInTheA4Example();
    void fitWidthGetsBarAndNarrows();
    void pageCommandsAndButtons();
    void onePageAlbumDisablesNavigation();
    void pageNumberDialog_data();
    void pageNumberDialog();
    void keysScrollAndTurnPages();
    void pageKeysConsumedOnlyWhenActing();
    void wheelTurnsPagesOnlyOverThePage();
    void zoomMenusStepsAndLimits();
    void outputSubmenuNeedsCtrlAndShift();
    void pageScrollToggleIsShared();
    void focusColours();
    void dragScrollsEverySecondMove();
    void turnedPageGetsWideSheet();
    void contentsPanelHidesAndShows();
    void closingLastWindowDisablesToolbar();
    void closingABackgroundWindowKeepsTheToolbar();
    void shortcutsReachTheirCommands();
    void maximisedWindowRelaysToolbar();
    void unreadablePageIsReportedAndPassable();
    void strayPageEntryIsAnInvalidPage();
    void strayFirstPageOpensTheAlbum();
    void unreadableFirstPageKeepsWindowWithoutPage();
    void largePageCutShortIsReportedAndPassable();
    void altKeysMoveTheFocus();
    void creationFollowsSettings();
    void zoomIndexIsPerDocumentAndResizeRelays();

  private:
    TViewForm* Open(const AlbumRecipe& recipe, const QString& name = QStringLiteral("工事A.YRA"));
};

void ViewFormTest::init() {
    MakeFrame(1000, 760);
}

void ViewFormTest::cleanup() {
    DropFrame();
}

TViewForm* ViewFormTest::Open(const AlbumRecipe& recipe, const QString& name) {
    auto* form = new TViewForm(*frame_, frame_->Area());
    form->show();
    frame_->Area()->setActiveSubWindow(form);
    const bool loaded = LoadDocument(*form, WriteAlbum(*dir_, name, recipe));
    if (!loaded) return nullptr;
    QCoreApplication::processEvents();
    return form;
}

void ViewFormTest::loadShowsFirstPageAndRefreshes() {
    AlbumRecipe recipe;
    recipe.pageOffset = 10;
    recipe.contents = {{1, 0, "A"}, {3, 1, "B"}};
    TViewForm* form = Open(recipe);
    QVERIFY(form);
    QCOMPARE(form->Doc().CurrentPage, 1);
    QVERIFY(form->PageMetafile());
    QCOMPARE(form->windowTitle(), QStringLiteral("工事A"));
    QCOMPARE(form->StatusText(0), QStringLiteral("1/2"));
    QCOMPARE(form->StatusText(1), QStringLiteral("11/15"));
    QCOMPARE(form->StatusText(2), QStringLiteral(" 工事A"));
    QVERIFY(form->PL_Paper()->isVisible());
    QCOMPARE(frame_->Controls().CB_Ritu->currentIndex(), 1);
    QVERIFY(frame_->Controls().PL_Ritu->isEnabled());
    QVERIFY(form->FocusControl()->hasFocus() || QApplication::focusWidget() == nullptr);
    QCOMPARE(form->JumpTree()->count(), 2);
    QVERIFY(recorder_->messages.isEmpty());
}

void ViewFormTest::refusalsShowTheirMessage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("create");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "ALBUM.YRA" << false
                             << QStringLiteral("書類名がパラメータとして渡されていません。");
    QTest::newRow("not an album") << "PHOTO.JPG" << true
                                  << QStringLiteral(
                                         "この形式はサポートされていません。 > PHOTO.JPG");
}

void ViewFormTest::refusalsShowTheirMessage() {
    QFETCH(QString, name);
    QFETCH(bool, create);
    QFETCH(QString, message);
    const QString path = dir_->filePath(name);
    if (create) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not an album");
    }
    auto* form = new TViewForm(*frame_, frame_->Area());
    form->show();
    QVERIFY(!LoadDocument(*form, path));
    QCOMPARE(recorder_->messages, QStringList{message});
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!form->PL_Paper()->isVisible());
    delete form;
}

void ViewFormTest::wholePageInTheA4Example() {
    TViewForm* form = Open(AlbumRecipe{});
    SizePageArea(*form, QSize(810, 600));
    QCOMPARE(form->ScrollBox()->AreaSize(), QSize(810, 600));
    QCOMPARE(form->ZoomPercent(), 52);
    QCOMPARE(form->PL_Paper()->geometry(), QRect(199, 6, 412, 583));
    QCOMPARE(form->ScrollBox()->ClientSize(), QSize(810, 600));  // no bars
    // The page area around the white sheet, as drawn: grey while it has the focus.
    const QImage area = form->ScrollBox()->grab().toImage();
    const bool focused = form->FocusControl()->hasFocus();
    QCOMPARE(QColor(area.pixel(100, 300)),
             focused ? QColor(0x80, 0x80, 0x80) : QColor(0xD3, 0xDF, 0xE0));
    QCOMPARE(QColor(area.pixel(199, 300)), QColor(Qt::black));  // the sheet's frame
    QCOMPARE(QColor(area.pixel(200, 300)), focused ? QColor(Qt::black) : QColor(Qt::white));
}

void ViewFormTest::fitWidthGetsBarAndNarrows() {
    TViewForm* form = Open(AlbumRecipe{});
    SizePageArea(*form, QSize(810, 600));
    form->Mn10Click(0);
    const int bar = form->ScrollBox()->VerticalBarWidth();
    const SheetLayout expected = LayoutSheet(0, QSize(794, 1123), QSize(810, 600), bar, bar);
    QVERIFY(expected.verticalBar);
    QVERIFY(form->ScrollBox()->verticalScrollBar()->isVisible());
    QCOMPARE(form->ScrollBox()->ClientSize(), QSize(810 - bar, 600));
    QCOMPARE(form->ZoomPercent(), expected.percent);
    QCOMPARE(form->PL_Paper()->size(), expected.sheet);
    QCOMPARE(form->ScrollBox()->verticalScrollBar()->maximum(), expected.ranges.height() - 600);
    QCOMPARE(form->ZoomIndex(), 0);
}

void ViewFormTest::pageCommandsAndButtons() {
    TViewForm* form = Open(AlbumRecipe{});
    const FrameControls& c = frame_->Controls();
    QVERIFY(!c.StartBtn->isEnabled() && !c.BackBtn->isEnabled());
    QVERIFY(c.NextBtn->isEnabled() && c.EndBtn->isEnabled() && c.JumpBtn->isEnabled());
    c.NextBtn->click();  // relayed to this window
    QCOMPARE(form->Doc().CurrentPage, 2);
    QVERIFY(c.StartBtn->isEnabled() && c.BackBtn->isEnabled());
    c.EndBtn->click();
    QCOMPARE(form->Doc().CurrentPage, 5);
    QVERIFY(!c.NextBtn->isEnabled() && !c.EndBtn->isEnabled());
    form->NextBtnClick();  // at the end: nothing
    QCOMPARE(form->Doc().CurrentPage, 5);
    QCOMPARE(form->StatusText(1), QStringLiteral("5/5"));
    c.BackBtn->click();
    QCOMPARE(form->Doc().CurrentPage, 4);
    c.StartBtn->click();
    QCOMPARE(form->Doc().CurrentPage, 1);
    form->BackBtnClick();
    QCOMPARE(form->Doc().CurrentPage, 1);
}

void ViewFormTest::onePageAlbumDisablesNavigation() {
    AlbumRecipe recipe;
    recipe.pages = 1;
    TViewForm* form = Open(recipe);
    const FrameControls& c = frame_->Controls();
    for (QAbstractButton* b : {c.StartBtn, c.BackBtn, c.NextBtn, c.EndBtn, c.JumpBtn})
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    QVERIFY(c.PrnBtn->isEnabled() && c.MarjinBtn->isEnabled() && c.PageScrollBtn->isEnabled());
    QCOMPARE(form->StatusText(1), QStringLiteral("1/1"));
}

void ViewFormTest::pageNumberDialog_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("page");
    QTest::newRow("13 is page 3") << "13" << false << 3;
    QTest::newRow("below the range") << "3" << false << 1;
    QTest::newRow("beyond the range") << "99" << false << 5;
    QTest::newRow("no digits") << "abc" << false << 1;
    QTest::newRow("leading blanks") << "  14x" << false << 4;
    QTest::newRow("cancel") << "" << true << 2;
}

void ViewFormTest::pageNumberDialog() {
    QFETCH(QString, answer);
    QFETCH(bool, cancel);
    AlbumRecipe recipe;
    recipe.pageOffset = 10;
    TViewForm* form = Open(recipe);
    form->NextBtnClick();
    QStringList asked;
    form->SetPagePrompt([&](const QString& caption, const QString& prompt,
                            const QString& preset) -> std::optional<QString> {
        asked << caption << prompt << preset;
        if (cancel) return std::nullopt;
        return answer;
    });
    frame_->Controls().JumpBtn->click();
    QCOMPARE(asked, (QStringList{QStringLiteral("ﾍﾟｰｼﾞ指定"), QStringLiteral("ﾍﾟｰｼﾞ指定 (11～15)"),
                                 QStringLiteral("12")}));
    QTEST(form->Doc().CurrentPage, "page");
}

void ViewFormTest::keysScrollAndTurnPages() {
    TViewForm* form = Open(AlbumRecipe{});
    SizePageArea(*form, QSize(810, 600));
    form->Mn10Click(0);  // fit width: the page is taller than the view
    PageScrollBox* box = form->ScrollBox();
    const int bottom = box->verticalScrollBar()->maximum();
    QVERIFY(bottom > 60);
    Key(*form, Qt::Key_Down);
    QCOMPARE(box->VerticalPosition(), 30);
    box->SetVerticalPosition(bottom);
    Key(*form, Qt::Key_Down);  // at the bottom: next page, at its top
    QCOMPARE(form->Doc().CurrentPage, 2);
    QCOMPARE(box->VerticalPosition(), 0);
    Key(*form, Qt::Key_Up);  // at the top of page 2: page 1 at its bottom
    QCOMPARE(form->Doc().CurrentPage, 1);
    QCOMPARE(box->VerticalPosition(), bottom);
    Key(*form, Qt::Key_Right);
    QCOMPARE(box->HorizontalPosition(), 0);  // nothing to scroll sideways at fit width

    form->EndBtnClick();
    box->SetVerticalPosition(bottom);
    Key(*form, Qt::Key_Down);  // last page: nothing more
    QCOMPARE(form->Doc().CurrentPage, 5);

    frame_->settings_.PageScroll = false;
    box->SetVerticalPosition(0);
    Key(*form, Qt::Key_Up);
    QCOMPARE(form->Doc().CurrentPage, 5);
}

void ViewFormTest::pageKeysConsumedOnlyWhenActing() {
    TViewForm* form = Open(AlbumRecipe{});
    QKeyEvent up(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    up.ignore();
    form->FocusControlKeyDown(&up);
    QVERIFY(!up.isAccepted());
    QCOMPARE(form->Doc().CurrentPage, 1);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    down.ignore();
    form->FocusControlKeyDown(&down);
    QVERIFY(down.isAccepted());
    QCOMPARE(form->Doc().CurrentPage, 2);
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    home.ignore();
    form->FocusControlKeyDown(&home);
    QVERIFY(!home.isAccepted());
    // The real key path: the focus holder hands keys to the window.
    form->FocusControl()->setFocus();
    QTest::keyClick(form->FocusControl(), Qt::Key_PageDown);
    QCOMPARE(form->Doc().CurrentPage, 3);
}

void ViewFormTest::wheelTurnsPagesOnlyOverThePage() {
    AlbumRecipe recipe;
    recipe.contents = {{1, 0, "A"}, {2, 0, "B"}};
    TViewForm* form = Open(recipe);  // whole page: nothing to scroll
    Wheel(form->ScrollBox()->viewport(), -120);
    QCOMPARE(form->Doc().CurrentPage, 2);
    Wheel(form->ScrollBox()->viewport(), -120);
    QCOMPARE(form->Doc().CurrentPage, 3);
    Wheel(form->ScrollBox()->viewport(), 120);
    QCOMPARE(form->Doc().CurrentPage, 2);
    Wheel(form->JumpTree()->viewport(), -120);
    QCOMPARE(form->Doc().CurrentPage, 2);
    // Fit width: the wheel scrolls lines of 20 pixels first.
    form->Mn10Click(0);
    Wheel(form->ScrollBox()->viewport(), -120);
    QCOMPARE(form->ScrollBox()->VerticalPosition(), QApplication::wheelScrollLines() * 20);
    QCOMPARE(form->Doc().CurrentPage, 2);
}

void ViewFormTest::zoomMenusStepsAndLimits() {
    TViewForm* form = Open(AlbumRecipe{});
    const FrameControls& c = frame_->Controls();
    form->Mn10Click(10);
    QCOMPARE(form->ZoomPercent(), 200);
    QVERIFY(!c.BigBtn->isEnabled() && c.SmallBtn->isEnabled());
    form->Show1Click();
    QVERIFY(!form->MenuItem("Mn_Big")->isEnabled());
    QVERIFY(form->MenuItem("Mn10")->isChecked());
    QVERIFY(!form->MenuItem("Mn1")->isChecked());
    form->BigBtnClick();
    QCOMPARE(form->ZoomPercent(), 200);
    c.SmallBtn->click();
    QCOMPARE(form->ZoomPercent(), 150);
    QCOMPARE(c.CB_Ritu->currentIndex(), 9);
    form->MenuItem("Po2")->trigger();
    QCOMPARE(form->ZoomPercent(), 50);
    QVERIFY(!c.SmallBtn->isEnabled());
    form->PopupMenu_PaperPopup(Qt::NoModifier);
    QVERIFY(!form->MenuItem("Po_Small")->isEnabled());
    QVERIFY(form->MenuItem("Po2")->isChecked());
    // The frame's list picked by the user.
    c.CB_Ritu->setCurrentIndex(7);
    emit c.CB_Ritu->activated(7);
    QCOMPARE(form->ZoomPercent(), 100);
    QCOMPARE(form->PL_Paper()->size(), QSize(794, 1123));
    QCOMPARE(form->ZoomIndex(), 7);
}

void ViewFormTest::outputSubmenuNeedsCtrlAndShift() {
    TViewForm* form = Open(AlbumRecipe{});
    QAction* output = form->MenuItem("Mn_Output");
    for (const auto modifiers :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
          Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        form->PopupMenu_PaperPopup(modifiers);
        QVERIFY(!output->isVisible());
    }
    form->PopupMenu_PaperPopup(Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(output->isVisible());
    QVERIFY(form->MenuItem("Mn_File")->isEnabled());
    // Without a page (it could not be read) they would do nothing: greyed.
    form->AdoptDocument(Document{});
    form->PopupMenu_PaperPopup(Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!form->MenuItem("Mn_File")->isEnabled());
    QVERIFY(!form->MenuItem("Mn_Clip")->isEnabled());
}

void ViewFormTest::pageScrollToggleIsShared() {
    TViewForm* form = Open(AlbumRecipe{});
    QVERIFY(frame_->Controls().PageScrollBtn->isChecked());
    form->MenuItem("Mn_PageScroll")->trigger();
    QVERIFY(!frame_->settings_.PageScroll);
    QVERIFY(!frame_->Controls().PageScrollBtn->isChecked());
    form->N2Click();
    QVERIFY(!form->MenuItem("Mn_PageScroll")->isChecked());
    frame_->Controls().PageScrollBtn->click();
    QVERIFY(frame_->settings_.PageScroll);
    QVERIFY(frame_->Controls().PageScrollBtn->isChecked());
}

void ViewFormTest::focusColours() {
    TViewForm* form = Open(AlbumRecipe{});
    frame_->activateWindow();
    form->FocusControl()->setFocus();
    QCoreApplication::processEvents();
    if (!form->FocusControl()->hasFocus()) QSKIP("no keyboard focus on this platform");
    QCOMPARE(form->PL_Paper()->Color(), QColor(Qt::black));
    QCOMPARE(form->ScrollBox()->Background(), QColor(0x80, 0x80, 0x80));
    form->JumpTree()->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(form->PL_Paper()->Color(), QColor(Qt::white));
    QCOMPARE(form->ScrollBox()->Background(), QColor(0xD3, 0xDF, 0xE0));
}

void ViewFormTest::dragScrollsEverySecondMove() {
    TViewForm* form = Open(AlbumRecipe{});
    form->Mn10Click(10);
    PageScrollBox* box = form->ScrollBox();
    PaperPanel* paper = form->PL_Paper();
    auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, paper->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(paper, &event);
    };
    mouse(QEvent::MouseButtonPress, QPoint(300, 300), Qt::LeftButton);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    mouse(QEvent::MouseMove, QPoint(290, 280), Qt::LeftButton);  // records only
    QCOMPARE(box->HorizontalPosition(), 0);
    mouse(QEvent::MouseMove, QPoint(250, 230), Qt::LeftButton);  // scrolls by the distance
    QCOMPARE(box->HorizontalPosition(), 40);
    QCOMPARE(box->VerticalPosition(), 50);
    mouse(QEvent::MouseMove, QPoint(250, 230), Qt::LeftButton);  // same place: records again
    mouse(QEvent::MouseMove, QPoint(240, 230), Qt::LeftButton);
    QCOMPARE(box->HorizontalPosition(), 50);
    QCOMPARE(box->VerticalPosition(), 50);
    mouse(QEvent::MouseButtonRelease, QPoint(240, 230), Qt::NoButton);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    mouse(QEvent::MouseMove, QPoint(100, 100), Qt::NoButton);
    QCOMPARE(box->HorizontalPosition(), 50);
}

void ViewFormTest::turnedPageGetsWideSheet() {
    AlbumRecipe recipe;
    recipe.pages = 3;
    recipe.oriented = true;
    recipe.orientations = {0, 1, 0};
    TViewForm* form = Open(recipe, QStringLiteral("turn.YRA.QZD"));
    QVERIFY(form->Doc().HasPageOrientation);
    const QSize upright = form->PL_Paper()->size();
    QVERIFY(upright.height() > upright.width());
    form->Mn10Click(10);
    form->ScrollBox()->SetVerticalPosition(100);
    form->NextBtnClick();
    QVERIFY(form->PL_Paper()->width() > form->PL_Paper()->height());
    QCOMPARE(form->ScrollBox()->VerticalPosition(), 0);
    form->NextBtnClick();
    QVERIFY(form->PL_Paper()->height() > form->PL_Paper()->width());
}

void ViewFormTest::contentsPanelHidesAndShows() {
    TViewForm* form = Open(AlbumRecipe{});
    const int before = form->ScrollBox()->width();
    QVERIFY(frame_->Controls().SB_JumpTree->isChecked());
    frame_->Controls().SB_JumpTree->click();
    QCoreApplication::processEvents();
    QVERIFY(form->PL_JumpTree()->isHidden());
    QVERIFY(!frame_->Controls().SB_JumpTree->isChecked());
    QVERIFY(form->ScrollBox()->width() > before);
    form->Show1Click();
    QVERIFY(!form->MenuItem("Mn_Contents")->isChecked());
    form->MenuItem("Mn_Contents")->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!form->PL_JumpTree()->isHidden());
    QCOMPARE(form->ScrollBox()->width(), before);
    QVERIFY(form->PL_JumpTree()->x() < form->ScrollBox()->mapTo(form, QPoint()).x());
}

void ViewFormTest::closingLastWindowDisablesToolbar() {
    TViewForm* first = Open(AlbumRecipe{});
    TViewForm* second = Open(AlbumRecipe{}, QStringLiteral("B.YRA"));
    const FrameControls& c = frame_->Controls();
    second->close();
    QCoreApplication::processEvents();
    frame_->Area()->setActiveSubWindow(first);
    QCoreApplication::processEvents();
    QVERIFY(c.NextBtn->isEnabled());
    c.NextBtn->click();
    QCOMPARE(first->Doc().CurrentPage, 2);
    first->close();
    QCoreApplication::processEvents();
    for (QWidget* w : {static_cast<QWidget*>(c.MarjinBtn), static_cast<QWidget*>(c.PrnBtn),
                       static_cast<QWidget*>(c.SB_JumpTree), static_cast<QWidget*>(c.JumpBtn),
                       static_cast<QWidget*>(c.PageScrollBtn), static_cast<QWidget*>(c.NextBtn),
                       static_cast<QWidget*>(c.BigBtn), c.PL_Ritu})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(c.SB_Open->isEnabled());
    QVERIFY(frame_->Area()->subWindowList().isEmpty());
}

void ViewFormTest::closingABackgroundWindowKeepsTheToolbar() {
    TViewForm* first = Open(AlbumRecipe{});
    TViewForm* second = Open(AlbumRecipe{}, QStringLiteral("B.YRA"));
    QCOMPARE(frame_->Area()->activeSubWindow(), second);
    first->close();
    QCoreApplication::processEvents();
    QCOMPARE(frame_->Area()->activeSubWindow(), second);
    const FrameControls& c = frame_->Controls();
    QVERIFY(c.NextBtn->isEnabled());
    QVERIFY(c.PL_Ritu->isEnabled());
    c.NextBtn->click();
    QCOMPARE(second->Doc().CurrentPage, 2);
}

void ViewFormTest::shortcutsReachTheirCommands() {
    TViewForm* form = Open(AlbumRecipe{});
    frame_->activateWindow();
    form->FocusControl()->setFocus();
    QCoreApplication::processEvents();
    if (!form->FocusControl()->hasFocus()) QSKIP("no keyboard focus on this platform");
    const int before = form->ZoomPercent();
    QTest::keyClick(form->FocusControl(), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(form->ZoomPercent(), ZoomItemPercent(EnlargeIndex(before)));
    QTest::keyClick(form->FocusControl(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(form->ZoomPercent(),
             ZoomItemPercent(ReduceIndex(ZoomItemPercent(EnlargeIndex(before)))));
    form->SetPagePrompt([](const QString&, const QString&, const QString&) {
        return std::optional<QString>(QStringLiteral("4"));
    });
    QTest::keyClick(form->FocusControl(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(form->Doc().CurrentPage, 4);
    QTest::keyClick(form->FocusControl(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(frame_->opens, 1);
    QTest::keyClick(form->FocusControl(), Qt::Key_W, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QVERIFY(frame_->Area()->subWindowList().isEmpty());
}

void ViewFormTest::maximisedWindowRelaysToolbar() {
    frame_->settings_.FormMaximized = true;
    TViewForm* form = Open(AlbumRecipe{});
    QVERIFY(form->isMaximized());
    QCoreApplication::processEvents();
    frame_->Controls().NextBtn->click();
    QCOMPARE(form->Doc().CurrentPage, 2);
    frame_->Controls().CB_Ritu->setCurrentIndex(10);
    emit frame_->Controls().CB_Ritu->activated(10);
    QCOMPARE(form->ZoomPercent(), 200);
}

void ViewFormTest::unreadablePageIsReportedAndPassable() {
    AlbumRecipe recipe;
    recipe.badPages = {2};
    TViewForm* form = Open(recipe);
    form->NextBtnClick();
    QCOMPARE(recorder_->messages, QStringList{QStringLiteral("メタファイルが不正です")});
    QCOMPARE(form->Doc().CurrentPage, 2);
    QVERIFY(!form->PageMetafile());  // blank, not page 1 under page 2's number
    QCOMPARE(form->StatusText(1), QStringLiteral("2/5"));
    QVERIFY(!form->Doc().SyncingContents);
    form->NextBtnClick();
    QCOMPARE(form->Doc().CurrentPage, 3);
    QVERIFY(form->PageMetafile());
}

// An entry pointing outside the body spoils its page alone, in the words of a bad page.
void ViewFormTest::strayPageEntryIsAnInvalidPage() {
    TViewForm* form = Open(AlbumRecipe{});
    form->Doc().PageDirectory[3].Offset = std::numeric_limits<std::int32_t>::max() - 10;
    form->GoToPage(3);
    QCOMPARE(recorder_->messages, QStringList{QStringLiteral("メタファイルが不正です")});
    QVERIFY(!form->PageMetafile());
    form->NextBtnClick();
    QCOMPARE(form->Doc().CurrentPage, 4);
    QVERIFY(form->PageMetafile());
}

// The album opens when its first page's entry points outside the body; that page alone is
// reported.
void ViewFormTest::strayFirstPageOpensTheAlbum() {
    const QString path = WriteAlbum(*dir_, "stray.YRA", AlbumRecipe{});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray album = file.readAll();
    const qint32 bodyLength = qFromLittleEndian<qint32>(album.constData() + 44);
    QByteArray sized(4, '\0');
    qToBigEndian(bodyLength, sized.data());
    QByteArray body = qUncompress(sized + album.mid(48));
    QCOMPARE(body.size(), bodyLength);
    const qint32 contentsLength = qFromLittleEndian<qint32>(body.constData() + kLongSettingsSize);
    const int firstEntry = kLongSettingsSize + 4 + contentsLength + kPageEntrySize;
    qToLittleEndian<qint32>(bodyLength, body.data() + firstEntry);  // page 1 starts at the end
    QVERIFY(file.resize(0));
    file.write(album.left(48) + qCompress(body).mid(4));
    file.close();

    auto* form = new TViewForm(*frame_, frame_->Area());
    form->show();
    QVERIFY(LoadDocument(*form, path));
    QCOMPARE(recorder_->messages, QStringList{QStringLiteral("メタファイルが不正です")});
    QVERIFY(!form->PageMetafile());
    QVERIFY(form->PL_Paper()->isVisible());
    QCOMPARE(form->Doc().CurrentPage, 1);
    form->NextBtnClick();
    QCOMPARE(form->Doc().CurrentPage, 2);
    QVERIFY(form->PageMetafile());
}

void ViewFormTest::unreadableFirstPageKeepsWindowWithoutPage() {
    AlbumRecipe recipe;
    recipe.badPages = {1};
    auto* form = new TViewForm(*frame_, frame_->Area());
    form->show();
    QVERIFY_THROWS_EXCEPTION(mf::MetafileError,
                             LoadDocument(*form, WriteAlbum(*dir_, "bad.YRA", recipe)));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!form->PL_Paper()->isVisible());
    QCOMPARE(frame_->Area()->subWindowList().size(), 1);
}

// A large page plays while its bytes are still being read; when the body file ends early under
// it, the failure is reported and the sheet stays blank, and earlier pages still show.
void ViewFormTest::largePageCutShortIsReportedAndPassable() {
    AlbumRecipe recipe;
    recipe.largePages = {2, 3};
    TViewForm* form = Open(recipe);
    form->NextBtnClick();
    QVERIFY(recorder_->messages.isEmpty());
    QVERIFY(form->PageMetafile());
    QCOMPARE(form->PageMetafile()->StoredBytes().size(), form->Doc().PageDirectory[2].Size);

    const PageEntry& third = form->Doc().PageDirectory[3];
    QVERIFY(QFile::resize(form->Doc().BodyStream->Path(), third.Offset + third.Size / 2));
    form->NextBtnClick();
    QCOMPARE(recorder_->messages.size(), 1);
    QCOMPARE(form->Doc().CurrentPage, 3);
    QVERIFY(!form->PageMetafile());
    QCOMPARE(form->StatusText(1), QStringLiteral("3/5"));

    form->GoToPage(2);
    QCOMPARE(recorder_->messages.size(), 1);
    QVERIFY(form->PageMetafile());
}

void ViewFormTest::altKeysMoveTheFocus() {
    TViewForm* form = Open(AlbumRecipe{});
    frame_->activateWindow();
    form->FocusControl()->setFocus();
    QCoreApplication::processEvents();
    if (!form->FocusControl()->hasFocus()) QSKIP("no keyboard focus on this platform");
    QTest::keyClick(form->FocusControl(), Qt::Key_M, Qt::AltModifier);
    QVERIFY(form->JumpTree()->hasFocus());
    QTest::keyClick(form->JumpTree(), Qt::Key_P, Qt::AltModifier);
    QVERIFY(form->FocusControl()->hasFocus());
}

void ViewFormTest::creationFollowsSettings() {
    ViewerSettings& settings = frame_->settings_;
    settings.TreePanel = false;
    settings.StatusBar = false;
    settings.FormWidth = 700;
    settings.FormHeight = 20;  // both must exceed 20: design size kept
    auto* plain = new TViewForm(*frame_, frame_->Area());
    QVERIFY(plain->PL_JumpTree()->isHidden());
    QVERIFY(plain->PL_Bottom()->isHidden());
    QVERIFY(!frame_->Controls().SB_JumpTree->isChecked());
    QCOMPARE(plain->size(), QSize(793, 533));
    QCOMPARE(plain->windowTitle(), QStringLiteral("無題"));
    settings.TreePanel = true;
    settings.TreeWidth = 300;
    settings.FormHeight = 500;
    auto* sized = new TViewForm(*frame_, frame_->Area());
    sized->show();
    QCOMPARE(sized->size(), QSize(700, 500));
    QCOMPARE(sized->PL_JumpTree()->width(), 300);
    // Without an album a resize lays nothing out.
    sized->resize(650, 450);
    QCOMPARE(sized->ZoomPercent(), 0);
}

void ViewFormTest::zoomIndexIsPerDocumentAndResizeRelays() {
    TViewForm* first = Open(AlbumRecipe{});
    first->Mn10Click(9);
    TViewForm* second = Open(AlbumRecipe{}, QStringLiteral("B.YRA"));
    QCOMPARE(second->ZoomIndex(), 1);  // the setting's entry for a new document
    QCOMPARE(frame_->Controls().CB_Ritu->currentIndex(), 1);
    frame_->Area()->setActiveSubWindow(first);
    QCOMPARE(frame_->Controls().CB_Ritu->currentIndex(), 9);
    QCOMPARE(first->ZoomIndex(), 9);
    frame_->Area()->setActiveSubWindow(second);
    QCOMPARE(frame_->Controls().CB_Ritu->currentIndex(), 1);
    // Whole page follows the window's size.
    const int before = second->ZoomPercent();
    second->resize(second->width(), second->height() - 200);
    QCoreApplication::processEvents();
    QVERIFY(second->ZoomPercent() < before);
    second->MenuItem("Mn_StatusBar")->trigger();  // through the frame's toggle
    QVERIFY(second->PL_Bottom()->isHidden());
}

QTEST_MAIN(ViewFormTest)
#include "ViewForm_test.moc"
