#include "metafile/EmfPlayer.h"

#include "metafile/FontCache.h"
#include "metafile/FontMapper.h"
#include "metafile/GdiDefs.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavlex::mf {

namespace {

// One string of a text record: the text, the character clusters and their advances.
struct TextRun {
    QString text;
    std::vector<int> clusterStarts;  // UTF-16 index where each cluster starts
    std::vector<QPointF> advances;   // logical advance per cluster; empty: the font's own
    QPointF reference;
    std::uint32_t options = 0;
    QRectF rect;
    bool hasRect = false;
};

// Groups UTF-16 units into clusters (surrogate pairs stay together) and sums the per-unit or
// per-byte advances that belong to each cluster. `unitSource` gives, for each unit, the index
// of the advance entry its character starts at.
void BuildClusters(TextRun& run, const std::vector<int>& unitSource,
                   const std::vector<QPointF>& sourceAdvances) {
    const QString& t = run.text;
    std::vector<int> starts;
    for (int i = 0; i < t.size(); ++i) {
        if (i > 0 && t[i].isLowSurrogate() && t[i - 1].isHighSurrogate()) continue;
        starts.push_back(i);
    }
    run.clusterStarts = starts;
    if (sourceAdvances.empty()) return;
    run.advances.assign(starts.size(), QPointF(0, 0));
    const int sourceCount = static_cast<int>(sourceAdvances.size());
    for (std::size_t c = 0; c < starts.size(); ++c) {
        const int from = unitSource[static_cast<std::size_t>(starts[c])];
        const int to = c + 1 < starts.size() ? unitSource[static_cast<std::size_t>(starts[c + 1])]
                                             : sourceCount;
        for (int k = std::max(0, from); k < std::min(to, sourceCount); ++k)
            run.advances[c] += sourceAdvances[static_cast<std::size_t>(k)];
    }
}

// The one glyph the face has for a character that the text engine would draw as the face's
// plain glyph for it. Marks, format and control characters are left to the engine (it hides
// or combines them), and so are characters the face lacks (a fallback family supplies them).
bool PlainGlyph(const QRawFont& raw, QStringView cluster, quint32* glyph) {
    const char32_t c =
        cluster.size() == 2 && cluster[0].isHighSurrogate() && cluster[1].isLowSurrogate()
            ? QChar::surrogateToUcs4(cluster[0], cluster[1])
        : cluster.size() == 1 ? cluster[0].unicode()
                              : 0;
    switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Other_NotAssigned:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            break;
    }
    if (c == 0) return false;
    quint32 glyphs[2] = {0, 0};  // the face wants room for one glyph per UTF-16 unit
    int count = 2;
    if (!raw.glyphIndexesForChars(cluster.data(), static_cast<int>(cluster.size()), glyphs,
                                  &count) ||
        count != 1)
        return false;
    *glyph = glyphs[0];
    return *glyph != 0;
}

// The rectangle of a text record on the target, as a path to fill or clip with.
QPainterPath TargetBox(const QTransform& full, const QRectF& rect) {
    QPainterPath box;
    box.addPolygon(full.map(QPolygonF(rect.normalized())));
    return box;
}

// The font's em in target pixels. A negative height is the em size, a positive one the cell
// height (ascent plus descent); zero asks for the default cell of 16 device units.
double EmPixels(const FontObject& f, const FontMapper::Metrics& metrics, const QTransform& full,
                const QTransform& frameToTarget) {
    const double sy = std::hypot(full.m21(), full.m22());
    if (f.height < 0) return -static_cast<double>(f.height) * sy;
    const double cell = f.height > 0 ? f.height * sy : 16 * std::fabs(frameToTarget.m22());
    const double h = metrics.ascent + metrics.descent;
    return h > 0 ? cell / h : cell;
}

// How much wider than the face's own the font's width asks its glyphs to be (k: the part of
// the em size the transform carries); 1 when the width asks for nothing sensible.
double WidthStretch(const FontObject& f, const QFontMetricsF& fm, const QTransform& full,
                    double k) {
    if (f.width == 0 || !(fm.averageCharWidth() > 0)) return 1;
    const double sx = std::hypot(full.m11(), full.m12());
    const double stretch = std::fabs(f.width) * sx / (fm.averageCharWidth() * k);
    if (!std::isfinite(stretch) || stretch <= 0.05 || stretch > 20) return 1;
    return stretch;
}

// The baseline's direction. The escapement turns counterclockwise in logical space, so a
// mapping that flips y turns it the other way on screen; glyphs stay upright either way.
struct TextDirection {
    QTransform linear;  // logical to target without the translation
    // Along the baseline and across it (downwards) in logical space: spacing and the current
    // position advance along the escapement there, so a mapping that scales x and y apart
    // stretches rotated text by its y scale.
    QPointF along, across;
    QPointF u, v;      // the same on the target, of unit length
    double ulen = 0;   // target length of one logical unit along the baseline
    double angle = 0;  // degrees, counterclockwise on the target
};

TextDirection DirectionOf(const QTransform& full, std::int32_t escapement) {
    TextDirection d;
    const double rad = escapement / 10.0 * std::numbers::pi / 180;
    d.linear = QTransform(full.m11(), full.m12(), full.m21(), full.m22(), 0, 0);
    d.along = QPointF(std::cos(rad), -std::sin(rad));
    d.across = QPointF(std::sin(rad), std::cos(rad));
    QPointF u = d.linear.map(d.along);
    d.ulen = std::hypot(u.x(), u.y());
    d.u = d.ulen > 0 ? u / d.ulen : QPointF(1, 0);
    d.v = QPointF(-d.u.y(), d.u.x());
    d.angle = std::atan2(-d.u.y(), d.u.x()) * 180 / std::numbers::pi;
    return d;
}

// Where the clusters stand and how long the run is.
struct RunExtent {
    std::vector<QPointF> offsets;  // per cluster from the run's start, in target pixels
    double width = 0;              // target pixels
    double logicalWidth = 0;       // logical units along the baseline
};

// A run with a spacing array: each cluster at the sum of the advances before it, along the
// baseline (and across it for ETO_PDY).
RunExtent SpacedExtent(const std::vector<QPointF>& advances, std::size_t clusters,
                       const TextDirection& d) {
    RunExtent extent;
    extent.offsets.resize(clusters);
    QPointF cum(0, 0);
    for (std::size_t i = 0; i < clusters; ++i) {
        extent.offsets[i] = d.linear.map(d.along * cum.x() + d.across * cum.y());
        cum += QPointF(advances[i].x(), advances[i].y());
    }
    extent.width = cum.x() * d.ulen;
    extent.logicalWidth = cum.x();
    return extent;
}

// A run the text engine shapes: only its width (in target pixels) is known beforehand.
RunExtent ShapedExtent(double width, const TextDirection& d) {
    RunExtent extent;
    extent.width = width;
    extent.logicalWidth = d.ulen > 0 ? width / d.ulen : 0;
    return extent;
}

// The start of the baseline on the target: the reference point is the run's left end, centre
// or right end, at its top, baseline or bottom, as the text alignment says.
QPointF AlignedBaseline(QPointF origin, std::uint32_t align, const TextDirection& d, double width,
                        double ascent, double descent) {
    if ((align & textalign::HorizontalMask) == textalign::Center)
        origin -= d.u * (width / 2);
    else if (align & textalign::Right)
        origin -= d.u * width;
    if ((align & textalign::VerticalMask) == textalign::Baseline) return origin;
    if (align & textalign::Bottom) return origin - d.v * descent;
    return origin + d.v * ascent;
}

// A run drawn at the current position moves it to the run's far end; centred text leaves it.
QPointF AdvancedPosition(QPointF position, std::uint32_t align, const TextDirection& d,
                         double logicalWidth) {
    if ((align & textalign::HorizontalMask) == textalign::Center) return position;
    if (align & textalign::Right) return position - d.along * logicalWidth;
    return position + d.along * logicalWidth;
}

// The character cells of the run, which an opaque background mode fills.
QPainterPath CellBox(QPointF baseline, const TextDirection& d, double width, double ascent,
                     double descent) {
    const QPolygonF box({baseline - d.v * ascent, baseline - d.v * ascent + d.u * width,
                         baseline + d.v * descent + d.u * width, baseline + d.v * descent});
    QPainterPath p;
    p.addPolygon(box);
    return p;
}

// Draws a run's glyphs, the whole text or one cluster at a time, each at its point on the
// baseline, turned by the escapement and scaled by what the font's pixel size left over.
class GlyphPainter {
  public:
    GlyphPainter(QPainter& painter, const QTransform& painterBase, PlayerFontCache::Fonts& fonts,
                 const QColor& colour, double em, double xScale, double yScale, double angle)
        : painter_(painter),
          painterBase_(painterBase),
          fonts_(fonts),
          colour_(colour),
          xScale_(xScale),
          yScale_(yScale),
          angle_(angle),
          // Colour (bitmap) fonts are scaled as images however large the glyph: far beyond
          // any sensible size on the device the outlines are filled instead, as the painter
          // already does for other fonts.
          deviceEm_(em * std::max(std::hypot(painterBase.m11(), painterBase.m12()),
                                  std::hypot(painterBase.m21(), painterBase.m22()))) {}

    void DrawShaped(const QString& text, QPointF baseline) {
        painter_.setFont(fonts_.Font());
        Place(baseline);
        Draw(text);
    }

    // With a spacing array every character stands at its recorded place and needs no shaping:
    // the face's glyph is drawn directly, and only characters that need the text engine go
    // through it. False when the time cap ran out on the way.
    bool DrawSpaced(const QString& text, const std::vector<int>& clusterStarts,
                    const std::vector<QPointF>& offsets, QPointF baseline, bool decorated,
                    const QElapsedTimer& clock, int maxMillis) {
        const bool glyphs = deviceEm_ <= 1024 && !decorated;
        const QRawFont none;
        const QRawFont& raw = glyphs ? fonts_.Raw() : none;
        QGlyphRun glyphRun;
        glyphRun.setRawFont(raw);
        glyphRun.setPositions({QPointF(0, 0)});
        bool fontSet = false;
        const std::size_t n = clusterStarts.size();
        for (std::size_t i = 0; i < n; ++i) {
            if ((i & 1023) == 1023 && clock.elapsed() > maxMillis) return false;
            const int from = clusterStarts[i];
            const int to = i + 1 < n ? clusterStarts[i + 1] : static_cast<int>(text.size());
            const QStringView cluster = QStringView(text).mid(from, to - from);
            if (cluster.trimmed().isEmpty()) continue;
            Place(baseline + offsets[i]);
            quint32 glyph = 0;
            if (raw.isValid() && PlainGlyph(raw, cluster, &glyph)) {
                glyphRun.setGlyphIndexes({glyph});
                painter_.drawGlyphRun(QPointF(0, 0), glyphRun);
                continue;
            }
            if (!fontSet) painter_.setFont(fonts_.Font());
            fontSet = true;
            Draw(cluster.toString());
        }
        return true;
    }

  private:
    void Place(QPointF at) {
        QTransform t;
        t.translate(at.x(), at.y());
        t.rotate(-angle_);
        t.scale(xScale_, yScale_);
        painter_.setWorldTransform(t * painterBase_);
    }

    void Draw(const QString& glyphs) {
        if (deviceEm_ <= 1024) {
            painter_.drawText(QPointF(0, 0), glyphs);
            return;
        }
        QPainterPath outline;
        outline.addText(QPointF(0, 0), fonts_.Font(), glyphs);
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.fillPath(outline, colour_);
    }

    QPainter& painter_;
    const QTransform& painterBase_;
    PlayerFontCache::Fonts& fonts_;
    QColor colour_;
    double xScale_, yScale_, angle_;
    double deviceEm_;
};

}  // namespace

void EmfPlayer::TextRecord(std::uint32_t type, ByteView r) {
    const bool wide = type == emr::ExtTextOutW || type == emr::PolyTextOutW;
    const bool poly = type == emr::PolyTextOutA || type == emr::PolyTextOutW;
    std::uint64_t strings = poly ? r.U32Or(36) : 1;
    const std::uint64_t first = poly ? 40 : 36;
    if (!r.Has(first, strings * 40)) return;
    for (std::uint64_t s = 0; s < strings && !stopped_; ++s) {
        const std::uint64_t at = first + s * 40;
        TextRun run;
        run.reference = QPointF(r.I32Or(at), r.I32Or(at + 4));
        const std::uint64_t chars = r.U32Or(at + 8);
        const std::uint64_t offString = r.U32Or(at + 12);
        run.options = r.U32Or(at + 16);
        run.rect = QRectF(QPointF(r.I32Or(at + 20), r.I32Or(at + 24)),
                          QPointF(r.I32Or(at + 28), r.I32Or(at + 32)));
        run.hasRect = !run.rect.isNull() || (run.options & (eto::Opaque | eto::Clipped));
        const std::uint64_t offDx = r.U32Or(at + 36);
        if (chars > r.size()) continue;  // more characters than the record holds: damaged
        if (chars > static_cast<std::uint64_t>(limits_.maxPointsPerRecord)) {
            Stop(MetafileErrorKind::TooLarge, QStringLiteral("too many characters in one record"));
            return;
        }
        std::vector<int> unitSource;
        if (chars > 0) {
            if (!r.Has(offString, chars * (wide ? 2 : 1))) continue;
            if (wide) {
                run.text.resize(static_cast<qsizetype>(chars));
                for (std::uint64_t i = 0; i < chars; ++i) {
                    run.text[static_cast<qsizetype>(i)] = QChar(r.U16Or(offString + 2 * i));
                    unitSource.push_back(static_cast<int>(i));
                }
            } else {
                const QByteArrayView bytes(reinterpret_cast<const char*>(r.data() + offString),
                                           static_cast<qsizetype>(chars));
                run.text = FontMapper::Decode(bytes, dc_.font, &unitSource);
            }
        }
        std::vector<QPointF> advances;
        const bool pdy = (run.options & eto::Pdy) != 0;
        if (offDx != 0 && chars > 0 && r.Has(offDx, chars * (pdy ? 8 : 4))) {
            advances.reserve(static_cast<std::size_t>(chars));
            for (std::uint64_t i = 0; i < chars; ++i) {
                if (pdy)
                    advances.emplace_back(r.I32Or(offDx + 8 * i), r.I32Or(offDx + 8 * i + 4));
                else
                    advances.emplace_back(r.I32Or(offDx + 4 * i), 0);
            }
        }
        BuildClusters(run, unitSource, advances);
        DrawTextRun(run.text, run.clusterStarts, run.advances, run.reference, run.options,
                    run.hasRect ? &run.rect : nullptr, (dc_.textAlign & textalign::UpdateCp) != 0);
    }
}

void EmfPlayer::SmallTextOut(ByteView r) {
    const std::uint64_t chars = r.U32Or(16);
    const std::uint32_t options = r.U32Or(20);
    if (chars > static_cast<std::uint64_t>(limits_.maxPointsPerRecord)) return;
    std::uint64_t at = 36;
    QRectF rect;
    const bool hasRect = !(options & eto::NoRect);
    if (hasRect) {
        rect = QRectF(QPointF(r.I32Or(36), r.I32Or(40)), QPointF(r.I32Or(44), r.I32Or(48)));
        at += 16;
    }
    TextRun run;
    std::vector<int> unitSource;
    if (options & eto::SmallChars) {
        if (!r.Has(at, chars)) return;
        const QByteArrayView bytes(reinterpret_cast<const char*>(r.data() + at),
                                   static_cast<qsizetype>(chars));
        run.text = FontMapper::Decode(bytes, dc_.font, &unitSource);
    } else {
        if (!r.Has(at, chars * 2)) return;
        for (std::uint64_t i = 0; i < chars; ++i) {
            run.text.append(QChar(r.U16Or(at + 2 * i)));
            unitSource.push_back(static_cast<int>(i));
        }
    }
    BuildClusters(run, unitSource, {});
    DrawTextRun(run.text, run.clusterStarts, {}, QPointF(r.I32Or(8), r.I32Or(12)), options,
                hasRect ? &rect : nullptr, (dc_.textAlign & textalign::UpdateCp) != 0);
}

void EmfPlayer::DrawTextRun(const QString& text, const std::vector<int>& clusterStarts,
                            const std::vector<QPointF>& advances, QPointF reference,
                            std::uint32_t options, const QRectF* rect, bool useCurrentPosition) {
    if (inPath_) return;  // text in paths is not supported; the outline would be the glyphs
    painter_.setWorldTransform(painterBase_);
    const QPointF refLogical = useCurrentPosition ? dc_.position : reference;

    if (rect && (options & eto::Opaque))
        painter_.fillPath(TargetBox(full_, *rect), dc_.backgroundColour);
    if (text.isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;

    const FontObject& f = dc_.font;
    const FontCache::Resolved resolved = FontCache::Shared().Resolve(f);
    const FontMapper::Metrics metrics = resolved.metrics;
    const double em = EmPixels(f, metrics, full_, frameToTarget_);
    if (!std::isfinite(em) || em < 0.5 || em > 1e5) return;
    const int pixels = std::max(1, static_cast<int>(std::lround(em)));
    const double k = em / pixels;  // the rest of the size goes into the transform
    PlayerFontCache::Fonts& fonts = fonts_.Get(f, resolved.families, pixels);
    const QFontMetricsF fm(fonts.Font());
    const double stretch = WidthStretch(f, fm, full_, k);

    const TextDirection d = DirectionOf(full_, f.escapement);
    const RunExtent extent = advances.empty()
                                 ? ShapedExtent(fm.horizontalAdvance(text) * k * stretch, d)
                                 : SpacedExtent(advances, clusterStarts.size(), d);
    const double ascent = metrics.ascent * em, descent = metrics.descent * em;
    const QPointF baseline =
        AlignedBaseline(Map(refLogical), dc_.textAlign, d, extent.width, ascent, descent);
    if (useCurrentPosition)
        dc_.position = AdvancedPosition(dc_.position, dc_.textAlign, d, extent.logicalWidth);

    painter_.save();
    if (rect && (options & eto::Clipped))
        painter_.setClipPath(TargetBox(full_, *rect), Qt::IntersectClip);
    if (dc_.backgroundMode == dcmode::Opaque)
        painter_.fillPath(CellBox(baseline, d, extent.width, ascent, descent),
                          dc_.backgroundColour);
    painter_.setPen(dc_.textColour);
    GlyphPainter glyphs(painter_, painterBase_, fonts, dc_.textColour, em, k * stretch, k, d.angle);
    if (advances.empty()) {
        glyphs.DrawShaped(text, baseline);
    } else if (!glyphs.DrawSpaced(text, clusterStarts, extent.offsets, baseline,
                                  f.underline || f.strikeOut, clock_, limits_.maxMillis)) {
        Stop(MetafileErrorKind::TooLarge, QStringLiteral("time cap reached"));
    }
    painter_.restore();
}

}  // namespace tavlex::mf
