#include "metafile/Metafile.h"

#include <algorithm>

#include "metafile/ByteView.h"
#include "metafile/EmfPlayer.h"
#include "metafile/GdiDefs.h"
#include "metafile/WmfToEmf.h"
#include "support/ScreenResolution.h"

#include <QPainter>

#include <cmath>

namespace tavlex::mf {

namespace {

constexpr std::uint32_t kHeaderMinimum = 88;

QRect ReadRect(const ByteView& v, std::uint64_t at) {
    return QRect(QPoint(v.I32Or(at), v.I32Or(at + 4)), QPoint(v.I32Or(at + 8), v.I32Or(at + 12)));
}

int MulDivRound(std::int64_t value, std::int64_t num, std::int64_t den) {
    if (den == 0) return 0;
    const double r = std::round(static_cast<double>(value) * num / den);
    return static_cast<int>(std::clamp(r, -2147483647.0, 2147483647.0));
}

}  // namespace

Metafile Metafile::Load(const QByteArray& bytes) {
    Metafile m;
    m.stored_ = bytes;
    const ByteView raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (raw.U32(0) == 1u && raw.U32(40) == kEmfSignature) {
        m.kind_ = MetafileKind::Enhanced;
        m.enhanced_ = bytes;
    } else if (IsPlaceableWmf(bytes)) {
        m.kind_ = MetafileKind::Placeable;
        m.enhanced_ = ConvertPlaceableWmfToEmf(bytes, ScreenPixelsPerInch());
    } else {
        throw MetafileError(MetafileErrorKind::NotMetafile,
                            "neither an enhanced metafile nor a placeable Windows metafile", 0);
    }

    const ByteView v(m.enhanced_.constData(), static_cast<std::size_t>(m.enhanced_.size()));
    const auto size = v.U32(4);
    if (!v.Has(0, kHeaderMinimum) || !size || (*size >= kHeaderMinimum && !v.Has(0, *size))) {
        throw MetafileError(MetafileErrorKind::Truncated, "enhanced-metafile header cut short",
                            v.size(), 0);
    }
    if (v.U32(0) != 1u || v.U32(40) != kEmfSignature || *size < kHeaderMinimum || *size % 4 != 0) {
        throw MetafileError(MetafileErrorKind::BadHeader, "damaged enhanced-metafile header", 4, 0);
    }
    m.bounds_ = ReadRect(v, 8);
    m.frame_ = ReadRect(v, 24);
    m.refPixels_ = QSize(v.I32Or(72), v.I32Or(76));
    m.refMillimetres_ = QSize(v.I32Or(80), v.I32Or(84));
    return m;
}

Metafile Metafile::Load(const QByteArray& bytes, Arrival arrival) {
    if (!arrival) return Load(bytes);
    const auto all = static_cast<std::uint64_t>(bytes.size());
    const ByteView raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // An enhanced metafile plays as its records arrive; its header record comes first.
    bool partial = arrival(std::min<std::uint64_t>(all, 44)) && raw.U32(0) == 1u &&
                   raw.U32(40) == kEmfSignature;
    if (partial) partial = arrival(std::min<std::uint64_t>(all, raw.U32(4).value_or(0)));
    if (!partial && !arrival(all))
        throw MetafileError(MetafileErrorKind::NotArrived, "the page's bytes did not arrive");
    Metafile m = Load(bytes);
    if (partial) m.arrival_ = std::move(arrival);
    return m;
}

QSize Metafile::NaturalPixelSize(int screenPixelsPerInch) const {
    if (IsNull()) return {};
    if (kind_ == MetafileKind::Placeable) {
        // The placeable header's box at its units per inch, shown at the screen's resolution.
        const ByteView v(stored_.constData(), static_cast<std::size_t>(stored_.size()));
        const int inch = v.U16Or(14);
        const int w = v.I16Or(10) - v.I16Or(6), h = v.I16Or(12) - v.I16Or(8);
        if (inch > 0)
            return QSize(std::abs(MulDivRound(w, screenPixelsPerInch, inch)),
                         std::abs(MulDivRound(h, screenPixelsPerInch, inch)));
    }
    const std::int64_t fw = static_cast<std::int64_t>(frame_.right()) - frame_.left();
    const std::int64_t fh = static_cast<std::int64_t>(frame_.bottom()) - frame_.top();
    if (refMillimetres_.width() <= 0 || refMillimetres_.height() <= 0)
        return QSize(std::abs(MulDivRound(fw, screenPixelsPerInch, 2540)),
                     std::abs(MulDivRound(fh, screenPixelsPerInch, 2540)));
    return QSize(std::abs(MulDivRound(fw, refPixels_.width(), refMillimetres_.width() * 100LL)),
                 std::abs(MulDivRound(fh, refPixels_.height(), refMillimetres_.height() * 100LL)));
}

PlayResult Play(const Metafile& metafile, QPainter& painter, const QRect& target,
                const PlayLimits& limits) {
    PlayResult result;
    if (metafile.IsNull() || !painter.isActive()) {
        result.complete = false;
        result.stopReason = QStringLiteral("nothing to play");
        result.stopKind = MetafileErrorKind::NotMetafile;
        return result;
    }
    try {
        EmfPlayer player(metafile, painter, target, limits);
        return player.Run();
    } catch (const std::exception& e) {
        // Only allocation failures can get here; what was drawn stays.
        result.complete = false;
        result.stopReason = QString::fromUtf8(e.what());
        result.stopKind = MetafileErrorKind::TooLarge;
        return result;
    }
}

}  // namespace tavlex::mf
