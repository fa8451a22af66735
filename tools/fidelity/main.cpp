// tavlex-fidelity-render REFERENCE.tsv METAFILE_DIR OUT_DIR
// Renders every file that has a reference picture into OUT_DIR/<file>.png at the reference's
// width and height over white, and prints one line per file:
//   <file> TAB rendered|stopped|refused|unreadable TAB <milliseconds> TAB <detail>
// Scoring happens elsewhere (bench/metafile/fidelity_scores.py), in one Python process.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <cstdio>

#include "metafile/Metafile.h"

namespace {

struct Entry {
    QString file;
    QSize size;
};

QList<Entry> ReadReferences(const QString& path) {
    QList<Entry> entries;
    QFile table(path);
    if (!table.open(QIODevice::ReadOnly)) return entries;
    table.readLine();  // column names
    while (!table.atEnd()) {
        const QList<QByteArray> columns = table.readLine().trimmed().split('\t');
        if (columns.size() < 3) continue;
        bool okW = false, okH = false;
        const int w = columns[1].toInt(&okW), h = columns[2].toInt(&okH);
        if (okW && okH && w > 0 && h > 0 && w <= 8192 && h <= 8192)
            entries.append({QString::fromUtf8(columns[0]), QSize(w, h)});
    }
    return entries;
}

}  // namespace

int main(int argc, char** argv) {
    // Text needs the font database, which only a GUI application object (window-less here) has.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: tavlex-fidelity-render REFERENCE.tsv METAFILE_DIR OUT_DIR\n");
        return 2;
    }
    const QList<Entry> entries = ReadReferences(args[1]);
    if (entries.isEmpty()) {
        std::fprintf(stderr, "no referenced files in %s\n", qPrintable(args[1]));
        return 2;
    }
    const QDir metafiles(args[2]);
    QDir().mkpath(args[3]);
    const QDir out(args[3]);

    QTextStream stdoutStream(stdout);
    for (const Entry& entry : entries) {
        QElapsedTimer clock;
        clock.start();
        QString status, detail;
        QFile file(metafiles.filePath(entry.file));
        if (!file.open(QIODevice::ReadOnly)) {
            status = QStringLiteral("unreadable");
        } else {
            try {
                const auto metafile = tavlex::mf::Metafile::Load(file.readAll());
                QImage image(entry.size, QImage::Format_RGB32);
                image.fill(Qt::white);
                tavlex::mf::PlayResult result;
                {
                    QPainter painter(&image);
                    // The references were played into the platform rectangle (0, 0, W, H), whose
                    // right and bottom are inclusive; Play takes the viewer's rectangle, whose
                    // right and bottom it takes one pixel inside. One more pixel each way
                    // compares like with like.
                    const QSize reach = entry.size + QSize(1, 1);
                    result = tavlex::mf::Play(metafile, painter, QRect(QPoint(0, 0), reach));
                }
                status = result.complete ? QStringLiteral("rendered") : QStringLiteral("stopped");
                detail = result.stopReason;
                if (!image.save(out.filePath(entry.file + QStringLiteral(".png")), "PNG"))
                    status = QStringLiteral("unwritable");
            } catch (const tavlex::mf::MetafileError& error) {
                status = QStringLiteral("refused");
                detail = QString::fromStdString(error.Detail());
            }
        }
        detail.replace(u'\t', u' ').replace(u'\n', u' ');
        stdoutStream << entry.file << '\t' << status << '\t' << clock.elapsed() << '\t' << detail
                     << '\n';
        stdoutStream.flush();
    }
    return 0;
}
