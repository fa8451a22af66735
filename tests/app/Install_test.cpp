// `cmake --install` into a private prefix: everything a desktop needs is there, the desktop
// entry validates, the MIME rules take the four album extensions in any letter case, and the
// thumbnailer runs as its .thumbnailer file writes it.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QString output;
};

Run Execute(const QString& program, const QStringList& args,
            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        return {-1, QString::fromUtf8(process.readAll())};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

// The MIME type the installed database gives a file name, read from its globs2 as a desktop's
// MIME library reads it: lower-case patterns match in any case unless flagged "cs".
QString MimeTypeOf(const QString& globs2, const QString& name) {
    QFile file(globs2);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    for (const QString& line : lines) {
        if (line.startsWith('#') || line.isEmpty()) continue;
        const QStringList parts = line.split(':');
        if (parts.size() < 3) continue;
        const bool caseSensitive = parts.size() > 3 && parts[3].split(',').contains("cs");
        const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(parts[2]),
                                         caseSensitive ? QRegularExpression::NoPatternOption
                                                       : QRegularExpression::CaseInsensitiveOption);
        if (pattern.match(name).hasMatch()) return parts[1];
    }
    return {};
}

}  // namespace

class InstallTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(prefix_.isValid());
        const Run install =
            Execute("cmake", {"--install", TAVLEX_BINARY_DIR, "--prefix", prefix_.path()});
        QVERIFY2(install.code == 0, qPrintable(install.output));
    }

    void everythingIsInItsPlace_data() {
        QTest::addColumn<QString>("path");
        for (const char* path :
             {"bin/tavlex", "bin/tavlex-album", "share/applications/tavlex.desktop",
              "share/icons/hicolor/scalable/apps/tavlex.svg",
              "share/mime/packages/tavlex-album.xml", "share/thumbnailers/tavlex.thumbnailer",
              "share/tavlex/help/Tavlex.html", "share/tavlex/samples/sample.YRA"}) {
            QTest::newRow(path) << QString::fromLatin1(path);
        }
    }
    void everythingIsInItsPlace() {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo(prefix_.filePath(path)).isFile(), qPrintable(path));
    }

    void theDesktopEntryValidates() {
        const Run run = Execute("desktop-file-validate",
                                {prefix_.filePath("share/applications/tavlex.desktop")});
        QVERIFY2(run.code == 0 && run.output.trimmed().isEmpty(), qPrintable(run.output));
    }

    void albumsOfAnyLetterCaseAreAlbums_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::newRow("x.yra") << "x.yra"
                               << "application/x-tavlex-album";
        QTest::newRow("X.YRD") << "X.YRD"
                               << "application/x-tavlex-album";
        QTest::newRow("写真.Yrb") << "写真.Yrb"
                                  << "application/x-tavlex-album";
        QTest::newRow("a.yrc") << "a.yrc"
                               << "application/x-tavlex-album";
        QTest::newRow("not an album") << "x.yre"
                                      << "";
    }
    void albumsOfAnyLetterCaseAreAlbums() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        static bool built = false;
        if (!built) {
            const Run run = Execute("update-mime-database", {prefix_.filePath("share/mime")});
            QVERIFY2(run.code == 0, qPrintable(run.output));
            built = true;
        }
        QCOMPARE(MimeTypeOf(prefix_.filePath("share/mime/globs2"), name), type);
    }

    void theThumbnailerRunsAsItsFileWritesIt() {
        QSettings entry(prefix_.filePath("share/thumbnailers/tavlex.thumbnailer"),
                        QSettings::IniFormat);
        entry.beginGroup("Thumbnailer Entry");
        QVERIFY(entry.value("MimeType").toString().contains("application/x-tavlex-album"));
        QStringList exec = QProcess::splitCommand(entry.value("Exec").toString());
        QVERIFY(!exec.isEmpty());
        const QString out = prefix_.filePath("thumb.png");
        for (QString& part : exec) {
            part.replace("%i", prefix_.filePath("share/tavlex/samples/sample.YRA"));
            part.replace("%o", out);
            part.replace("%s", "128");
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", prefix_.filePath("bin") + ":" + env.value("PATH"));
        env.insert("XDG_RUNTIME_DIR", prefix_.path());
        env.insert("TMPDIR", prefix_.path());
        const QString program =
            QStandardPaths::findExecutable(exec.takeFirst(), {prefix_.filePath("bin")});
        QVERIFY(program.startsWith(prefix_.path()));
        const Run run = Execute(program, exec, env);
        QVERIFY2(run.code == 0, qPrintable(run.output));
        const QImage image(out);
        QCOMPARE(qMax(image.width(), image.height()), 128);
    }

  private:
    QTemporaryDir prefix_;
};

QTEST_MAIN(InstallTest)
#include "Install_test.moc"
