#include "metafile/WmfToEmf.h"

#include "metafile/ByteView.h"
#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"
#include "metafile/WmfEmbeddedEmf.h"
#include "metafile/WmfToEmfConverter.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>

namespace tavlex::mf {

namespace wmftoemf {

namespace {

// Records whose parameters carry over as they are, by shape (see Shape).
constexpr Translation kTranslations[] = {
    {wmr::SetMapMode, Shape::Word, emr::SetMapMode},
    {wmr::SetBkMode, Shape::Word, emr::SetBkMode},
    {wmr::SetRop2, Shape::Word, emr::SetRop2},
    {wmr::SetPolyFillMode, Shape::Word, emr::SetPolyFillMode},
    {wmr::SetStretchBltMode, Shape::Word, emr::SetStretchBltMode},
    {wmr::SetTextAlign, Shape::Word, emr::SetTextAlign},
    {wmr::SetMapperFlags, Shape::Long, emr::SetMapperFlags},
    {wmr::SetLayout, Shape::Long, emr::SetLayout},
    {wmr::SetTextColor, Shape::Colour, emr::SetTextColor},
    {wmr::SetBkColor, Shape::Colour, emr::SetBkColor},
    {wmr::SetWindowExt, Shape::Point, emr::SetWindowExtEx},
    {wmr::SetViewportExt, Shape::Point, emr::SetViewportExtEx},
    {wmr::MoveTo, Shape::Point, emr::MoveToEx},
    {wmr::LineTo, Shape::Point, emr::LineTo},
    {wmr::OffsetClipRgn, Shape::Point, emr::OffsetClipRgn},
    {wmr::Rectangle, Shape::Box, emr::Rectangle},
    {wmr::Ellipse, Shape::Box, emr::Ellipse},
    {wmr::IntersectClipRect, Shape::Box, emr::IntersectClipRect},
    {wmr::ExcludeClipRect, Shape::Box, emr::ExcludeClipRect},
    {wmr::Arc, Shape::Arc, emr::Arc},
    {wmr::Chord, Shape::Arc, emr::Chord},
    {wmr::Pie, Shape::Arc, emr::Pie},
    {wmr::ScaleWindowExt, Shape::Scale, emr::ScaleWindowExtEx},
    {wmr::ScaleViewportExt, Shape::Scale, emr::ScaleViewportExtEx},
    {wmr::Polyline, Shape::Points, emr::Polyline16},
    {wmr::Polygon, Shape::Points, emr::Polygon16},
    {wmr::PaintRegion, Shape::Region, emr::PaintRgn},
    {wmr::InvertRegion, Shape::Region, emr::InvertRgn},
    {wmr::FillRegion, Shape::RegionFill, emr::FillRgn},
    {wmr::FrameRegion, Shape::RegionFrame, emr::FrameRgn},
    {wmr::SetPalEntries, Shape::PaletteEntries, emr::SetPaletteEntries},
    {wmr::ResizePalette, Shape::PaletteEntries, emr::ResizePalette},
};

PlaceableBox ReadPlaceableBox(ByteView wmf) {
    if (!IsPlaceableWmf(QByteArray::fromRawData(reinterpret_cast<const char*>(wmf.data()),
                                                static_cast<qsizetype>(wmf.size())))) {
        throw MetafileError(MetafileErrorKind::NotMetafile, "no placeable header", 0);
    }
    const PlaceableBox box{wmf.I16Or(6), wmf.I16Or(8), wmf.I16Or(10), wmf.I16Or(12), wmf.U16Or(14)};
    if (box.inch == 0)
        throw MetafileError(MetafileErrorKind::BadHeader, "placeable header: zero units per inch",
                            14);
    if (box.right == box.left || box.bottom == box.top)
        throw MetafileError(MetafileErrorKind::BadHeader, "placeable header: empty box", 6);
    return box;
}

// The metafile after the placeable header, once its own header is one this reader knows.
ByteView CheckedMetafile(ByteView wmf) {
    const ByteView meta = *wmf.Sub(kPlaceableHeaderSize, wmf.size() - kPlaceableHeaderSize);
    const auto type = meta.U16(0), headerWords = meta.U16(2), version = meta.U16(4);
    if (!type || !headerWords || !version || !meta.Has(0, kMetaHeaderSize)) {
        throw MetafileError(MetafileErrorKind::Truncated, "truncated metafile header",
                            kPlaceableHeaderSize);
    }
    // Type 2 (disk) is what many writers put in files; both lay out the records the same way.
    if ((*type != 1 && *type != 2) || *headerWords != 9 ||
        (*version != 0x0100 && *version != 0x0300)) {
        throw MetafileError(MetafileErrorKind::BadHeader, "bad metafile header",
                            kPlaceableHeaderSize);
    }
    return meta;
}

}  // namespace

QByteArray WmfToEmfConverter::Run() {
    const PlaceableBox box = ReadPlaceableBox(wmf_);
    const ByteView meta = CheckedMetafile(wmf_);
    // A metafile converted from an enhanced one may carry the original: it is the better copy.
    if (auto embedded = wmfembed::FindEmbeddedEmf(meta)) return *embedded;
    slots_.resize(meta.U16Or(10));
    StartPicture(box);
    ConvertRecords(meta);
    return out_->Finish();
}

void WmfToEmfConverter::StartPicture(const PlaceableBox& box) {
    const std::int64_t width = std::abs(std::int64_t{box.right} - box.left);
    const std::int64_t height = std::abs(std::int64_t{box.bottom} - box.top);
    EmfWriter::Header header;
    header.frame = {0, 0, ClampToInt32(width * 2540 / box.inch),
                    ClampToInt32(height * 2540 / box.inch)};
    const int ppi = std::clamp(ppi_, 1, 4800);
    header.devicePixels = QSize(ppi * 10, ppi * 10);
    header.deviceMillimetres = QSize(254, 254);
    out_ = std::make_unique<EmfWriter>(header);

    // The picture fills the frame: the viewport covers the frame in reference pixels, and the
    // window is the bounding box until the metafile sets its own.
    out_->SetMapMode(mapmode::Anisotropic);
    out_->SetViewportExtEx(ClampToInt32((width * ppi + box.inch / 2) / box.inch),
                           ClampToInt32((height * ppi + box.inch / 2) / box.inch));
    out_->SetWindowOrgEx(box.left, box.top);
    out_->SetWindowExtEx(box.right - box.left, box.bottom - box.top);
    dc_.windowX = box.left;
    dc_.windowY = box.top;
}

void WmfToEmfConverter::ConvertRecords(ByteView meta) {
    std::uint64_t offset = kMetaHeaderSize;
    for (std::int64_t count = 0; count < kWmfToEmfLimits.maxRecords; ++count) {
        const auto words = meta.U32(offset);
        const auto function = meta.U16(offset + 4);
        // A record too short to be one, or running past the data, ends the picture.
        if (!words || !function || *words < 3) break;
        const std::uint64_t bytes = std::uint64_t{*words} * 2;
        const auto record = meta.Sub(offset, bytes);
        if (!record) break;
        if (*function == wmr::Eof) break;
        p_ = *record->Sub(6, bytes - 6);
        Convert(*function);
        if (out_->Size() > kWmfToEmfLimits.maxOutputBytes) break;
        offset += bytes;
    }
}

void WmfToEmfConverter::Convert(std::uint16_t function) {
    const auto* t = std::find_if(std::begin(kTranslations), std::end(kTranslations),
                                 [&](const Translation& t) { return t.function == function; });
    if (t != std::end(kTranslations)) {
        Translate(*t);
        return;
    }
    if (StateRecord(function) || ObjectRecord(function) || BitmapRecord(function)) return;
    DrawRecord(function);
}

void WmfToEmfConverter::Translate(const Translation& t) {
    switch (t.shape) {
        case Shape::Word:
            if (Has(1)) Simple32(t.type, U(0));
            return;
        case Shape::Long:
            if (Has(2)) Simple32(t.type, U32At(0));
            return;
        case Shape::Colour:
            if (Has(2)) Simple32(t.type, U32At(0) & 0x00FFFFFF);
            return;
        case Shape::Point:
            if (Has(2)) Point(t.type, P(1), P(0));
            return;
        case Shape::Box:
            Box(t.type, 0);
            return;
        case Shape::Arc:
            ArcLike(t.type);
            return;
        case Shape::Scale:
            ScaleExt(t.type);
            return;
        case Shape::Points:
            Poly(t.type);
            return;
        case Shape::Region:
            RegionPaint(t.type, false, false);
            return;
        case Shape::RegionFill:
            RegionPaint(t.type, true, false);
            return;
        case Shape::RegionFrame:
            RegionPaint(t.type, true, true);
            return;
        case Shape::PaletteEntries:
            PaletteEntries(t.type);
            return;
    }
}

// Origins, saved states and the character spacing: what the conversion follows itself.
bool WmfToEmfConverter::StateRecord(std::uint16_t function) {
    switch (function) {
        case wmr::SetWindowOrg:
        case wmr::SetViewportOrg:
            if (Has(2)) SetOrigin(function == wmr::SetWindowOrg, P(1), P(0));
            return true;
        case wmr::OffsetWindowOrg:
        case wmr::OffsetViewportOrg:
            if (Has(2)) MoveOrigin(function == wmr::OffsetWindowOrg, P(1), P(0));
            return true;
        case wmr::SaveDc:
            SaveDc();
            return true;
        case wmr::RestoreDc:
            RestoreDc();
            return true;
        case wmr::SetTextCharExtra:
            if (Has(1)) dc_.charExtra = P(0);
            return true;
        default:
            return false;
    }
}

void WmfToEmfConverter::SetOrigin(bool window, std::int32_t x, std::int32_t y) {
    if (window) {
        dc_.windowX = x;
        dc_.windowY = y;
        out_->SetWindowOrgEx(x, y);
    } else {
        dc_.viewportX = x;
        dc_.viewportY = y;
        out_->SetViewportOrgEx(x, y);
    }
}

// The enhanced form has no offset records: the origin is followed here and written absolute.
void WmfToEmfConverter::MoveOrigin(bool window, std::int32_t dx, std::int32_t dy) {
    const std::int32_t x = window ? dc_.windowX : dc_.viewportX;
    const std::int32_t y = window ? dc_.windowY : dc_.viewportY;
    SetOrigin(window, ClampToInt32(std::int64_t{x} + dx), ClampToInt32(std::int64_t{y} + dy));
}

void WmfToEmfConverter::SaveDc() {
    if (saved_.size() >= kWmfToEmfLimits.maxSaveDepth) return;
    saved_.push_back(dc_);
    out_->SaveDC();
}

void WmfToEmfConverter::RestoreDc() {
    if (!Has(1)) return;
    const std::int32_t which = P(0);
    const std::int64_t depth = static_cast<std::int64_t>(saved_.size());
    // Negative: relative to the current level; positive: the absolute level to return to.
    const std::int64_t target = which < 0 ? depth + which : std::int64_t{which} - 1;
    if (target < 0 || target >= depth) return;
    dc_ = saved_[static_cast<std::size_t>(target)];
    saved_.resize(static_cast<std::size_t>(target));
    out_->RestoreDC(which < 0 ? which : static_cast<std::int32_t>(target - depth));
}

}  // namespace wmftoemf

bool IsPlaceableWmf(const QByteArray& bytes) {
    const ByteView view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!view.Has(0, kPlaceableHeaderSize) || view.U32Or(0) != kPlaceableKey) return false;
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= view.U16Or(static_cast<std::uint64_t>(i) * 2);
    return sum == view.U16Or(20);
}

QByteArray ConvertPlaceableWmfToEmf(const QByteArray& placeableWmf, int screenPixelsPerInch) {
    wmftoemf::WmfToEmfConverter converter(
        ByteView(placeableWmf.constData(), static_cast<std::size_t>(placeableWmf.size())),
        screenPixelsPerInch);
    return converter.Run();
}

}  // namespace tavlex::mf
