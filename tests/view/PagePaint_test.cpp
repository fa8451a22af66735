// Drawing the page: the page rectangle, the kept rendering against playing the page directly.
#include <QPainter>
#include <QtTest>

#include "ViewFixture.h"
#include "metafile/EmfWriter.h"
#include "metafile/Metafile.h"
#include "tests/support/PageRectCases.h"
#include "view/PagePaintBox.h"
#include "view/PageRenderCache.h"

using namespace tavlex;
using namespace tavlex::test;

class PagePaintTest : public QObject {
    Q_OBJECT
  private slots:
    void pageRectangle_data();
    void pageRectangle();
    void nothingBeforeAPageIsLoaded();
    void keptRenderingHasThePlayedPixels_data();
    void keptRenderingHasThePlayedPixels();
    void scrollablePageIsKeptWhenIdle();
    void renderingFollowsWhatChangesThePicture();
    void sharpAtDoubleDensity();
    void overBudgetPlaysWithoutKeeping();
    void photographInPlaceAtDoubleDensity();
};

void PagePaintTest::pageRectangle_data() {
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QMargins>("offsets");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("none") << 50 << QMargins() << QRect(0, 0, 400, 300);
    QTest::newRow("left 3 at 50") << 50 << QMargins(3, 0, 0, 0) << QRect(1, 0, 399, 300);
    QTest::newRow("left -3 at 50") << 50 << QMargins(-3, 0, 0, 0) << QRect(-1, 0, 401, 300);
    // Equal left and right offsets shift the page without changing its width.
    QTest::newRow("left and right 3 at 50") << 50 << QMargins(3, 0, 3, 0) << QRect(1, 0, 400, 300);
    QTest::newRow("top 7 bottom -7 at 100")
        << 100 << QMargins(0, 7, 0, -7) << QRect(0, 7, 400, 286);
    QTest::newRow("all 10 at 52") << 52 << QMargins(10, 10, 10, 10) << QRect(5, 5, 400, 300);
    // The scaled-edge table that printing and the command-line tool are held to as well.
    for (const test::EdgeCase& c : test::kEdgeCases) {
        QTest::newRow(c.what) << c.percent << QMargins(c.offset, c.offset, 0, 0)
                              << QRect(c.scaled, c.scaled, 400 - c.scaled, 300 - c.scaled);
    }
}

void PagePaintTest::pageRectangle() {
    QFETCH(int, zoom);
    QFETCH(QMargins, offsets);
    QTEST(PageRectangle(QSize(400, 300), zoom, offsets), "rect");
}

void PagePaintTest::nothingBeforeAPageIsLoaded() {
    QWidget sheet;
    sheet.setAutoFillBackground(true);
    sheet.setPalette(QPalette(Qt::white));
    auto* box = new PagePaintBox(&sheet);
    box->resize(120, 80);
    box->SetSource([] { return PageView{}; });
    const QImage picture = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(box->Cache().RenderCount(), 0);
    for (int y = 0; y < picture.height(); y += 7)
        for (int x = 0; x < picture.width(); x += 7)
            QCOMPARE(picture.pixel(x, y), picture.pixel(0, 0));
}

namespace {

// A page whose shapes combine with what is beneath them: the XOR of two overlapping boxes.
QByteArray CombiningPage() {
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    writer.CreateBrushIndirect(1, 0, mf::ToColorRef(QColor(200, 40, 90)));
    writer.SelectObject(1);
    writer.Rectangle({50, 50, 600, 800});
    QByteArray xorPen;
    mf::PutU32(xorPen, 7);  // R2_XORPEN
    writer.AddRecord(mf::emr::SetRop2, xorPen);
    writer.Rectangle({300, 400, 760, 1100});
    return writer.Finish();
}

}  // namespace

void PagePaintTest::keptRenderingHasThePlayedPixels_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << ColouredPage(QColor(30, 160, 90));
    QTest::newRow("combining with the destination") << CombiningPage();
}

void PagePaintTest::keptRenderingHasThePlayedPixels() {
    QFETCH(QByteArray, bytes);
    const mf::Metafile page = mf::Metafile::Load(bytes);
    PagePaintBox box;
    box.resize(397, 561);
    const QMargins offsets(6, -4, 2, 8);
    box.SetSource([&] { return PageView{&page, 1, 50, offsets}; });
    const QImage played = Played(page, box.size(), PageRectangle(box.size(), 50, offsets));

    // A full exposure plays the page straight onto the box, nothing kept.
    QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32), played);
    QCOMPARE(box.Cache().RenderCount(), 0);
    // Parts exposed later (scroll steps) come from one kept rendering, with the same pixels.
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.repaint(QRect(10, 20, 100, 50));
    box.repaint(QRect(200, 300, 40, 40));
    QCOMPARE(box.Cache().RenderCount(), 1);
    QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32), played);
    QCOMPARE(box.Cache().RenderCount(), 1);
}

void PagePaintTest::scrollablePageIsKeptWhenIdle() {
    const mf::Metafile page = mf::Metafile::Load(ColouredPage(QColor(90, 60, 200)));
    QWidget area;  // shows only part of the sheet, as the page area at 200 %
    area.resize(150, 120);
    auto* box = new PagePaintBox(&area);
    box->setGeometry(-40, -60, 397, 561);
    box->SetSource([&] { return PageView{&page, 1, 50, QMargins()}; });
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    // Once the window is idle the page is kept, so the first scroll step finds it ready.
    QTRY_COMPARE(box->Cache().RenderCount(), 1);
    box->move(-40, -80);
    QApplication::processEvents();
    box->repaint(QRect(40, 60, 150, 20));
    QCOMPARE(box->Cache().RenderCount(), 1);
    const QImage played = Played(page, box->size(), QRect(0, 0, 397, 561));
    QCOMPARE(box->grab().toImage().convertToFormat(QImage::Format_RGB32), played);
}

void PagePaintTest::renderingFollowsWhatChangesThePicture() {
    const mf::Metafile page = mf::Metafile::Load(ColouredPage(Qt::yellow));
    PageRenderCache cache;
    PageRenderCache::Key key{1, QSize(200, 280), 25, QRect(0, 0, 200, 280), 1};
    cache.Rendering(page, key);
    cache.Rendering(page, key);
    QCOMPARE(cache.RenderCount(), 1);
    QCOMPARE(cache.Bytes(), qsizetype(200 * 280 * 4));
    auto changed = key;
    changed.pageGeneration = 2;  // another page
    cache.Rendering(page, changed);
    changed.pageRect = QRect(1, 0, 200, 280);  // an edge offset moved
    cache.Rendering(page, changed);
    changed.size = QSize(210, 290);  // a new layout
    cache.Rendering(page, changed);
    QCOMPARE(cache.RenderCount(), 4);
    // Only the current rendering is held.
    QCOMPARE(cache.Bytes(), qsizetype(210 * 290 * 4));
    QVERIFY(!cache.Holds(key));
}

void PagePaintTest::sharpAtDoubleDensity() {
    const mf::Metafile page = mf::Metafile::Load(ColouredPage(Qt::cyan));
    PageRenderCache cache;
    const QImage& image = cache.Rendering(page, {1, QSize(100, 140), 12, QRect(0, 0, 100, 140), 2});
    QCOMPARE(image.size(), QSize(200, 280));
    QCOMPARE(image.devicePixelRatio(), 2.0);
    // The diagonal is drawn at device resolution: a one-device-pixel line, not a doubled one.
    int dark = 0;
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, 140)) < 80;
    QVERIFY2(dark >= 1 && dark <= 3, qPrintable(QString::number(dark)));
}

void PagePaintTest::photographInPlaceAtDoubleDensity() {
    // A red photograph in the middle third of a white page.
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    QByteArray halftone;
    mf::PutU32(halftone, 4);  // smoothed stretching, as album pages ask for
    writer.AddRecord(mf::emr::SetStretchBltMode, halftone);
    QImage photo(60, 40, QImage::Format_RGB32);
    photo.fill(QColor(200, 0, 0));
    writer.StretchDIBits({264, 374, 529, 748}, photo);
    const mf::Metafile page = mf::Metafile::Load(writer.Finish());
    PageRenderCache single;
    PageRenderCache twice;
    const QImage one = single.Rendering(page, {1, QSize(397, 561), 50, QRect(0, 0, 397, 561), 1});
    const QImage two = twice.Rendering(page, {1, QSize(397, 561), 50, QRect(0, 0, 397, 561), 2});
    for (const QPoint at : {QPoint(198, 280), QPoint(140, 190), QPoint(60, 100), QPoint(330, 480),
                            QPoint(198, 150), QPoint(198, 420)}) {
        QCOMPARE(QColor(two.pixel(at * 2)), QColor(one.pixel(at)));
    }
}

void PagePaintTest::overBudgetPlaysWithoutKeeping() {
    const mf::Metafile page = mf::Metafile::Load(ColouredPage(QColor(30, 160, 90)));
    PagePaintBox box;
    box.resize(200, 280);
    box.SetSource([&] { return PageView{&page, 1, 25, QMargins()}; });
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.repaint(QRect(0, 0, 50, 50));  // a part: the page is kept
    const QImage kept = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(box.Cache().Bytes() > 0);
    box.SetRenderingBudget(200 * 280 * 4 - 1);
    const QImage played = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(box.Cache().Bytes(), qsizetype(0));
    QCOMPARE(played, kept);
}

QTEST_MAIN(PagePaintTest)
#include "PagePaint_test.moc"
#include "tests/common/A4Page.h"
