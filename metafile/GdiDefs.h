#pragma once

// The numbers of the metafile formats, written once for the player, the converters and the
// writers: record types, map modes, stock objects, pen, brush and hatch styles, and the modes
// of the device context.

#include <cstdint>

namespace tavlex::mf {

// Enhanced-metafile record types (EMR_*).
namespace emr {
enum : std::uint32_t {
    Header = 1,
    PolyBezier = 2,
    Polygon = 3,
    Polyline = 4,
    PolyBezierTo = 5,
    PolyLineTo = 6,
    PolyPolyline = 7,
    PolyPolygon = 8,
    SetWindowExtEx = 9,
    SetWindowOrgEx = 10,
    SetViewportExtEx = 11,
    SetViewportOrgEx = 12,
    SetBrushOrgEx = 13,
    Eof = 14,
    SetPixelV = 15,
    SetMapperFlags = 16,
    SetMapMode = 17,
    SetBkMode = 18,
    SetPolyFillMode = 19,
    SetRop2 = 20,
    SetStretchBltMode = 21,
    SetTextAlign = 22,
    SetColorAdjustment = 23,
    SetTextColor = 24,
    SetBkColor = 25,
    OffsetClipRgn = 26,
    MoveToEx = 27,
    SetMetaRgn = 28,
    ExcludeClipRect = 29,
    IntersectClipRect = 30,
    ScaleViewportExtEx = 31,
    ScaleWindowExtEx = 32,
    SaveDc = 33,
    RestoreDc = 34,
    SetWorldTransform = 35,
    ModifyWorldTransform = 36,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    AngleArc = 41,
    Ellipse = 42,
    Rectangle = 43,
    RoundRect = 44,
    Arc = 45,
    Chord = 46,
    Pie = 47,
    SelectPalette = 48,
    CreatePalette = 49,
    SetPaletteEntries = 50,
    ResizePalette = 51,
    RealizePalette = 52,
    ExtFloodFill = 53,
    LineTo = 54,
    ArcTo = 55,
    PolyDraw = 56,
    SetArcDirection = 57,
    SetMiterLimit = 58,
    BeginPath = 59,
    EndPath = 60,
    CloseFigure = 61,
    FillPath = 62,
    StrokeAndFillPath = 63,
    StrokePath = 64,
    FlattenPath = 65,
    WidenPath = 66,
    SelectClipPath = 67,
    AbortPath = 68,
    GdiComment = 70,
    FillRgn = 71,
    FrameRgn = 72,
    InvertRgn = 73,
    PaintRgn = 74,
    ExtSelectClipRgn = 75,
    BitBlt = 76,
    StretchBlt = 77,
    MaskBlt = 78,
    PlgBlt = 79,
    SetDiBitsToDevice = 80,
    StretchDiBits = 81,
    ExtCreateFontIndirectW = 82,
    ExtTextOutA = 83,
    ExtTextOutW = 84,
    PolyBezier16 = 85,
    Polygon16 = 86,
    Polyline16 = 87,
    PolyBezierTo16 = 88,
    PolylineTo16 = 89,
    PolyPolyline16 = 90,
    PolyPolygon16 = 91,
    PolyDraw16 = 92,
    CreateMonoBrush = 93,
    CreateDibPatternBrushPt = 94,
    ExtCreatePen = 95,
    PolyTextOutA = 96,
    PolyTextOutW = 97,
    SetIcmMode = 98,
    CreateColorSpace = 99,
    SetColorSpace = 100,
    DeleteColorSpace = 101,
    SmallTextOut = 108,
    AlphaBlend = 114,
    SetLayout = 115,
    TransparentBlt = 116,
    GradientFill = 118,
    SetTextJustification = 120,
};
}  // namespace emr

// Function numbers of Windows-metafile records. The high byte of most of them is the number of
// parameter words, which the converters do not rely on: record sizes are checked instead.
namespace wmr {
enum : std::uint16_t {
    Eof = 0x0000,
    RealizePalette = 0x0035,
    SetPalEntries = 0x0037,
    SetBkMode = 0x0102,
    SetMapMode = 0x0103,
    SetRop2 = 0x0104,
    SetRelAbs = 0x0105,
    SetPolyFillMode = 0x0106,
    SetStretchBltMode = 0x0107,
    SetTextCharExtra = 0x0108,
    RestoreDc = 0x0127,
    InvertRegion = 0x012A,
    PaintRegion = 0x012B,
    SelectClipRegion = 0x012C,
    SelectObject = 0x012D,
    SetTextAlign = 0x012E,
    ResizePalette = 0x0139,
    DibCreatePatternBrush = 0x0142,
    SetLayout = 0x0149,
    DeleteObject = 0x01F0,
    CreatePatternBrush = 0x01F9,
    SetBkColor = 0x0201,
    SetTextColor = 0x0209,
    SetTextJustification = 0x020A,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    SetViewportOrg = 0x020D,
    SetViewportExt = 0x020E,
    OffsetWindowOrg = 0x020F,
    OffsetViewportOrg = 0x0211,
    LineTo = 0x0213,
    MoveTo = 0x0214,
    OffsetClipRgn = 0x0220,
    FillRegion = 0x0228,
    SetMapperFlags = 0x0231,
    SelectPalette = 0x0234,
    CreatePenIndirect = 0x02FA,
    CreateFontIndirect = 0x02FB,
    CreateBrushIndirect = 0x02FC,
    Polygon = 0x0324,
    Polyline = 0x0325,
    ScaleWindowExt = 0x0410,
    ScaleViewportExt = 0x0412,
    ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416,
    Ellipse = 0x0418,
    FloodFill = 0x0419,
    Rectangle = 0x041B,
    SetPixel = 0x041F,
    FrameRegion = 0x0429,
    AnimatePalette = 0x0436,
    TextOut = 0x0521,
    PolyPolygon = 0x0538,
    ExtFloodFill = 0x0548,
    RoundRect = 0x061C,
    PatBlt = 0x061D,
    Escape = 0x0626,
    CreateRegion = 0x06FF,
    Arc = 0x0817,
    Pie = 0x081A,
    Chord = 0x0830,
    BitBlt = 0x0922,
    DibBitBlt = 0x0940,
    ExtTextOut = 0x0A32,
    StretchBlt = 0x0B23,
    DibStretchBlt = 0x0B41,
    SetDibToDev = 0x0D33,
    StretchDib = 0x0F43,
    SaveDc = 0x001E,
    CreatePalette = 0x00F7,
};
}  // namespace wmr

// Map modes (MM_*).
namespace mapmode {
enum : int {
    Text = 1,
    LoMetric = 2,
    HiMetric = 3,
    LoEnglish = 4,
    HiEnglish = 5,
    Twips = 6,
    Isotropic = 7,
    Anisotropic = 8,
};
}  // namespace mapmode

// Stock objects are selected by handle index with the high bit set.
constexpr std::uint32_t kStockObject = 0x80000000u;

// Stock object indexes (the low bits of a stock handle).
namespace stock {
enum : std::uint32_t {
    WhiteBrush = 0,
    LtGrayBrush = 1,
    GrayBrush = 2,
    DkGrayBrush = 3,
    BlackBrush = 4,
    NullBrush = 5,
    WhitePen = 6,
    BlackPen = 7,
    NullPen = 8,
    OemFixedFont = 10,
    AnsiFixedFont = 11,
    AnsiVarFont = 12,
    SystemFont = 13,
    DeviceDefaultFont = 14,
    DefaultPalette = 15,
    SystemFixedFont = 16,
    DefaultGuiFont = 17,
    DcBrush = 18,
    DcPen = 19,
};
}  // namespace stock

// Pen styles (PS_*): the low bits of a pen's style.
namespace penstyle {
enum : std::uint32_t {
    Solid = 0,
    Dash = 1,
    Dot = 2,
    DashDot = 3,
    DashDotDot = 4,
    Null = 5,
    InsideFrame = 6,
    UserStyle = 7,
    Alternate = 8,
    StyleMask = 0x0F,
    EndcapMask = 0x0F00,
    EndcapSquare = 0x0100,
    EndcapFlat = 0x0200,
    JoinMask = 0xF000,
    JoinBevel = 0x1000,
    JoinMiter = 0x2000,
    Geometric = 0x00010000,
};
}  // namespace penstyle

// Brush styles (BS_*).
namespace brushstyle {
enum : std::uint32_t {
    Solid = 0,
    Null = 1,
    Hatched = 2,
    Pattern = 3,
    DibPattern = 5,
    DibPatternPt = 6,
};
}  // namespace brushstyle

// Hatch styles (HS_*).
namespace hatch {
enum : std::uint32_t {
    Horizontal = 0,
    Vertical = 1,
    FDiagonal = 2,
    BDiagonal = 3,
    Cross = 4,
    DiagCross = 5,
};
}  // namespace hatch

// How a region combines with the clip (RGN_*).
namespace regionmode {
enum : int {
    And = 1,
    Or = 2,
    Xor = 3,
    Diff = 4,
    Copy = 5,
};
}  // namespace regionmode

// Background modes, fill modes, arc direction, graphics mode and the world-transform changes.
namespace dcmode {
enum : int {
    Transparent = 1,  // SetBkMode
    Opaque = 2,
    Alternate = 1,  // SetPolyFillMode
    Winding = 2,
    CounterClockwise = 1,  // SetArcDirection
    Clockwise = 2,
    CompatibleGraphics = 1,  // SetGraphicsMode
    AdvancedGraphics = 2,
};
}  // namespace dcmode

// ModifyWorldTransform modes (MWT_*).
namespace worldmode {
enum : std::uint32_t {
    Identity = 1,
    LeftMultiply = 2,
    RightMultiply = 3,
    Set = 4,
};
}  // namespace worldmode

// Binary raster operations (R2_*).
namespace rop2 {
enum : int {
    Black = 1,
    NotMergePen = 2,
    MaskNotPen = 3,
    NotCopyPen = 4,
    MaskPenNot = 5,
    Not = 6,
    XorPen = 7,
    NotMaskPen = 8,
    MaskPen = 9,
    NotXorPen = 10,
    Nop = 11,
    MergeNotPen = 12,
    CopyPen = 13,
    MergePenNot = 14,
    MergePen = 15,
    White = 16,
};
}  // namespace rop2

// Stretch modes (SetStretchBltMode).
namespace stretchmode {
enum : int {
    BlackOnWhite = 1,
    WhiteOnBlack = 2,
    ColorOnColor = 3,
    Halftone = 4,
};
}  // namespace stretchmode

// ExtTextOut options (ETO_*).
namespace eto {
enum : std::uint32_t {
    Opaque = 0x0002,
    Clipped = 0x0004,
    GlyphIndex = 0x0010,
    RtlReading = 0x0080,
    NoRect = 0x0100,
    SmallChars = 0x0200,
    Pdy = 0x2000,
};
}  // namespace eto

// Text alignment (TA_*): the horizontal and vertical fields and the current-position flag.
namespace textalign {
enum : std::uint32_t {
    UpdateCp = 0x0001,
    Right = 0x0002,
    Center = 0x0006,
    HorizontalMask = 0x0006,
    Bottom = 0x0008,
    Baseline = 0x0018,
    VerticalMask = 0x0018,
};
}  // namespace textalign

// Gradient fill modes (GRADIENT_FILL_*).
namespace gradientmode {
enum : std::uint32_t {
    RectH = 0,
    RectV = 1,
    Triangle = 2,
};
}  // namespace gradientmode

// PolyDraw point types (PT_*).
namespace pointtype {
enum : std::uint8_t {
    CloseFigure = 1,
    LineTo = 2,
    BezierTo = 4,
    MoveTo = 6,
};
}  // namespace pointtype

// The placeable header's key.
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr int kPlaceableHeaderSize = 22;
constexpr int kMetaHeaderSize = 18;

// " EMF", the signature of an enhanced metafile's header record.
constexpr std::uint32_t kEmfSignature = 0x464D4520u;

}  // namespace tavlex::mf
