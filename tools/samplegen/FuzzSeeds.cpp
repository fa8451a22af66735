#include "tools/samplegen/FuzzSeeds.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <stdexcept>

#include "metafile/EmfWriter.h"
#include "metafile/WmfWriter.h"
#include "support/Text.h"

namespace tavlex::samplegen {
namespace {

using mf::EmfWriter;
using mf::RectL;

EmfWriter Start() {
    EmfWriter::Header header;
    header.frame = RectL{0, 0, 2000, 1500};
    return EmfWriter(header);
}

QByteArray ShapesAndText() {
    EmfWriter w = Start();
    w.SetMapMode(8);  // MM_ANISOTROPIC
    w.SetWindowExtEx(200, 150);
    w.SetViewportExtEx(76, 57);
    w.CreatePen(1, 0, 2, 0x0000FF);
    w.CreateBrushIndirect(2, 2, 0x00FF00, 3);  // hatched
    mf::LogFont font;
    font.height = -20;
    font.charSet = 128;
    font.faceName = QStringLiteral("ＭＳ 明朝");
    w.ExtCreateFontIndirectW(3, font);
    w.SelectObject(1);
    w.SelectObject(2);
    w.Rectangle({10, 10, 90, 60});
    w.Ellipse({100, 10, 190, 60});
    w.MoveToEx(10, 140);
    w.LineTo(190, 70);
    w.SelectObject(3);
    w.SetTextAlign(0);
    w.ExtTextOutW(QPoint(10, 80), QStringLiteral("撮影日 A1"), {20, 20, 20, 10, 10, 10});
    w.DeleteObject(2);
    return w.Finish();
}

QByteArray BitmapAndClip() {
    EmfWriter w = Start();
    QImage image(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) image.setPixel(x, y, qRgb(60 * x, 80 * y, 200));
    w.SaveDC();
    w.IntersectClipRect({5, 5, 60, 50});
    QByteArray halftone;
    mf::PutU32(halftone, 4);
    w.AddRecord(mf::emr::SetStretchBltMode, halftone);
    w.StretchDIBits({0, 0, 76, 57}, image);
    w.RestoreDC();
    w.SetBkColor(0x00FFFF);
    w.SetBkMode(2);                                                            // OPAQUE
    w.ExtTextOutW(QPoint(2, 2), QStringLiteral("Tv"), {}, 2, {0, 0, 30, 12});  // ETO_OPAQUE
    return w.Finish();
}

QByteArray Polys() {
    EmfWriter w = Start();
    w.ExtCreatePen(1, 0x00010000 | 0x00000200, 5, 0x800000);  // geometric, flat cap
    w.CreateBrushIndirect(2, 0, 0x3080C0);
    w.SelectObject(1);
    w.SelectObject(2);
    w.Polygon16({{5, 5}, {70, 10}, {40, 50}});
    w.Polyline({{0, 56}, {20, 30}, {40, 56}, {60, 30}});
    w.SelectObject(mf::kStockObject | 5);  // NULL_BRUSH
    w.Polygon({{10, 10}, {30, 10}, {30, 30}});
    return w.Finish();
}

QByteArray PlaceableWmf() {
    mf::WmfWriter w(mf::WmfWriter::Placeable{0, 0, 1440, 1080, 1440});
    w.SetMapMode(8);
    w.SetWindowOrg(0, 0);
    w.SetWindowExt(1440, 1080);
    const int pen = w.CreatePenIndirect(0, 20, 0x000080);
    const int brush = w.CreateBrushIndirect(0, 0xC0E0F0, 0);
    mf::LogFont font;
    font.height = -200;
    font.charSet = 128;
    font.faceName = QStringLiteral("ＭＳ ゴシック");
    const int text = w.CreateFontIndirect(font);
    w.SelectObject(pen);
    w.SelectObject(brush);
    w.RoundRect(100, 100, 1300, 900, 120, 120);
    w.Polygon({{200, 800}, {700, 300}, {1200, 800}});
    w.SelectObject(text);
    const QByteArray bytes = ToShiftJis(QStringLiteral("測点 No.5"));
    w.ExtTextOut(200, 150, bytes, 0, {}, QVector<std::int32_t>(bytes.size(), 100));
    w.DeleteObject(brush);
    return w.Finish();
}

void Write(const QDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write seed " + name.toStdString());
}

}  // namespace

void WriteFuzzSeeds(const QString& folder) {
    QDir().mkpath(folder);
    const QDir dir(folder);
    Write(dir, QStringLiteral("shapes_text.emf"), ShapesAndText());
    Write(dir, QStringLiteral("bitmap_clip.emf"), BitmapAndClip());
    Write(dir, QStringLiteral("polys.emf"), Polys());
    Write(dir, QStringLiteral("placeable.wmf"), PlaceableWmf());
}

}  // namespace tavlex::samplegen
