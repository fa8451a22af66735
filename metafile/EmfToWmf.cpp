#include "metafile/EmfToWmf.h"

#include "metafile/EmfToWmfConverter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"
#include "metafile/WmfEmbeddedEmf.h"

namespace tavlex::mf {

namespace emftowmf {

QPoint EmfToWmfConverter::Map(double x, double y) const {
    const QPointF p = Total().map(QPointF(x, y));
    return QPoint(Coord(p.x()), Coord(p.y()));
}

RectL EmfToWmfConverter::MapBox(ByteView r, std::uint64_t at) const {
    const QPoint a = Map(r.I32Or(at), r.I32Or(at + 4));
    const QPoint b = Map(r.I32Or(at + 8), r.I32Or(at + 12));
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
            std::max(a.y(), b.y())};
}

bool EmfToWmfConverter::Rotated() const {
    const QTransform t = Total();
    return std::abs(t.m12()) > 1e-9 || std::abs(t.m21()) > 1e-9;
}

double EmfToWmfConverter::ScaleX() const {
    const QTransform t = Total();
    return std::hypot(t.m11(), t.m12());
}

double EmfToWmfConverter::ScaleY() const {
    const QTransform t = Total();
    return std::hypot(t.m21(), t.m22());
}

QByteArray EmfToWmfConverter::Run() {
    if (emf_.U32Or(0) != emr::Header || emf_.U32Or(40) != kEmfSignature) {
        throw MetafileError(MetafileErrorKind::NotMetafile, "not an enhanced metafile", 0, 0);
    }
    const RectL frame{emf_.I32Or(24), emf_.I32Or(28), emf_.I32Or(32), emf_.I32Or(36)};
    const double devW = emf_.I32Or(72), devH = emf_.I32Or(76);
    const double mmW = emf_.I32Or(80), mmH = emf_.I32Or(84);
    device_ = ReferenceDevice::From(QSizeF(devW, devH), QSizeF(mmW, mmH));
    const QSizeF pixelsPerMm(device_.pixels.width() / device_.millimetres.width(),
                             device_.pixels.height() / device_.millimetres.height());

    // Twips unless the picture would not fit in 16-bit coordinates.
    const double frameW = std::max<double>(1, std::abs(double(frame.right) - frame.left));
    const double frameH = std::max<double>(1, std::abs(double(frame.bottom) - frame.top));
    const double inch =
        std::clamp(std::floor(32000.0 * 2540 / std::max(frameW, frameH)), 1.0, 1440.0);
    const int width = static_cast<int>(std::lround(frameW * inch / 2540));
    const int height = static_cast<int>(std::lround(frameH * inch / 2540));
    WmfWriter::Placeable placeable;
    placeable.right = static_cast<std::int16_t>(std::max(1, width));
    placeable.bottom = static_cast<std::int16_t>(std::max(1, height));
    placeable.inch = static_cast<std::uint16_t>(inch);
    out_ = std::make_unique<WmfWriter>(placeable);
    // The original travels along, as the platform's conversion carries it, for readers that
    // take it back; the records below are for every other reader.
    const std::uint32_t declared = emf_.U32Or(48);
    const std::size_t keep = declared >= 88 && declared <= emf_.size() ? declared : emf_.size();
    wmfembed::WriteEmbeddedEmf(*out_, QByteArray(reinterpret_cast<const char*>(emf_.data()),
                                                 static_cast<qsizetype>(keep)));
    out_->SetMapMode(8);
    out_->SetWindowOrg(0, 0);
    out_->SetWindowExt(placeable.right, placeable.bottom);

    // Reference pixels to metafile units, the frame's corner at the origin.
    const double kx = inch / (pixelsPerMm.width() * 25.4);
    const double ky = inch / (pixelsPerMm.height() * 25.4);
    const double fx = std::min(frame.left, frame.right) / 100.0 * pixelsPerMm.width();
    const double fy = std::min(frame.top, frame.bottom) / 100.0 * pixelsPerMm.height();
    toWmf_ = QTransform(kx, 0, 0, ky, -fx * kx, -fy * ky);

    std::uint64_t offset = emf_.U32Or(4);
    for (std::int64_t n = 0; n < kEmfToWmfLimits.maxRecords; ++n) {
        const auto type = emf_.U32(offset);
        const auto size = emf_.U32(offset + 4);
        if (!type || !size || *size < 8 || *size % 4 != 0) break;
        const auto record = emf_.Sub(offset, *size);
        if (!record || *type == emr::Eof) break;
        Record(*type, *record);
        if (out_->Size() > kEmfToWmfLimits.maxOutputBytes) break;
        offset += *size;
    }
    return out_->Finish();
}

void EmfToWmfConverter::Record(std::uint32_t type, ByteView r) {
    // Each family says whether the record was one of its own; the mapping is only followed,
    // to be applied to every coordinate. Records of no family (comments, EMF+ included,
    // escapes, records without a Windows-metafile form) are left out, as the platform's
    // conversion leaves them out.
    if (ApplyMappingRecord(dc_.page, dc_.world, type, r, device_) || StateRecord(type, r) ||
        ObjectRecord(type, r) || PathOrClipRecord(type, r))
        return;
    DrawRecord(type, r);
}

// Saved states and the plain values of the device context, written as they come.
bool EmfToWmfConverter::StateRecord(std::uint32_t type, ByteView r) {
    const std::uint32_t value = r.U32Or(8);
    const auto value16 = static_cast<std::uint16_t>(value);
    switch (type) {
        case emr::SaveDc:
            SaveDc();
            return true;
        case emr::RestoreDc:
            RestoreDc(r.I32Or(8));
            return true;
        case emr::SetTextColor:
            out_->SetTextColor(value & 0xFFFFFF);
            return true;
        case emr::SetBkColor:
            out_->SetBkColor(value & 0xFFFFFF);
            return true;
        case emr::SetBkMode:
            out_->SetBkMode(value16);
            return true;
        case emr::SetTextAlign:
            out_->SetTextAlign(value16);
            return true;
        case emr::SetPolyFillMode:
            out_->SetPolyFillMode(value16);
            return true;
        case emr::SetRop2:
            out_->SetRop2(value16);
            return true;
        case emr::SetStretchBltMode:
            out_->SetStretchBltMode(value16);
            return true;
        case emr::SetArcDirection:
            dc_.arcDirection = r.I32Or(8);
            return true;
        case emr::SetMapperFlags: {
            QByteArray p;
            PutU32(p, value);
            out_->AddRecord(wmr::SetMapperFlags, p);
            return true;
        }
        default:
            return false;
    }
}

void EmfToWmfConverter::SaveDc() {
    if (saved_.size() >= kEmfToWmfLimits.maxSaveDepth) return;
    saved_.push_back(dc_);
    out_->SaveDC();
}

void EmfToWmfConverter::RestoreDc(std::int64_t which) {
    const std::int64_t depth = static_cast<std::int64_t>(saved_.size());
    const std::int64_t target = which < 0 ? depth + which : which - 1;
    if (target < 0 || target >= depth) return;
    dc_ = saved_[static_cast<std::size_t>(target)];
    saved_.resize(static_cast<std::size_t>(target));
    out_->RestoreDC(static_cast<int>(target - depth));
    FlushRetired();
}

}  // namespace emftowmf

QByteArray ConvertToPlaceableWmf(const Metafile& metafile) {
    if (metafile.Kind() == MetafileKind::Placeable) return metafile.StoredBytes();
    const QByteArray& emf = metafile.EnhancedBytes();
    emftowmf::EmfToWmfConverter converter(
        ByteView(emf.constData(), static_cast<std::size_t>(emf.size())));
    return converter.Run();
}

}  // namespace tavlex::mf
