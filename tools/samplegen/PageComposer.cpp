#include "tools/samplegen/PageComposer.h"

#include <QRect>

#include <cstdint>

#include "metafile/EmfWriter.h"

namespace tavlex::samplegen {
namespace {

using mf::EmfWriter;
using mf::RectL;

// GDI constants the page uses.
constexpr std::int32_t kMmAnisotropic = 8;
constexpr std::uint32_t kTransparent = 1;
constexpr std::uint32_t kHalftone = 4;
constexpr std::uint32_t kEtoClipped = 4;
constexpr std::uint32_t kNullBrush = 5;
constexpr std::uint8_t kShiftJisCharset = 128;

// Object handles, fixed for every page.
enum Handle : std::uint32_t {
    kThinPen = 1,
    kFramePen,
    kLabelBrush,
    kLabelFont,
    kValueFont,
    kTitleFont
};

// The reference device every page records: a 96 pixels-per-inch screen.
const QSize kDevicePixels(1920, 1080);
const QSize kDeviceMillimetres(508, 286);

mf::LogFont Font(const QString& face, int height, int weight) {
    mf::LogFont font;
    font.height = -height;  // character height, as the album programs record it
    font.weight = weight;
    font.charSet = kShiftJisCharset;
    font.pitchAndFamily = 0x31;  // FIXED_PITCH | FF_ROMAN-like: the faces are monospaced
    font.faceName = face;
    return font;
}

bool IsFullWidth(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return false;
    if (u >= 0xFF61 && u <= 0xFF9F) return false;  // half-width katakana
    return true;
}

// Advances as the monospaced Japanese faces give them: a full em for full-width characters,
// half an em for the rest. The player places glyphs by these, so a substitute face keeps them.
QVector<std::int32_t> Advances(const QString& text, int height) {
    QVector<std::int32_t> dx;
    for (QChar c : text) dx.append(IsFullWidth(c) ? height : height / 2);
    return dx;
}

int TextWidth(const QString& text, int height) {
    int width = 0;
    for (std::int32_t advance : Advances(text, height)) width += advance;
    return width;
}

class PageRecorder {
  public:
    PageRecorder(int width, int height)
        : writer_(Header(width, height)), width_(width), height_(height) {
        writer_.SetMapMode(kMmAnisotropic);
        writer_.SetWindowOrgEx(0, 0);
        writer_.SetWindowExtEx(width, height);
        writer_.SetViewportOrgEx(0, 0);
        writer_.SetViewportExtEx(
            Pixels(width, kDevicePixels.width(), kDeviceMillimetres.width()),
            Pixels(height, kDevicePixels.height(), kDeviceMillimetres.height()));
        writer_.SetBkMode(kTransparent);
        writer_.SetTextColor(0);
        writer_.AddRecord(mf::emr::SetStretchBltMode, U32(kHalftone));
        writer_.CreatePen(kThinPen, 0, 15, 0);
        writer_.CreatePen(kFramePen, 0, 30, 0);
        writer_.CreateBrushIndirect(kLabelBrush, 0, mf::ToColorRef(QColor(230, 236, 242)));
        writer_.ExtCreateFontIndirectW(kLabelFont,
                                       Font(QStringLiteral("ＭＳ ゴシック"), kLabelHeight, 400));
        writer_.ExtCreateFontIndirectW(kValueFont,
                                       Font(QStringLiteral("ＭＳ 明朝"), kValueHeight, 400));
        writer_.ExtCreateFontIndirectW(kTitleFont,
                                       Font(QStringLiteral("ＭＳ ゴシック"), kTitleHeight, 700));
    }

    static constexpr int kLabelHeight = 340;
    static constexpr int kValueHeight = 320;
    static constexpr int kTitleHeight = 480;

    void Text(int x, int y, const QString& text, std::uint32_t font, int height,
              const QRect& clip = {}) {
        writer_.SelectObject(font);
        if (clip.isNull()) {
            writer_.ExtTextOutW(QPoint(x, y), text, Advances(text, height));
        } else {
            writer_.ExtTextOutW(
                QPoint(x, y), text, Advances(text, height), kEtoClipped,
                RectL{clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        }
    }

    void CentredText(int centreX, int y, const QString& text, std::uint32_t font, int height) {
        Text(centreX - TextWidth(text, height) / 2, y, text, font, height);
    }

    void Line(int x0, int y0, int x1, int y1, std::uint32_t pen) {
        writer_.SelectObject(pen);
        writer_.MoveToEx(x0, y0);
        writer_.LineTo(x1, y1);
    }

    void Box(const QRect& r, std::uint32_t pen, std::uint32_t brush) {
        writer_.SelectObject(pen);
        writer_.SelectObject(brush);
        writer_.Rectangle(RectL{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }

    // The photograph fills r; a frame line is drawn round it as the album programs do.
    void Photo(const QRect& r, const QImage& image) {
        writer_.StretchDIBits(RectL{r.left(), r.top(), r.right() + 1, r.bottom() + 1}, image);
        Box(r, kThinPen, mf::kStockObject | kNullBrush);
    }

    // The caption frame: labels in a shaded column, values beside them.
    void Caption(const QRect& r, const PhotoCaption& caption) {
        const QStringList labels = PageComposer::CaptionLabels();
        const QStringList values = {caption.work, caption.kind, caption.date, caption.place,
                                    caption.note};
        const int rows = static_cast<int>(labels.size());
        const int rowHeight = r.height() / rows;
        const int labelWidth = 2000;
        Box(QRect(r.left(), r.top(), labelWidth, rowHeight * rows), kThinPen, kLabelBrush);
        for (int i = 0; i < rows; ++i) {
            const int top = r.top() + i * rowHeight;
            if (i > 0) Line(r.left(), top, r.right(), top, kThinPen);
            const int textY = top + (rowHeight - kLabelHeight) / 2;
            Text(r.left() + 200, textY, labels[i], kLabelFont, kLabelHeight);
            const QRect cell(r.left() + labelWidth + 150, top, r.width() - labelWidth - 300,
                             rowHeight);
            Text(cell.left(), top + (rowHeight - kValueHeight) / 2, values.value(i), kValueFont,
                 kValueHeight, cell);
        }
        Line(r.left() + labelWidth, r.top(), r.left() + labelWidth, r.top() + rowHeight * rows,
             kThinPen);
        Box(QRect(r.left(), r.top(), r.width(), rowHeight * rows), kFramePen,
            mf::kStockObject | kNullBrush);
    }

    QByteArray Finish() { return writer_.Finish(); }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    static int Pixels(int hundredthsMm, int pixels, int millimetres) {
        return static_cast<int>(std::int64_t{hundredthsMm} * pixels /
                                (std::int64_t{millimetres} * 100));
    }
    static QByteArray U32(std::uint32_t value) {
        QByteArray out;
        mf::PutU32(out, value);
        return out;
    }
    static EmfWriter::Header Header(int width, int height) {
        EmfWriter::Header header;
        header.frame = RectL{0, 0, width - 1, height - 1};
        header.devicePixels = kDevicePixels;
        header.deviceMillimetres = kDeviceMillimetres;
        header.description =
            QStringLiteral("Tavlex sample generator") + QChar(0) + QStringLiteral("工事写真帳");
        return header;
    }

    EmfWriter writer_;
    int width_;
    int height_;
};

}  // namespace

QStringList PageComposer::CaptionLabels() {
    return {QStringLiteral("工事名"), QStringLiteral("工種"), QStringLiteral("撮影日"),
            QStringLiteral("撮影箇所"), QStringLiteral("備考")};
}

QByteArray PageComposer::Compose(int shownPageNumber, const std::vector<PhotoSlot>& photos) const {
    PageRecorder page(PageWidth(), PageHeight());
    const int left = 1500, right = PageWidth() - 1500;
    // Title band.
    page.CentredText(PageWidth() / 2, 800, title_, kTitleFont, PageRecorder::kTitleHeight);
    page.Line(left, 1450, right, 1450, kFramePen);
    const int top = 1800, bottom = PageHeight() - 1500;
    const int count = static_cast<int>(photos.size());
    if (count > 0 && paper_ == Paper::A4Portrait) {
        // Slots stacked: photograph at 4:3 on the left, caption frame on the right.
        const int slotHeight = (bottom - top) / count;
        for (int i = 0; i < count; ++i) {
            const int slotTop = top + i * slotHeight;
            int photoHeight = slotHeight - 800;
            int photoWidth = photoHeight * 4 / 3;
            if (photoWidth > 11500) {
                photoWidth = 11500;
                photoHeight = photoWidth * 3 / 4;
            }
            const int photoTop = slotTop + (slotHeight - photoHeight) / 2;
            page.Photo(QRect(left, photoTop, photoWidth, photoHeight), photos[i].photo);
            const int captionLeft = left + photoWidth + 400;
            page.Caption(QRect(captionLeft, photoTop, right - captionLeft, photoHeight),
                         photos[i].caption);
        }
    } else if (count > 0) {
        // Landscape: photos side by side, caption frame under each photograph.
        const int gap = 600;
        const int slotWidth = (right - left - gap * (count - 1)) / count;
        const int photoHeight = slotWidth * 3 / 4;
        for (int i = 0; i < count; ++i) {
            const int slotLeft = left + i * (slotWidth + gap);
            page.Photo(QRect(slotLeft, top, slotWidth, photoHeight), photos[i].photo);
            const int captionTop = top + photoHeight + 400;
            page.Caption(QRect(slotLeft, captionTop, slotWidth, bottom - captionTop),
                         photos[i].caption);
        }
    }
    page.CentredText(PageWidth() / 2, PageHeight() - 1100,
                     QStringLiteral("- %1 -").arg(shownPageNumber), kValueFont,
                     PageRecorder::kValueHeight);
    return page.Finish();
}

}  // namespace tavlex::samplegen
