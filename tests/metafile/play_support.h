#pragma once

#include "metafile/EmfWriter.h"
#include "metafile/Metafile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "tests/common/GuiTestEnvironment.h"

#include <functional>

// fontconfig keeps its pattern caches until exit; the leak checker must not count them.
extern "C" inline const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so";
}

namespace tavlex::mf::testing {

// A reference device of 10 pixels per millimetre and a frame of 100 x 100 device pixels, so that
// a 101 x 101 target shows device pixels one to one (the right and bottom edges are inclusive).
inline EmfWriter::Header SquareHeader() {
    EmfWriter::Header h;
    h.bounds = {0, 0, 100, 100};
    h.frame = {0, 0, 1000, 1000};
    h.devicePixels = QSize(1000, 1000);
    h.deviceMillimetres = QSize(100, 100);
    return h;
}

inline QByteArray BuildEmf(const std::function<void(EmfWriter&)>& body,
                           const EmfWriter::Header& header = SquareHeader()) {
    EmfWriter w(header);
    body(w);
    return w.Finish();
}

inline QImage Render(const QByteArray& emf, const QRect& target = QRect(0, 0, 101, 101),
                     QSize size = QSize(101, 101), PlayResult* result = nullptr,
                     const PlayLimits& limits = {}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const PlayResult r = Play(Metafile::Load(emf), painter, target, limits);
    painter.end();
    if (result) *result = r;
    return image;
}

inline bool IsInk(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 200 || qRed(image.pixel(x, y)) < 200 ||
           qBlue(image.pixel(x, y)) < 200;
}

// Columns (or rows) with ink inside a band of the other axis.
inline std::vector<int> InkColumns(const QImage& image, int y0, int y1) {
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        for (int y = y0; y <= y1; ++y)
            if (IsInk(image, x, y)) {
                columns.push_back(x);
                break;
            }
    return columns;
}

inline std::vector<int> InkRows(const QImage& image, int x0, int x1) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = x0; x <= x1; ++x)
            if (IsInk(image, x, y)) {
                rows.push_back(y);
                break;
            }
    return rows;
}

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kNullPen = kStockObject | 8;
constexpr std::uint32_t kNullBrush = kStockObject | 5;

inline bool IsRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
inline bool IsBlue(QRgb c) {
    return qBlue(c) > 200 && qGreen(c) < 60 && qRed(c) < 60;
}
inline bool IsWhite(QRgb c) {
    return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240;
}

// A red brush and no pen, selected: a Rectangle then fills exactly its interior.
inline void RedFill(EmfWriter& w) {
    w.CreateBrushIndirect(1, 0, kRed);
    w.SelectObject(1);
    w.SelectObject(kNullPen);
}

inline QByteArray Payload(std::initializer_list<std::int32_t> values) {
    QByteArray p;
    for (std::int32_t v : values) PutI32(p, v);
    return p;
}

}  // namespace tavlex::mf::testing
