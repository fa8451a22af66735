// Text runs and bitmaps.

#include "metafile/EmfToWmfConverter.h"
#include "metafile/GdiDefs.h"

namespace tavlex::mf::emftowmf {

// EMR_SMALLTEXTOUT: text without advances, its clip box optional, 8-bit or 16-bit.
void EmfToWmfConverter::SmallText(ByteView r) {
    const std::uint32_t chars = r.U32Or(16), options = r.U32Or(20);
    const bool hasRect = (options & 0x100) == 0, eightBit = (options & 0x200) != 0;
    const std::uint64_t at = hasRect ? 52 : 36;
    if (chars > 32767 || !r.Has(at, std::uint64_t{chars} * (eightBit ? 1 : 2))) return;
    RectL clip;
    if (hasRect) {
        const QPoint a = Map(r.I32Or(36), r.I32Or(40)), b = Map(r.I32Or(44), r.I32Or(48));
        clip = {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                std::max(a.y(), b.y())};
    }
    QByteArray bytes;
    if ((options & 0x10) == 0) {
        if (eightBit) {
            bytes = *Slice(r, static_cast<std::uint32_t>(at), chars);
        } else {
            QString text;
            for (std::uint32_t i = 0; i < chars; ++i) {
                text.append(QChar(static_cast<char16_t>(r.U16Or(at + std::uint64_t{i} * 2))));
            }
            bytes = wmfcharset::Encode(text, dc_.charSet, {}).bytes;
        }
    }
    const QPoint p = Map(r.I32Or(8), r.I32Or(12));
    out_->ExtTextOut(p.x(), p.y(), bytes, static_cast<std::uint16_t>(hasRect ? options & 0x06 : 0),
                     clip, {});
}

void EmfToWmfConverter::Text(ByteView r, bool wide) {
    const std::uint32_t chars = r.U32Or(44);
    const std::uint32_t offString = r.U32Or(48);
    const std::uint32_t options = r.U32Or(52);
    const std::uint32_t offDx = r.U32Or(72);
    if (chars > 32767 || !r.Has(offString, std::uint64_t{chars} * (wide ? 2 : 1))) return;
    // Glyph indices of a font have no 8-bit text form: only the opaque box stays.
    if (options & 0x10) {
        if ((options & 0x02) == 0) return;
        const QPoint a = Map(r.I32Or(56), r.I32Or(60)), b = Map(r.I32Or(64), r.I32Or(68));
        const QPoint at = Map(r.I32Or(36), r.I32Or(40));
        out_->ExtTextOut(at.x(), at.y(), {}, 0x02,
                         {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                          std::max(a.y(), b.y())},
                         {});
        return;
    }
    QVector<std::int32_t> dx;
    if (offDx != 0 && r.Has(offDx, std::uint64_t{chars} * 4)) {
        const double sx = ScaleX();
        // Advances are summed before rounding so that a run keeps its length.
        double sum = 0;
        std::int64_t placed = 0;
        for (std::uint32_t i = 0; i < chars; ++i) {
            sum += r.I32Or(offDx + std::uint64_t{i} * 4) * sx;
            const std::int64_t end = Coord(sum);
            dx.append(static_cast<std::int32_t>(end - placed));
            placed = end;
        }
    }
    QByteArray bytes;
    if (wide) {
        QString text;
        for (std::uint32_t i = 0; i < chars; ++i) {
            text.append(QChar(static_cast<char16_t>(r.U16Or(offString + std::uint64_t{i} * 2))));
        }
        const wmfcharset::ByteRun run = wmfcharset::Encode(text, dc_.charSet, dx);
        bytes = run.bytes;
        dx = run.dx;
    } else {
        bytes = *Slice(r, offString, chars);
    }
    const QPoint at = Map(r.I32Or(36), r.I32Or(40));
    RectL clip;
    if (options & 0x0006) {
        const QPoint a = Map(r.I32Or(56), r.I32Or(60));
        const QPoint b = Map(r.I32Or(64), r.I32Or(68));
        clip = {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                std::max(a.y(), b.y())};
    }
    out_->ExtTextOut(at.x(), at.y(), bytes, static_cast<std::uint16_t>(options & 0x0006), clip, dx);
}

void EmfToWmfConverter::Bitmap(std::uint32_t type, ByteView r) {
    std::int32_t xDest = r.I32Or(24), yDest = r.I32Or(28), cxDest = 0, cyDest = 0;
    std::int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    std::uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, usage = 0, rop = 0x00CC0020;
    bool fromTop = false;  // blits count the source from the top row
    switch (type) {
        case emr::BitBlt:
        case emr::StretchBlt:
            cxDest = r.I32Or(32);
            cyDest = r.I32Or(36);
            rop = r.U32Or(40);
            xSrc = r.I32Or(44);
            ySrc = r.I32Or(48);
            usage = r.U32Or(80);
            offBmi = r.U32Or(84);
            cbBmi = r.U32Or(88);
            offBits = r.U32Or(92);
            cbBits = r.U32Or(96);
            cxSrc = type == emr::StretchBlt ? r.I32Or(100) : cxDest;
            cySrc = type == emr::StretchBlt ? r.I32Or(104) : cyDest;
            fromTop = true;
            break;
        case emr::StretchDiBits:
        case emr::SetDiBitsToDevice:
            xSrc = r.I32Or(32);
            ySrc = r.I32Or(36);
            cxSrc = r.I32Or(40);
            cySrc = r.I32Or(44);
            offBmi = r.U32Or(48);
            cbBmi = r.U32Or(52);
            offBits = r.U32Or(56);
            cbBits = r.U32Or(60);
            usage = r.U32Or(64);
            if (type == emr::StretchDiBits) {
                rop = r.U32Or(68);
                cxDest = r.I32Or(72);
                cyDest = r.I32Or(76);
            } else {
                cxDest = cxSrc;
                cyDest = cySrc;
            }
            break;
        default:
            return;
    }
    const QPoint a = Map(xDest, yDest);
    const QPoint b = Map(double(xDest) + cxDest, double(yDest) + cyDest);
    if (cbBmi == 0) {
        out_->PatBlt(a.x(), a.y(), b.x() - a.x(), b.y() - a.y(), rop);
        return;
    }
    const auto info = Slice(r, offBmi, cbBmi);
    const auto bits = Slice(r, offBits, cbBits);
    if (!info || !bits || cbBmi < 12) return;
    const ByteView header(info->constData(), static_cast<std::size_t>(info->size()));
    const std::int32_t dibHeight = header.U32Or(0) == 12 ? header.I16Or(6) : header.I32Or(8);
    if (fromTop && dibHeight > 0) ySrc = dibHeight - ySrc - cySrc;
    out_->StretchDib(a.x(), a.y(), b.x() - a.x(), b.y() - a.y(), xSrc, ySrc, cxSrc, cySrc, rop,
                     static_cast<std::uint16_t>(usage), *info + *bits);
}

}  // namespace tavlex::mf::emftowmf
