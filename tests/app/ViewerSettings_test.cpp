// The viewer's remembered settings in "Tavlex.INI": first run, round trips, recording and
// resetting from a document window, what is written at exit, a file that cannot be written, and
// the temporary bodies removed at exit.
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include "app/ErrorReport.h"
#include "app/ProcessFolders.h"
#include "app/TVMainForm.h"
#include "app/ViewerSettingsFile.h"
#include "controls/TAlignSpeedButton_Speed.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "support/FileError.h"
#include "support/SIniFile.h"
#include "tests/view/ViewFixture.h"

using namespace tavlex;

namespace {

// Records the error report instead of opening a box.
struct ErrorRecorder {
    ErrorRecorder() {
        previous = SetErrorReportHandler([this](const QString& text) { errors << text; });
    }
    ~ErrorRecorder() { SetErrorReportHandler(previous); }
    QStringList errors;
    std::function<void(const QString&)> previous;
};

QString IniPath() {
    return IniFolder() + QStringLiteral("Tavlex.INI");
}

QString Value(const QString& key) {
    return SIniFile(SIniFile::kIniMode, "Tavlex.INI").GetText("View_Env", key, "(none)");
}

}  // namespace

class ViewerSettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        QVERIFY(temp_.isValid());
        QDir(temp_.path()).removeRecursively();
        QDir().mkpath(temp_.filePath("data"));
        SetProcessFolders({temp_.filePath("program"), temp_.filePath("program/VIEWFILE"),
                           temp_.filePath("data")});
        ForgetSettingsState();
        Settings() = ViewerSettings();
    }

    void cleanup() {
        ForgetSettingsState();
        Settings() = ViewerSettings();
    }

    void theFileIsInTheTemporaryFolder() {
        QCOMPARE(IniFolder(), TempFolder());
        QCOMPARE(DefaultIniName(), QStringLiteral("Tavlex.INI"));
    }

    void aFirstRunGivesTheInitialValues() {
        ViewerSettings settings;
        settings.ZoomIndex = 5;  // defaults are the values in memory
        ReadViewerSettings(settings);
        QVERIFY(SettingsLoaded());
        QCOMPARE(settings.ZoomIndex, 5);
        QCOMPARE(settings.TreePanel, true);
        QVERIFY(!QFile::exists(IniPath()));
    }

    void nothingIsWrittenBeforeTheSettingsWereRead() {
        WriteViewerSettings(ViewerSettings());
        QVERIFY(!QFile::exists(IniPath()));
    }

    void valuesRoundTripInTheirOwnForm() {
        ViewerSettings settings;
        ReadViewerSettings(settings);
        settings = {false, 230, false, 800, 600, 7, false, false, false};
        WriteViewerSettings(settings);
        QCOMPARE(Value("TreePanel"), QStringLiteral("0"));
        QCOMPARE(Value("TreeWidth"), QStringLiteral("230"));
        QCOMPARE(Value("FormHeight"), QStringLiteral("600"));
        ViewerSettings back;
        ReadViewerSettings(back);
        QCOMPARE(back.TreePanel, false);
        QCOMPARE(back.TreeWidth, 230);
        QCOMPARE(back.FormMaximized, false);
        QCOMPARE(back.FormWidth, 800);
        QCOMPARE(back.FormHeight, 600);
        QCOMPARE(back.ZoomIndex, 7);
        QCOMPARE(back.PageScroll, false);
        QCOMPARE(back.ToolBar, false);
        QCOMPARE(back.StatusBar, false);
        // Keys of other sections and comments stay.
        QFile file(IniPath());
        QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Append));
        file.write("; kept\n[Other]\nKey=1\n");
        file.close();
        WriteViewerSettings(back);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("; kept"));
        QVERIFY(text.contains("[Other]"));
    }

    void aFailedWriteThrowsWithThePath() {
        ViewerSettings settings;
        ReadViewerSettings(settings);
        QDir(temp_.filePath("data")).removeRecursively();
        try {
            WriteViewerSettings(settings);
            QFAIL("the write succeeded");
        } catch (const FileError& error) {
            QCOMPARE(error.Kind(), FileErrorKind::CannotWrite);
            QCOMPARE(error.Path(), IniPath());
        }
    }

    void theToolbarIsKeptAtExitUnlessTheSettingsWereReset() {
        {
            TVMainForm frame;
            frame.Mn_ToolBarClick();  // hidden
        }
        QCOMPARE(Value("ToolBar"), QStringLiteral("0"));
        ForgetSettingsState();
        Settings() = ViewerSettings();
        {
            TVMainForm frame;
            QVERIFY(frame.PL_Top()->isHidden());
            // Reset, then hide again: the reset values stay in the file.
            const QString album = test::WriteAlbum(temp_, "a.YRA", test::AlbumRecipe{});
            test::MessageRecorder messages;
            TViewForm* form = frame.OpenAlbum(album);
            QVERIFY(form != nullptr);
            form->MenuItem("R1")->trigger();
            QCOMPARE(messages.messages, QStringList{"一部の環境は次回起動時に有効です。"});
            QVERIFY(!frame.PL_Top()->isHidden());
            QVERIFY(ResetPending());
            frame.Mn_ToolBarClick();
        }
        QCOMPARE(Value("ToolBar"), QStringLiteral("1"));
    }

    void recordingTakesTheWindowsLayout() {
        TVMainForm frame;
        frame.show();
        const QString album = test::WriteAlbum(temp_, "a.YRA", test::AlbumRecipe{});
        test::MessageRecorder messages;
        TViewForm* form = frame.OpenAlbum(album);
        QVERIFY(form != nullptr);
        form->SetZoomIndex(4);
        form->PL_Bottom()->hide();
        form->MenuItem("D1")->trigger();
        QCOMPARE(messages.messages, QStringList{"現在の環境を記録しました。"});
        QCOMPARE(Value("ZoomIndex"), QStringLiteral("4"));
        QCOMPARE(Value("StatusBar"), QStringLiteral("0"));
        QCOMPARE(Value("FormMaximized"), QStringLiteral("1"));
        QCOMPARE(Value("FormWidth"), QStringLiteral("0"));  // maximised: no size
        QCOMPARE(Value("FormHeight"), QStringLiteral("0"));

        form->showNormal();
        form->resize(500, 400);
        form->MenuItem("D1")->trigger();
        QCOMPARE(Value("FormMaximized"), QStringLiteral("0"));
        QCOMPARE(Value("FormWidth"), QString::number(form->width()));
        QCOMPARE(Value("FormHeight"), QString::number(form->height()));
    }

    void aRecordThatCannotBeWrittenIsReportedAndNotConfirmed() {
        test::MessageRecorder messages;
        ErrorRecorder errors;  // outlives the frame, whose own write at exit fails too
        TVMainForm frame;
        const QString album = test::WriteAlbum(temp_, "a.YRA", test::AlbumRecipe{});
        TViewForm* form = frame.OpenAlbum(album);
        QVERIFY(form != nullptr);
        // The INI name taken by a folder: no write can replace it.
        QFile::remove(IniPath());
        QVERIFY(QDir().mkpath(IniPath()));
        form->MenuItem("D1")->trigger();
        form->MenuItem("R1")->trigger();
        QCOMPARE(errors.errors.size(), 2);
        QCOMPARE(errors.errors[0], IniPath() + QStringLiteral(" に書き込めません"));
        QVERIFY(messages.messages.isEmpty());
        QVERIFY(!ResetPending());
    }

    void aFrameThatCannotKeepItsSettingsKeepsTheBodies() {
        ErrorRecorder errors;
        {
            TVMainForm frame;
            QFile body(TempFolder() + "Tavlex_3.TMP");
            QVERIFY(body.open(QIODevice::WriteOnly));
            QFile::remove(IniPath());
            QVERIFY(QDir().mkpath(IniPath()));
        }
        QCOMPARE(errors.errors.size(), 1);
        QVERIFY(QFile::exists(TempFolder() + "Tavlex_3.TMP"));
    }

  private:
    QTemporaryDir temp_;
};

QTEST_MAIN(ViewerSettingsTest)
#include "ViewerSettings_test.moc"
