// The sheet arithmetic of the page area, without widgets.
#include <QtTest>

#include "album/Document.h"
#include "view/ZoomLayout.h"

using namespace tavlex;

namespace {
const QSize kA4(794, 1123);  // 210 x 297 mm at 96 pixels per inch
const QSize kArea(810, 600);
constexpr int kBar = 17;
}  // namespace

class ZoomLayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void everyEntryInTheA4Example_data();
    void everyEntryInTheA4Example();
    void barThatWouldFlipSettlesShown();
    void tinyAreaGivesEmptySheetNotNegative();
    void stepping_data();
    void stepping();
    void buttonLimits();
    void turnedPageExchangesSides();
};

void ZoomLayoutTest::everyEntryInTheA4Example_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("sheet");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QSize>("ranges");
    QTest::addColumn<bool>("vbar");
    QTest::addColumn<bool>("hbar");
    // Fit width: 100 % needs a vertical bar; the narrower client gives 98 %.
    QTest::newRow("fit width") << 0 << 98 << QSize(778, 1100) << QPoint(7, 5) << QSize(790, 1110)
                               << true << false;
    QTest::newRow("whole page") << 1 << 52 << QSize(412, 583) << QPoint(199, 6) << QSize(616, 594)
                                << false << false;
    QTest::newRow("50") << 2 << 50 << QSize(397, 561) << QPoint(206, 15) << QSize(608, 581) << false
                        << false;
    QTest::newRow("60") << 3 << 60 << QSize(476, 673) << QPoint(158, 5) << QSize(639, 683) << true
                        << false;
    QTest::newRow("70") << 4 << 70 << QSize(555, 786) << QPoint(119, 5) << QSize(679, 796) << true
                        << false;
    QTest::newRow("80") << 5 << 80 << QSize(635, 898) << QPoint(79, 5) << QSize(719, 908) << true
                        << false;
    QTest::newRow("90") << 6 << 90 << QSize(714, 1010) << QPoint(39, 5) << QSize(758, 1020) << true
                        << false;
    // The sheet is one pixel wider than the narrowed client: both bars, sheet at 5, 5.
    QTest::newRow("100 actual") << 7 << 100 << QSize(794, 1123) << QPoint(5, 5) << QSize(804, 1133)
                                << true << true;
    QTest::newRow("120") << 8 << 120 << QSize(952, 1347) << QPoint(5, 5) << QSize(962, 1357) << true
                         << true;
    QTest::newRow("150") << 9 << 150 << QSize(1191, 1684) << QPoint(5, 5) << QSize(1201, 1694)
                         << true << true;
    QTest::newRow("200") << 10 << 200 << QSize(1588, 2246) << QPoint(5, 5) << QSize(1598, 2256)
                         << true << true;
    // An index that names no entry (hand-edited settings) is taken as whole page.
    QTest::newRow("out of list") << 11 << 52 << QSize(412, 583) << QPoint(199, 6) << QSize(616, 594)
                                 << false << false;
}

void ZoomLayoutTest::everyEntryInTheA4Example() {
    QFETCH(int, index);
    const SheetLayout layout = LayoutSheet(index, kA4, kArea, kBar, kBar);
    QTEST(layout.percent, "percent");
    QTEST(layout.sheet, "sheet");
    QTEST(layout.origin, "origin");
    QTEST(layout.ranges, "ranges");
    QTEST(layout.verticalBar, "vbar");
    QTEST(layout.horizontalBar, "hbar");
}

void ZoomLayoutTest::barThatWouldFlipSettlesShown() {
    // Without a bar the sheet is one pixel too tall; with it the narrower fit makes it fit.
    const SheetLayout layout = LayoutSheet(0, QSize(100, 100), QSize(400, 399), kBar, kBar);
    QVERIFY(layout.verticalBar);
    QVERIFY(!layout.horizontalBar);
    QCOMPARE(layout.client, QSize(383, 399));
    QCOMPARE(layout.percent, 373);
    QVERIFY(layout.ranges.width() <= layout.client.width());
}

void ZoomLayoutTest::tinyAreaGivesEmptySheetNotNegative() {
    const SheetLayout layout = LayoutSheet(1, kA4, QSize(8, 8), kBar, kBar);
    QVERIFY(layout.percent <= 0);
    QCOMPARE(layout.sheet, QSize(0, 0));
    QCOMPARE(layout.origin, QPoint(5, 5));
}

void ZoomLayoutTest::stepping_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("down");
    QTest::newRow("computed 87") << 87 << 6 << 5;
    QTest::newRow("computed 40") << 40 << 2 << -1;
    QTest::newRow("computed 230") << 230 << -1 << 10;
    QTest::newRow("50") << 50 << 3 << -1;
    QTest::newRow("100") << 100 << 8 << 6;
    QTest::newRow("200") << 200 << -1 << 9;
}

void ZoomLayoutTest::stepping() {
    QFETCH(int, percent);
    QTEST(EnlargeIndex(percent), "up");
    QTEST(ReduceIndex(percent), "down");
}

void ZoomLayoutTest::buttonLimits() {
    QVERIFY(!CanEnlarge(3, 200));
    QVERIFY(CanEnlarge(3, 199));
    QVERIFY(!CanReduce(3, 50));
    QVERIFY(CanReduce(3, 51));
    QVERIFY(!CanEnlarge(0, 100));
    QVERIFY(!CanReduce(0, 100));
    QVERIFY(CanEnlarge(3, 40) && !CanReduce(3, 40));
}

void ZoomLayoutTest::turnedPageExchangesSides() {
    Document document;
    document.HasPageOrientation = true;
    document.PageDirectory = {PageEntry{0, 2, 0}, PageEntry{0, 1, 0}, PageEntry{1, 1, 1}};
    QVERIFY(!IsPageTurned(document, 1));
    QVERIFY(IsPageTurned(document, 2));
    QVERIFY(!IsPageTurned(document, 3));  // no such page
    document.HasPageOrientation = false;
    QVERIFY(!IsPageTurned(document, 2));

    const QSize turned = DisplayedPaper(794, 1123, true);
    QCOMPARE(turned, QSize(1123, 794));
    // Whole page of the turned A4 sheet: width now limits (800 / 1123 -> 71 %).
    const SheetLayout layout = LayoutSheet(1, turned, kArea, kBar, kBar);
    QCOMPARE(layout.percent, 71);
    QCOMPARE(layout.sheet, QSize(797, 563));
}

QTEST_APPLESS_MAIN(ZoomLayoutTest)
#include "ZoomLayout_test.moc"
