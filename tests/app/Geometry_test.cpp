// The frame's remembered place: clamping to the desktop, first-run centring, the round trip
// through "Sz_..." sections, a maximised window's normal rectangle, fixed-size windows and the
// visibility-only style.
#include <QDialog>
#include <QDir>
#include <QMainWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "support/SIniFile.h"
#include "support/gui/ShellUtilities.h"
#include "support/gui/TControlSize.h"

using namespace tavlex;

namespace {

QString Stored(const QString& section, const QString& key) {
    return SIniFile(SIniFile::kIniMode, "Tavlex.INI").GetText(section, key, "(none)");
}

}  // namespace

class GeometryTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(dir_.filePath("Tavlex.INI"));
        SetIniFolder(dir_.path() + "/");
        SetDefaultIniName("Tavlex.INI");
        SetApplicationMainWindow(nullptr);
    }

    void clamping_data() {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("desktop");
        QTest::addColumn<QRect>("expected");
        const QRect one(0, 0, 1920, 1080);
        QTest::newRow("inside stays")
            << QRect(100, 100, 800, 600) << one << QRect(100, 100, 800, 600);
        QTest::newRow("past the right edge")
            << QRect(1500, 50, 800, 600) << one << QRect(1120, 50, 800, 600);
        QTest::newRow("above and left")
            << QRect(-300, -40, 800, 600) << one << QRect(0, 0, 800, 600);
        QTest::newRow("wider and taller than the desktop")
            << QRect(10, 10, 2500, 1400) << one << QRect(0, 0, 1920, 1080);
        // A second monitor left of the first: the desktop starts at a negative x.
        const QRect two(-1280, 0, 3200, 1080);
        QTest::newRow("on the left monitor")
            << QRect(-1000, 100, 800, 600) << two << QRect(-1000, 100, 800, 600);
        QTest::newRow("monitor removed")
            << QRect(2500, 100, 800, 600) << one << QRect(1120, 100, 800, 600);
        QTest::newRow("below") << QRect(100, 900, 800, 600) << one << QRect(100, 480, 800, 600);
    }
    void clamping() {
        QFETCH(QRect, stored);
        QFETCH(QRect, desktop);
        QFETCH(QRect, expected);
        QCOMPARE(ClampToDesktop(stored, desktop), expected);
    }

    void aFirstRunCentresTheWindowAndAQuarterDown() {
        QMainWindow form;
        form.setObjectName("VMainForm");
        form.resize(400, 300);
        TControlSize size(&form);
        size.SetControl(&form);
        size.SetScreenSenter(true);
        size.SetStyle(TControlSizeStyle::cssSize);
        form.show();
        const QRect monitor = QGuiApplication::primaryScreen()->geometry();
        const QSize outer = form.frameGeometry().size();
        QCOMPARE(form.frameGeometry().topLeft(),
                 QPoint(monitor.left() + (monitor.width() - outer.width()) / 2,
                        monitor.top() + (monitor.height() - outer.height()) / 4));
        QCOMPARE(size.Section(), QStringLiteral("Sz_VMainForm"));
    }

    void thePlaceRoundTrips() {
        {
            QMainWindow form;
            form.setObjectName("VMainForm");
            TControlSize size(&form);
            size.SetControl(&form);
            size.SetStyle(TControlSizeStyle::cssSize);
            form.show();
            form.setGeometry(120, 80, 420, 310);
            QTest::qWait(20);
            form.close();
        }
        QCOMPARE(Stored("Sz_VMainForm", "szWidth"), QStringLiteral("420"));
        QCOMPARE(Stored("Sz_VMainForm", "szHeight"), QStringLiteral("310"));
        QCOMPARE(Stored("Sz_VMainForm", "szWindowState"), QStringLiteral("0"));
        QMainWindow again;
        again.setObjectName("VMainForm");
        TControlSize size(&again);
        size.SetControl(&again);
        size.SetScreenSenter(true);  // only when nothing is stored
        again.show();
        QCOMPARE(again.size(), QSize(420, 310));
        QCOMPARE(again.pos(), QPoint(Stored("Sz_VMainForm", "szLeft").toInt(),
                                     Stored("Sz_VMainForm", "szTop").toInt()));
    }

    void aMaximisedWindowKeepsItsNormalRectangle() {
        {
            QMainWindow form;
            form.setObjectName("VMainForm");
            TControlSize size(&form);
            size.SetControl(&form);
            form.show();
            form.setGeometry(150, 90, 440, 330);
            QTest::qWait(20);
            form.showMaximized();
            QTRY_VERIFY(form.isMaximized());
            form.close();
        }
        QCOMPARE(Stored("Sz_VMainForm", "szWindowState"), QStringLiteral("1"));
        QCOMPARE(Stored("Sz_VMainForm", "szWidth"), QStringLiteral("440"));
        QCOMPARE(Stored("Sz_VMainForm", "szHeight"), QStringLiteral("330"));
        QMainWindow again;
        again.setObjectName("VMainForm");
        TControlSize size(&again);
        size.SetControl(&again);
        again.show();
        QTRY_VERIFY(again.isMaximized());
        again.showNormal();
        QTRY_COMPARE(again.size(), QSize(440, 330));
    }

    void aFixedSizeDialogKeepsItsSize() {
        SIniFile ini(SIniFile::kIniMode, "Tavlex.INI");
        ini.PutNumber("Sz_Fixed", "szLeft", 30);
        ini.PutNumber("Sz_Fixed", "szTop", 40);
        ini.PutNumber("Sz_Fixed", "szWidth", 900);
        ini.PutNumber("Sz_Fixed", "szHeight", 900);
        QDialog dialog;
        dialog.setObjectName("Fixed");
        dialog.setFixedSize(300, 200);
        TControlSize size(&dialog);
        size.SetControl(&dialog);
        dialog.show();
        QCOMPARE(dialog.size(), QSize(300, 200));
        QCOMPARE(dialog.pos(), QPoint(30, 40));
    }

    void visibilityOnlyOnAFormErasesTheSection() {
        SIniFile ini(SIniFile::kIniMode, "Tavlex.INI");
        ini.PutNumber("Sz_Vis", "szLeft", 30);
        ini.PutNumber("Sz_Vis", "szWidth", 333);
        QMainWindow form;
        form.setObjectName("Vis");
        form.resize(500, 400);
        TControlSize size(&form);
        size.SetControl(&form);
        size.SetStyle(TControlSizeStyle::cssVisible);
        form.show();
        QCOMPARE(form.size(), QSize(500, 400));
        form.close();
        QCOMPARE(Stored("Sz_Vis", "szWidth"), QStringLiteral("(none)"));
        QCOMPARE(Stored("Sz_Vis", "szLeft"), QStringLiteral("(none)"));
    }

    void aControlsPlaceAndVisibilityRoundTrip() {
        QWidget parent;
        parent.resize(400, 300);
        auto* panel = new QWidget(&parent);
        panel->setObjectName("Panel");
        panel->setGeometry(5, 6, 100, 50);
        QString section;
        SIniFile ini(SIniFile::kIniMode, "Tavlex.INI");
        ReadWritePlacement(ini, panel, section, TControlSizeStyle::cssAll, 'W');
        QCOMPARE(section, QStringLiteral("Sz_Panel"));
        QCOMPARE(Stored("Sz_Panel", "szVisible"), QStringLiteral("1"));
        ini.PutNumber("Sz_Panel", "szWidth", 1000);  // wider than the parent allows
        ini.PutFlag("Sz_Panel", "szVisible", false);
        ReadWritePlacement(ini, panel, section, TControlSizeStyle::cssAll, 'R');
        QCOMPARE(panel->geometry(), QRect(5, 6, 390, 50));
        QVERIFY(panel->isHidden());
    }

  private:
    QTemporaryDir dir_;
};

QTEST_MAIN(GeometryTest)
#include "Geometry_test.moc"
