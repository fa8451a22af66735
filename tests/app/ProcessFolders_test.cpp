// The folders fixed at start-up: where the album bodies go and who may read them.
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "app/ProcessFolders.h"

using namespace tavlex;

class ProcessFoldersTest : public QObject {
    Q_OBJECT

  private slots:
    void temporaryFolderIsPerUserAndPrivate() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        QVERIFY(SetUpProcessFolders(QStringLiteral("/opt/tavlex/bin/tavlex")));
        QCOMPARE(ProgramFolder(), QStringLiteral("/opt/tavlex/bin/"));
        QCOMPARE(ViewFileFolder(), QStringLiteral("/opt/tavlex/bin/VIEWFILE/"));
        QCOMPARE(TempFolder(), home.path() + QStringLiteral("/Velmo/TempFiles/Tavlex/"));
        const QFileInfo folder(TempFolder());
        QVERIFY(folder.isDir());
        QCOMPARE(folder.permissions() &
                     (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                      QFileDevice::WriteOther | QFileDevice::ExeGroup | QFileDevice::ExeOther),
                 QFileDevice::Permissions());
    }

    void anUncreatableFolderIsReported() {
        QTemporaryDir home;
        QFile blocker(home.filePath("Velmo"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));  // a file where a folder must go
        blocker.close();
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        QVERIFY(!SetUpProcessFolders(QStringLiteral("/opt/tavlex/bin/tavlex")));
        QCOMPARE(TempFolder(), home.path() + QStringLiteral("/Velmo/TempFiles/Tavlex/"));
    }
};

QTEST_MAIN(ProcessFoldersTest)
#include "ProcessFolders_test.moc"
