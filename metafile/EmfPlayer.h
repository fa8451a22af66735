#pragma once

#include "metafile/ByteView.h"
#include "metafile/EmfObjects.h"
#include "metafile/Metafile.h"
#include "metafile/PageMapping.h"
#include "metafile/PlaybackContext.h"
#include "metafile/PlayerDcState.h"
#include "metafile/PlayerFontCache.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace tavlex::mf {

// Plays the records of one enhanced metafile onto a painter the way the platform's graphics
// interface does: a device context of its own (mapping, world transform, objects, clip, path),
// every record read through a bounded view, caps from PlayLimits.
class EmfPlayer final : public PlaybackContext {
  public:
    EmfPlayer(const Metafile& metafile, QPainter& painter, const QRect& target,
              const PlayLimits& limits);

    // Plays every record; never throws.
    PlayResult Run();

    // PlaybackContext
    QPainter& Painter() override { return painter_; }
    QTransform LogicalToTarget() const override { return full_; }
    QTransform DeviceToTarget() const override { return frameToTarget_; }
    int StretchBltMode() const override { return dc_.stretchBltMode; }
    int Rop2() const override { return dc_.rop2; }
    QColor TextColour() const override { return dc_.textColour; }
    QColor BackgroundColour() const override { return dc_.backgroundColour; }
    int BackgroundMode() const override { return dc_.backgroundMode; }
    QBrush CurrentBrush() const override;
    const QList<QRgb>& Palette() const override { return dc_.palette; }
    bool ChargeBitmapBytes(std::int64_t bytes) override;
    std::int64_t BitmapBytesLeft() const override;
    void StorePatternBrush(std::uint32_t index, const QImage& pattern, bool monochrome) override;
    const PlayLimits& Limits() const override { return limits_; }

  private:
    void PlayRecord(std::uint32_t type, ByteView r);
    // Record families; each returns false for a record not of its family.
    bool MappingRecord(std::uint32_t type, ByteView r);
    bool StateRecord(std::uint32_t type, ByteView r);
    bool ObjectRecord(std::uint32_t type, ByteView r);
    bool PathOrClipRecord(std::uint32_t type, ByteView r);
    bool DrawRecord(std::uint32_t type, ByteView r);
    void Stop(MetafileErrorKind kind, const QString& reason);
    void MarkCancelled();
    // Between the parts of one long record: true when the page is no longer wanted or its time
    // is up, and it stops.
    bool OutOfTime();

    // State, mapping and objects (EmfPlayer.cpp).
    void UpdateTransform();
    void SaveDc();
    void RestoreDc(std::int32_t relative);
    GdiObject* Slot(std::uint32_t index);
    void SelectObject(std::uint32_t index);
    void SelectStockObject(std::uint32_t which);
    void CreatePen(ByteView r);
    void ExtCreatePen(ByteView r);
    void CreateBrush(ByteView r);
    void CreateFont(ByteView r);
    void CreatePalette(ByteView r);
    void SetPaletteEntries(ByteView r);

    // Clipping (EmfPlayerClip.cpp).
    void CombineClip(const QRegion& region, int mode);
    void ApplyClip();
    QRegion LogicalRectRegion(ByteView r, std::uint64_t offset) const;
    QRegion PolygonRegion(const QPolygonF& target, Qt::FillRule rule) const;
    std::optional<QRegion> ReadRegion(ByteView r, std::uint64_t offset, std::uint64_t size,
                                      const QTransform& toTarget);
    void ClipRecord(std::uint32_t type, ByteView r);
    void RegionRecord(std::uint32_t type, ByteView r);

    // Shapes, lines and paths (EmfPlayerShapes.cpp).
    QPen MakePen(const PenObject& pen) const;
    QBrush MakeBrush(const BrushObject& brush) const;
    bool PenVisible() const;
    void FillTarget(const QPainterPath& path, const QBrush& brush);
    void StrokeTarget(const QPainterPath& path);
    // Runs draw for path, in bands of device rows when the path is heavy (see
    // PlayLimits::bandedFrom). reach: how far the drawing may extend past the path's points, in
    // target units.
    void InBands(const QPainterPath& path, qreal reach, const std::function<void()>& draw);
    void Output(const QPainterPath& targetPath, bool fill, bool stroke);
    bool ReadPoints(ByteView r, std::uint64_t offset, std::uint64_t count, bool sixteen,
                    std::vector<QPointF>& out);
    void PolyRecord(std::uint32_t type, ByteView r);
    void PolyPolyRecord(std::uint32_t type, ByteView r);
    void PolyDraw(ByteView r, bool sixteen);
    void BoxRecord(std::uint32_t type, ByteView r);
    void ArcRecord(std::uint32_t type, ByteView r);
    void AngleArc(ByteView r);
    void PathRecord(std::uint32_t type, ByteView r);
    void SetPixel(ByteView r);
    QPainterPath ShrunkBoxPath(const QRectF& logicalBox, std::uint32_t type, QSizeF corner);
    QPointF Map(QPointF p) const { return full_.map(p); }

    // Gradients (EmfPlayerGradient.cpp).
    void GradientFill(ByteView r);
    void ShadeTriangle(QPointF p0, QPointF p1, QPointF p2, const std::array<const double*, 3>& rgb);
    QRectF VisibleTarget() const;

    // Text (EmfPlayerText.cpp).
    void TextRecord(std::uint32_t type, ByteView r);
    void DrawTextRun(const QString& text, const std::vector<int>& clusterStarts,
                     const std::vector<QPointF>& advances, QPointF reference, std::uint32_t options,
                     const QRectF* rect, bool useCurrentPosition);
    void SmallTextOut(ByteView r);

    const Metafile& metafile_;
    QPainter& painter_;
    PlayLimits limits_;
    PlayResult result_;
    bool stopped_ = false;

    QTransform frameToTarget_;
    QRectF regionWindow_;  // what regions keep of a polygon: the target and a margin
    QTransform full_;      // logical -> target
    ReferenceDevice device_;

    PlayerDcState dc_;
    std::vector<PlayerDcState> saved_;
    std::vector<GdiObject> objects_;

    bool inPath_ = false;
    QPainterPath path_;  // target coordinates

    bool hadClip_ = false;
    QPainterPath originalClip_;
    QTransform painterBase_;

    std::int64_t bitmapBytes_ = 0;
    PlayerFontCache fonts_;  // the text runs' fonts, kept from run to run
    QElapsedTimer clock_;
};

}  // namespace tavlex::mf
