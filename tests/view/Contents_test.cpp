// The contents panel: page texts, the line that follows the page, drawing, delayed navigation.
#include <QPainter>
#include <QtTest>

#include "ViewFixture.h"
#include "controls/TCngLstBox.h"
#include "view/ContentsPanel.h"

using namespace tavlex;
using namespace tavlex::test;

namespace {

std::vector<ContentsEntry> Entries(std::initializer_list<int> pages) {
    std::vector<ContentsEntry> entries;
    for (int page : pages) entries.push_back({static_cast<std::int16_t>(page), 0});
    entries.push_back({0, 0});
    return entries;
}

// Leftmost column in rect's row band that has the colour.
int FirstColumnOf(const QImage& image, const QColor& colour, int y0, int y1) {
    for (int x = 0; x < image.width(); ++x)
        for (int y = y0; y < y1; ++y)
            if (QColor(image.pixel(x, y)) == colour) return x;
    return -1;
}

}  // namespace

class ContentsTest : public QObject {
    Q_OBJECT
  private slots:
    void pageTexts_data();
    void pageTexts();
    void lineForPage_data();
    void lineForPage();
    void drawnIconsTitlesAndColours();
    void selectionFollowsThePageWithoutNavigating();
    void userSelectionNavigatesAfterPause();
    void leftAndRightTurnPagesInTheList();
};

void ContentsTest::pageTexts_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("text");
    QTest::newRow("first") << 0 << 0 << "1(2)";
    QTest::newRow("second") << 1 << 0 << "3(3)";
    QTest::newRow("last runs to the end") << 2 << 0 << "6(5)";
    QTest::newRow("offset shifts the number") << 1 << 10 << "13(3)";
    QTest::newRow("offset hides pages at or below 0") << 0 << -1 << "";
}

void ContentsTest::pageTexts() {
    QFETCH(int, index);
    QFETCH(int, offset);
    QTEST(ContentsPageText(Entries({1, 3, 6}), 3, index, 10, offset), "text");
    QCOMPARE(ContentsPageText(Entries({1, 2}), 2, 0, 10, 0), QStringLiteral("1"));  // one page
}

void ContentsTest::lineForPage_data() {
    QTest::addColumn<std::vector<int>>("pages");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("line");
    QTest::newRow("inside the second") << std::vector<int>{1, 3, 6} << 4 << 1;
    QTest::newRow("start of the third") << std::vector<int>{1, 3, 6} << 6 << 2;
    QTest::newRow("beyond the last") << std::vector<int>{1, 3, 6} << 9 << 2;
    QTest::newRow("first of two on one page") << std::vector<int>{1, 4, 4} << 4 << 1;
    QTest::newRow("before the first") << std::vector<int>{3, 5} << 1 << 0;
    QTest::newRow("single entry after the page") << std::vector<int>{3} << 1 << 0;
    QTest::newRow("empty") << std::vector<int>{} << 1 << -1;
}

void ContentsTest::lineForPage() {
    QFETCH(std::vector<int>, pages);
    QFETCH(int, page);
    std::vector<ContentsEntry> entries;
    for (int p : pages) entries.push_back({static_cast<std::int16_t>(p), 0});
    entries.push_back({0, 0});
    QTEST(ContentsLineForPage(entries, static_cast<int>(pages.size()), page), "line");
}

void ContentsTest::drawnIconsTitlesAndColours() {
    Document document;
    document.PageCount = 10;
    document.ContentsEntries = {{1, 0}, {3, 1}, {6, 2}, {8, 3}, {0, 0}};
    document.ContentsTexts = {"H", "H", "H", "H"};
    ContentsPanel panel;
    panel.SetDocument(&document);
    panel.Fill();
    QCOMPARE(panel.IndentUnit(), 6);
    QCOMPARE(panel.JumpTree()->ItemHeight(), 16);
    const QColor title(0x5E, 0, 0);
    const QColor green(0, 255, 0);
    const int expectedIcon[] = {3, 3, 15, 27};
    const int expectedTitle[] = {18, 18, 30, 42};
    for (int line = 0; line < 4; ++line) {
        QImage image(225, 16, QImage::Format_RGB32);
        QPainter painter(&image);
        panel.DrawLine(painter, line, image.rect(), QStyle::State_Enabled);
        painter.end();
        // The icon's outline starts at the sheet's left edge, one pixel inside its 16 x 16 box.
        const int iconLeft = FirstColumnOf(image, QColor(64, 64, 64), 0, 16) - 4;
        QCOMPARE(iconLeft, expectedIcon[line]);
        QCOMPARE(FirstColumnOf(image, green, 0, 16) >= 0, line == 0);
        // The title is the first ink right of the icon's sheet (which ends 11 pixels in).
        int titleLeft = -1;
        const QRgb background = image.pixel(224, 0);
        for (int x = iconLeft + 12; x < image.width() && titleLeft < 0; ++x)
            for (int y = 0; y < 16; ++y)
                if (image.pixel(x, y) != background) titleLeft = x;
        bool darkRed = false;
        for (int x = titleLeft; x < titleLeft + 8; ++x)
            for (int y = 0; y < 16; ++y) {
                const QColor c(image.pixel(x, y));
                darkRed = darkRed || (c.red() < 150 && c.red() > c.green() + 25 && c.blue() < 60);
            }
        QVERIFY(darkRed);
        QVERIFY2(titleLeft >= expectedTitle[line] && titleLeft <= expectedTitle[line] + 2,
                 qPrintable(QString::number(titleLeft)));
        // The page number in red comes after the title.
        int red = -1;
        for (int x = titleLeft + 1; x < image.width() && red < 0; ++x)
            for (int y = 0; y < 16; ++y) {
                const QColor c(image.pixel(x, y));
                if (c.red() > 180 && c.green() < 100 && c.blue() < 100) red = x;
            }
        QVERIFY(red > titleLeft);
    }
    // A selected line without the focus: silver, no title colour.
    QImage image(225, 16, QImage::Format_RGB32);
    QPainter painter(&image);
    panel.DrawLine(painter, 1, image.rect(), QStyle::State_Selected);
    painter.end();
    QCOMPARE(QColor(image.pixel(220, 1)), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(FirstColumnOf(image, title, 0, 16), -1);
}

void ContentsTest::selectionFollowsThePageWithoutNavigating() {
    FakeFrame frame;
    frame.settings_.FormMaximized = false;
    frame.show();
    QTemporaryDir dir;
    AlbumRecipe recipe;
    recipe.pages = 10;
    recipe.contents = {{1, 0, "one"}, {3, 0, "three"}, {6, 1, "six"}};
    auto* form = new TViewForm(frame, frame.Area());
    form->show();
    QVERIFY(LoadDocument(*form, WriteAlbum(dir, "c.YRA", recipe)));
    QCOMPARE(form->JumpTree()->ItemIndex(), 0);
    QCOMPARE(form->StatusText(0), QStringLiteral("1/3"));
    form->GoToPage(4);
    QCOMPARE(form->JumpTree()->ItemIndex(), 1);
    QVERIFY(!form->Timer()->isActive());
    form->GoToPage(2);
    form->EndBtnClick();
    QCOMPARE(form->JumpTree()->ItemIndex(), 2);
    QCOMPARE(form->StatusText(0), QStringLiteral("3/3"));
    QTest::qWait(250);
    QCOMPARE(form->Doc().CurrentPage, 10);  // no navigation of the list's own
}

void ContentsTest::userSelectionNavigatesAfterPause() {
    FakeFrame frame;
    frame.show();
    QTemporaryDir dir;
    AlbumRecipe recipe;
    recipe.pages = 10;
    recipe.contents = {{1, 0, "one"}, {3, 0, "three"}, {6, 0, "six"}, {8, 0, "eight"}};
    auto* form = new TViewForm(frame, frame.Area());
    form->show();
    QVERIFY(LoadDocument(*form, WriteAlbum(dir, "c.YRA", recipe)));
    TCngLstBox* list = form->JumpTree();
    list->setCurrentRow(1);  // as a click does
    QCOMPARE(form->Doc().CurrentPage, 1);
    QTRY_COMPARE_WITH_TIMEOUT(form->Doc().CurrentPage, 3, 1000);
    // Three quick moves: only the last line's page is shown.
    list->setCurrentRow(2);
    QTest::qWait(50);
    list->setCurrentRow(3);
    QTest::qWait(50);
    list->setCurrentRow(0);
    QTest::qWait(100);
    QCOMPARE(form->Doc().CurrentPage, 3);
    QTRY_COMPARE_WITH_TIMEOUT(form->Doc().CurrentPage, 1, 1000);
    // The line of the page already shown: nothing happens.
    list->setCurrentRow(1);
    form->GoToPage(3);
    QTest::qWait(250);
    QCOMPARE(form->Doc().CurrentPage, 3);
}

void ContentsTest::leftAndRightTurnPagesInTheList() {
    FakeFrame frame;
    frame.show();
    QTemporaryDir dir;
    AlbumRecipe recipe;
    recipe.contents = {{1, 0, "one"}, {2, 0, "two"}};
    auto* form = new TViewForm(frame, frame.Area());
    form->show();
    frame.Area()->setActiveSubWindow(form);
    QVERIFY(LoadDocument(*form, WriteAlbum(dir, "c.YRA", recipe)));
    TCngLstBox* list = form->JumpTree();
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QVERIFY(!static_cast<QObject*>(form)->eventFilter(list, &left));  // page 1: left to the list
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QVERIFY(static_cast<QObject*>(form)->eventFilter(list, &right));
    QCOMPARE(form->Doc().CurrentPage, 2);
    QVERIFY(static_cast<QObject*>(form)->eventFilter(list, &left));
    QCOMPARE(form->Doc().CurrentPage, 1);
}

QTEST_MAIN(ContentsTest)
#include "Contents_test.moc"
