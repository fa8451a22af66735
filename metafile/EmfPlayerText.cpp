#include "metafile/EmfPlayer.h"

#include "metafile/FontCache.h"
#include "metafile/FontMapper.h"
#include "metafile/GdiDefs.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
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

    if (rect && (options & eto::Opaque)) {
        QPainterPath box;
        box.addPolygon(full_.map(QPolygonF(rect->normalized())));
        painter_.fillPath(box, dc_.backgroundColour);
    }
    if (text.isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;

    // Font size in target pixels. A negative height is the em size, a positive one the cell
    // height (ascent plus descent).
    const FontObject& f = dc_.font;
    const double sx = std::hypot(full_.m11(), full_.m12());
    const double sy = std::hypot(full_.m21(), full_.m22());
    const FontCache::Resolved resolved = FontCache::Shared().Resolve(f);
    const FontMapper::Metrics metrics = resolved.metrics;
    double em;
    if (f.height < 0) {
        em = -static_cast<double>(f.height) * sy;
    } else {
        const double cell = f.height > 0 ? f.height * sy : 16 * std::fabs(frameToTarget_.m22());
        const double h = metrics.ascent + metrics.descent;
        em = h > 0 ? cell / h : cell;
    }
    if (!std::isfinite(em) || em < 0.5 || em > 1e5) return;
    const int pixels = std::max(1, static_cast<int>(std::lround(em)));
    const double k = em / pixels;  // the rest of the size goes into the transform
    PlayerFontCache::Fonts& fonts = fonts_.Get(f, resolved.families, pixels);
    const QFont& font = fonts.Font();
    const QFontMetricsF fm(font);
    double stretch = 1;
    if (f.width != 0 && fm.averageCharWidth() > 0) {
        stretch = std::fabs(f.width) * sx / (fm.averageCharWidth() * k);
        if (!std::isfinite(stretch) || stretch <= 0.05 || stretch > 20) stretch = 1;
    }

    // The escapement turns counterclockwise in logical space, so a mapping that flips y turns
    // it the other way on screen; glyphs stay upright either way.
    const double rad = f.escapement / 10.0 * std::numbers::pi / 180;
    const QTransform linear(full_.m11(), full_.m12(), full_.m21(), full_.m22(), 0, 0);
    // Along the baseline and across it (downwards) in logical space: spacing and the current
    // position advance along the escapement there, so a mapping that scales x and y apart
    // stretches rotated text by its y scale.
    const QPointF along(std::cos(rad), -std::sin(rad)), across(std::sin(rad), std::cos(rad));
    QPointF u = linear.map(along);
    const double ulen = std::hypot(u.x(), u.y());
    u = ulen > 0 ? u / ulen : QPointF(1, 0);
    const QPointF v(-u.y(), u.x());  // downwards, across the baseline
    const double angle = std::atan2(-u.y(), u.x()) * 180 / std::numbers::pi;

    // Cluster offsets along the baseline (and across it for ETO_PDY), in target pixels.
    const std::size_t n = clusterStarts.size();
    std::vector<QPointF> offsets(n);
    double width = 0;
    double logicalWidth = 0;
    if (!advances.empty()) {
        QPointF cum(0, 0);
        for (std::size_t i = 0; i < n; ++i) {
            offsets[i] = linear.map(along * cum.x() + across * cum.y());
            cum += QPointF(advances[i].x(), advances[i].y());
        }
        width = cum.x() * ulen;
        logicalWidth = cum.x();
    } else {
        width = fm.horizontalAdvance(text) * k * stretch;
        logicalWidth = ulen > 0 ? width / ulen : 0;
    }

    QPointF origin = Map(refLogical);
    const std::uint32_t align = dc_.textAlign;
    if ((align & textalign::HorizontalMask) == textalign::Center)
        origin -= u * (width / 2);
    else if (align & textalign::Right)
        origin -= u * width;
    const double ascent = metrics.ascent * em, descent = metrics.descent * em;
    QPointF baseline = origin;
    if ((align & textalign::VerticalMask) == textalign::Baseline) {
    } else if (align & textalign::Bottom) {
        baseline -= v * descent;
    } else {
        baseline += v * ascent;
    }

    if (useCurrentPosition) {
        if ((align & textalign::HorizontalMask) == textalign::Center) {
        } else if (align & textalign::Right) {
            dc_.position -= along * logicalWidth;
        } else {
            dc_.position += along * logicalWidth;
        }
    }

    painter_.save();
    if (rect && (options & eto::Clipped))
        painter_.setClipPath(
            [&] {
                QPainterPath p;
                p.addPolygon(full_.map(QPolygonF(rect->normalized())));
                return p;
            }(),
            Qt::IntersectClip);
    if (dc_.backgroundMode == dcmode::Opaque) {
        const QPolygonF box({baseline - v * ascent, baseline - v * ascent + u * width,
                             baseline + v * descent + u * width, baseline + v * descent});
        QPainterPath p;
        p.addPolygon(box);
        painter_.fillPath(p, dc_.backgroundColour);
    }
    painter_.setPen(dc_.textColour);
    // Colour (bitmap) fonts are scaled as images however large the glyph: far beyond any
    // sensible size on the device the outlines are filled instead, as the painter already does
    // for other fonts.
    const double deviceEm = em * std::max(std::hypot(painterBase_.m11(), painterBase_.m12()),
                                          std::hypot(painterBase_.m21(), painterBase_.m22()));
    auto draw = [&](const QString& glyphs) {
        if (deviceEm <= 1024) {
            painter_.drawText(QPointF(0, 0), glyphs);
            return;
        }
        QPainterPath outline;
        outline.addText(QPointF(0, 0), font, glyphs);
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.fillPath(outline, dc_.textColour);
    };
    auto place = [&](QPointF at) {
        QTransform t;
        t.translate(at.x(), at.y());
        t.rotate(-angle);
        t.scale(k * stretch, k);
        painter_.setWorldTransform(t * painterBase_);
    };
    if (advances.empty()) {
        painter_.setFont(font);
        place(baseline);
        draw(text);
    } else {
        // With a spacing array every character stands at its recorded place and needs no
        // shaping: the face's glyph is drawn directly, and only characters that need the text
        // engine go through it.
        const bool glyphs = deviceEm <= 1024 && !f.underline && !f.strikeOut;
        const QRawFont none;
        const QRawFont& raw = glyphs ? fonts.Raw() : none;
        QGlyphRun glyphRun;
        glyphRun.setRawFont(raw);
        glyphRun.setPositions({QPointF(0, 0)});
        bool fontSet = false;
        for (std::size_t i = 0; i < n; ++i) {
            if ((i & 1023) == 1023 && clock_.elapsed() > limits_.maxMillis) {
                Stop(MetafileErrorKind::TooLarge, QStringLiteral("time cap reached"));
                break;
            }
            const int from = clusterStarts[i];
            const int to = i + 1 < n ? clusterStarts[i + 1] : static_cast<int>(text.size());
            const QStringView cluster = QStringView(text).mid(from, to - from);
            if (cluster.trimmed().isEmpty()) continue;
            place(baseline + offsets[i]);
            quint32 glyph = 0;
            if (raw.isValid() && PlainGlyph(raw, cluster, &glyph)) {
                glyphRun.setGlyphIndexes({glyph});
                painter_.drawGlyphRun(QPointF(0, 0), glyphRun);
                continue;
            }
            if (!fontSet) painter_.setFont(font);
            fontSet = true;
            draw(cluster.toString());
        }
    }
    painter_.restore();
}

}  // namespace tavlex::mf
