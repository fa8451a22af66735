// tavlex-samplegen OUT_DIR [--fuzz-seeds DIR]
// Writes the bundled sample albums OUT_DIR/sample.YRA and OUT_DIR/sample.YRA.QZD; with
// --fuzz-seeds also a few small metafiles for the metafile fuzz target.

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <exception>

#include "album/AlbumWriter.h"
#include "tools/samplegen/FuzzSeeds.h"
#include "tools/samplegen/SampleAlbum.h"

int main(int argc, char** argv) {
    // The photographs' chalk text needs the font database, hence a (window-less) application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString seedsDir;
    if (const qsizetype at = args.indexOf(QStringLiteral("--fuzz-seeds"));
        at >= 0 && at + 1 < args.size()) {
        seedsDir = args[at + 1];
        args.remove(at, 2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: tavlex-samplegen OUT_DIR [--fuzz-seeds DIR]\n");
        return 2;
    }
    try {
        const QDir out(args[0]);
        QDir().mkpath(out.path());
        using tavlex::samplegen::SampleAlbum;
        const SampleAlbum::Album works = SampleAlbum::WorksAlbum();
        tavlex::WriteAlbumFile(out.filePath(QStringLiteral("sample.YRA")), works.contents,
                               works.pages);
        const SampleAlbum::Album turned = SampleAlbum::TurnedPageAlbum();
        tavlex::WriteAlbumFile(out.filePath(QStringLiteral("sample.YRA.QZD")), turned.contents,
                               turned.pages);
        if (!seedsDir.isEmpty()) tavlex::samplegen::WriteFuzzSeeds(seedsDir);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tavlex-samplegen: %s\n", error.what());
        return 1;
    }
    return 0;
}
