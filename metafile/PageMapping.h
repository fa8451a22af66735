#pragma once

// The page transform of a device context (map mode, window and viewport) kept as the platform
// keeps it, for the player and the EMF-to-WMF converter alike.

#include "metafile/ByteView.h"
#include "metafile/GdiDefs.h"

#include <QPointF>
#include <QSizeF>
#include <QTransform>

#include <cstdint>

namespace tavlex::mf {

// The device a metafile was recorded for: the fixed map modes and the isotropic mode scale
// from its pixels per millimetre.
struct ReferenceDevice {
    QSizeF pixels{1024, 768};  // 96 pixels per inch when the header says nothing usable
    QSizeF millimetres{270.93, 203.2};

    // The header's sizes, or the default where one of them is not positive.
    static ReferenceDevice From(QSizeF pixels, QSizeF millimetres);
};

struct PageMapping {
    int mapMode = mapmode::Text;
    QPointF windowOrg{0, 0};
    QPointF viewportOrg{0, 0};
    QSizeF windowExt{1, 1};
    QSizeF viewportExt{1, 1};

    // EMR_SETMAPMODE: the fixed modes set both extents from the device, the isotropic mode
    // starts as 0.1 mm, the anisotropic mode keeps them. A mode out of range is ignored.
    void SetMapMode(int mode, const ReferenceDevice& device);
    // EMR_SETWINDOWEXTEX and EMR_SETVIEWPORTEXTEX: only the isotropic and anisotropic modes
    // take extents, and never a zero one.
    void SetWindowExt(std::int32_t cx, std::int32_t cy, const ReferenceDevice& device);
    void SetViewportExt(std::int32_t cx, std::int32_t cy, const ReferenceDevice& device);
    // EMR_SCALEWINDOWEXTEX and EMR_SCALEVIEWPORTEXTEX: extent * numerator / denominator, cut
    // toward zero.
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom,
                        const ReferenceDevice& device);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom,
                          const ReferenceDevice& device);

    // Logical units to pixels of the reference device.
    QTransform Transform() const;

  private:
    bool TakesExtents() const {
        return mapMode == mapmode::Isotropic || mapMode == mapmode::Anisotropic;
    }
    void Scale(QSizeF& ext, double xNum, double xDenom, double yNum, double yDenom,
               const ReferenceDevice& device);
    void FixIsotropic(const ReferenceDevice& device);
};

// EMR_SETWORLDTRANSFORM or EMR_MODIFYWORLDTRANSFORM applied to a world transform. A record
// short of its six values, or with one that is not finite or beyond any real drawing, leaves
// the transform as it was.
void ApplyWorldTransform(QTransform& world, std::uint32_t type, ByteView r);

}  // namespace tavlex::mf
