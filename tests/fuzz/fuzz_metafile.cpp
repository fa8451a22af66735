// Reading and playback of one metafile page, as the viewer does with every page it is sent,
// into a small image under tight caps so that each input stays quick.

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

#include "metafile/Metafile.h"
#include "tests/fuzz/FuzzPlayLimits.h"

// fontconfig keeps the patterns of every font it was asked for until exit; that is no leak of
// ours, and the fonts an input names vary without end.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Text playback needs the font database, which needs an application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept reachable for the rest of the process, so the leak checker does not count it.
    static QGuiApplication* const app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    tavlex::mf::Metafile metafile;
    try {
        metafile = tavlex::mf::Metafile::Load(bytes);
    } catch (const tavlex::mf::MetafileError&) {
        return 0;
    }
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    tavlex::mf::Play(metafile, painter, QRect(0, 0, 64, 64), tavlex::mf::testing::FuzzPlayLimits());
    return 0;
}
