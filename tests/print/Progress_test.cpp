// The print progress window: its bar and caption rules, cancel at each step and at the end, and
// the pause that only a cancel already made skips.
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "print/TPrnForm.h"

using namespace tavlex;

class ProgressTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        pauses_.clear();
        TPrnForm::SetSleeper([this](int ms) {
            pauses_.push_back(ms);
            if (clickDuringPause_) TPrnForm::ProgressWindow().Button()->click();
        });
        clickDuringPause_ = false;
    }
    void cleanup() { TPrnForm::SetSleeper({}); }

    void beginSetsBarAndCaption_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("barMaximum");
        QTest::addColumn<QString>("title");
        QTest::newRow("empty caption") << QString() << 5 << 5 << QStringLiteral("印刷中");
        QTest::newRow("maximum 0") << QStringLiteral("X") << 0 << 1 << QStringLiteral("X");
        QTest::newRow("negative") << QStringLiteral("X") << -4 << 1 << QStringLiteral("X");
    }
    void beginSetsBarAndCaption() {
        QFETCH(QString, caption);
        QFETCH(int, maximum);
        QFETCH(int, barMaximum);
        QFETCH(QString, title);
        TPrnForm& window = TPrnForm::ProgressWindow();
        window.ProgressBegin(caption, maximum);
        QVERIFY(window.isVisible());
        QCOMPARE(window.ProgressBar()->maximum(), barMaximum);
        QCOMPARE(window.ProgressBar()->value(), 1);
        QCOMPARE(window.windowTitle(), title);
        QCOMPARE(window.size(), QSize(323, 74));
        QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
        window.ProgressEnd(0);
        QVERIFY(!window.isVisible());
    }

    void stepShowsCountAndRaisesTheMaximum() {
        TPrnForm& window = TPrnForm::ProgressWindow();
        window.ProgressBegin(QString(), 10);
        QVERIFY(!window.ProgressStep(3));
        QCOMPARE(window.windowTitle(), QStringLiteral("印刷中 3/10"));
        window.ProgressBegin(QStringLiteral("見本"), 5);
        QVERIFY(!window.ProgressStep(1));
        QCOMPARE(window.windowTitle(), QStringLiteral("見本 1/5"));
        window.ProgressBegin(QString(), 3);
        QVERIFY(!window.ProgressStep(7));
        QCOMPARE(window.ProgressBar()->maximum(), 7);
        QCOMPARE(window.windowTitle(), QStringLiteral("印刷中 7/7"));
        QVERIFY(!window.ProgressEnd(1));
        QCOMPARE(pauses_, std::vector<int>{1000});
    }

    void cancelIsSeenByTheNextStepAndSkipsThePause() {
        TPrnForm& window = TPrnForm::ProgressWindow();
        window.ProgressBegin(QString(), 4);
        QVERIFY(!window.ProgressStep(1));
        // The click waits in the queue until the next step processes it.
        QMetaObject::invokeMethod(window.Button(), "click", Qt::QueuedConnection);
        QVERIFY(window.ProgressStep(2));
        QVERIFY(!window.isVisible());
        QVERIFY(window.ProgressEnd(1));
        QVERIFY(pauses_.empty());
        // Showing the window again clears the cancel.
        window.ProgressBegin(QString(), 2);
        QVERIFY(!window.Cancelled());
        QVERIFY(!window.ProgressStep(1));
        window.ProgressEnd(0);
    }

    void cancelDuringTheLastPageOrThePauseCountsAtTheEnd() {
        TPrnForm& window = TPrnForm::ProgressWindow();
        window.ProgressBegin(QString(), 2);
        QVERIFY(!window.ProgressStep(2));
        clickDuringPause_ = true;
        QVERIFY(window.ProgressEnd(1));
        QCOMPARE(pauses_, std::vector<int>{1000});  // the pause was not skipped
        QVERIFY(!window.isVisible());
    }

    void escapeAndCloseAreACancelNotALostWindow() {
        TPrnForm& window = TPrnForm::ProgressWindow();
        window.ProgressBegin(QString(), 2);
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.Cancelled());
        window.ProgressBegin(QString(), 2);
        window.close();
        QVERIFY(window.Cancelled());
        QVERIFY(window.ProgressStep(1));
    }

  private:
    std::vector<int> pauses_;
    bool clickDuringPause_ = false;
};

QTEST_MAIN(ProgressTest)
#include "Progress_test.moc"
