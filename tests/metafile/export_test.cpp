// Writing a page out: the kind chosen by the file name, the bitmap at the page's own size,
// clipboard data, and failures that reach the caller.

#include <gtest/gtest.h>

#include "tests/common/GuiTestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>

#include <memory>
#include <ostream>
#include <stdexcept>

#include "metafile/EmfWriter.h"
#include "metafile/Export.h"
#include "metafile/Metafile.h"
#include "metafile/WmfWriter.h"

namespace tavlex::mf {
namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr QRgb kRed = 0xFFFF0000u;

// An enhanced metafile of 80 x 60 mm recorded on a 200 pixels-per-inch reference device (so its
// own size differs from any screen's), with a red block in its top-left quarter.
QByteArray RedCornerEmf(const RectL& frame = {0, 0, 8000, 6000}) {
    EmfWriter::Header header;
    header.frame = frame;
    header.devicePixels = QSize(2000, 1000);
    header.deviceMillimetres = QSize(254, 127);  // 200 pixels per inch
    EmfWriter w(header);
    w.SetMapMode(8);  // MM_ANISOTROPIC: logical units are 0.01 mm
    w.SetWindowExtEx(8000, 6000);
    w.SetViewportExtEx(630, 472);
    w.CreatePen(1, 5, 0, 0);  // PS_NULL
    w.CreateBrushIndirect(2, 0, 0x0000FF);
    w.SelectObject(1);
    w.SelectObject(2);
    w.Rectangle({0, 0, 4000, 3000});
    return w.Finish();
}

// A placeable WMF of 2 x 1 inches at 1440 units per inch with a red block in its top-left quarter.
QByteArray RedCornerWmf() {
    WmfWriter w(WmfWriter::Placeable{0, 0, 2880, 1440, 1440});
    w.SetMapMode(8);
    w.SetWindowOrg(0, 0);
    w.SetWindowExt(2880, 1440);
    const int pen = w.CreatePenIndirect(5, 0, 0);
    const int brush = w.CreateBrushIndirect(0, 0x0000FF, 0);
    w.SelectObject(pen);
    w.SelectObject(brush);
    w.Rectangle(0, 0, 1440, 720);
    return w.Finish();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Little-endian fields of a written file; 0 past its end.
std::uint32_t LittleEndianAt(const QByteArray& bytes, int offset, int size) {
    if (offset < 0 || bytes.size() < offset + size) return 0;
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes.at(offset + i));
    return value;
}
std::uint32_t U32At(const QByteArray& bytes, int offset) {
    return LittleEndianAt(bytes, offset, 4);
}
std::uint16_t U16At(const QByteArray& bytes, int offset) {
    return static_cast<std::uint16_t>(LittleEndianAt(bytes, offset, 2));
}

bool IsEmf(const QByteArray& bytes) {
    return U32At(bytes, 0) == 1 && U32At(bytes, 40) == 0x464D4520u;
}
bool IsPlaceable(const QByteArray& bytes) {
    return U32At(bytes, 0) == kPlaceableKey;
}

class ExportTest : public testing::Test {
  protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }
};

// The kind written follows the name: ".wmf" in any letter case gives a placeable WMF, any other
// name the kind the album stores.
struct NamingCase {
    const char* name;
    bool storedAsWmf;
    bool expectPlaceable;  // the file written is a placeable WMF
};
void PrintTo(const NamingCase& c, std::ostream* out) {
    *out << c.name << (c.storedAsWmf ? " (WMF page)" : " (EMF page)");
}

class NamingRule : public ExportTest, public testing::WithParamInterface<NamingCase> {};

TEST_P(NamingRule, WritesTheKindTheNameAsksFor) {
    const NamingCase& c = GetParam();
    const QByteArray stored = c.storedAsWmf ? RedCornerWmf() : RedCornerEmf();
    const Metafile page = Metafile::Load(stored);
    const QString path = Path(QString::fromUtf8(c.name));
    QDir().mkpath(QFileInfo(path).absolutePath());

    WriteMetafileFile(page, path);

    const QByteArray written = ReadAll(path);
    EXPECT_EQ(IsPlaceable(written), c.expectPlaceable);
    if (c.expectPlaceable && !c.storedAsWmf) {
        ASSERT_TRUE(IsPlaceable(written));
        // What other programs open must also open here and be the same picture.
        const Metafile back = Metafile::Load(written);
        EXPECT_EQ(back.Kind(), MetafileKind::Placeable);
        const QImage image = RenderNaturalBitmap(back, 96);
        EXPECT_EQ(image.pixel(image.width() / 4, image.height() / 4), kRed);
        EXPECT_EQ(image.pixel(image.width() * 3 / 4, image.height() * 3 / 4), 0xFFFFFFFFu);
    } else {
        EXPECT_EQ(written, stored);  // the stored bytes, untouched, whatever the kind
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, NamingRule,
    testing::Values(NamingCase{"page.wmf", false, true}, NamingCase{"PAGE.WMF", false, true},
                    NamingCase{"page.Wmf", false, true}, NamingCase{"page.emf", false, false},
                    NamingCase{"page.EMF", false, false}, NamingCase{"page.wmf.emf", false, false},
                    NamingCase{"page", false, false}, NamingCase{"wmf", false, false},
                    NamingCase{"x.wmf/page.emf", false, false},
                    NamingCase{"page.emf", true, true},    // a WMF page keeps its kind
                    NamingCase{"page.wmf", true, true}));  // and stays as stored

TEST(WmfFileName, LooksOnlyAtTheFileNamesOwnExtension) {
    EXPECT_TRUE(IsWmfFileName(QStringLiteral("/a/b/c.WmF")));
    EXPECT_FALSE(IsWmfFileName(QStringLiteral("/a/b.wmf/c")));
    EXPECT_FALSE(IsWmfFileName(QStringLiteral("/a/b/c.wmfx")));
    EXPECT_FALSE(IsWmfFileName(QStringLiteral("/a/b/cwmf")));
}

TEST_F(ExportTest, BitmapHasThePagesOwnSizeAndA24BitHeader) {
    // An EMF's own size comes from its reference device (200 ppi here), whatever the screen;
    // a WMF's from the screen's pixels per inch.
    struct Case {
        QByteArray bytes;
        int ppi;
        QSize expected;
        std::uint32_t pixelsPerMetre;  // the resolution that size was taken at
    };
    const Case cases[] = {
        {RedCornerEmf(), 96, QSize(630, 472), 7874},   // 80 x 60 mm at 200 ppi
        {RedCornerEmf(), 144, QSize(630, 472), 7874},  // zoom and screen do not matter
        {RedCornerWmf(), 96, QSize(192, 96), 3780},    // 2 x 1 inches
        {RedCornerWmf(), 120, QSize(240, 120), 4724},
    };
    for (const Case& c : cases) {
        const Metafile page = Metafile::Load(c.bytes);
        ASSERT_EQ(page.NaturalPixelSize(c.ppi), c.expected);
        const QString path = Path(QStringLiteral("page.bmp"));
        WriteNaturalBitmap(page, c.ppi, path);
        const QByteArray bmp = ReadAll(path);
        ASSERT_GE(bmp.size(), 54);
        EXPECT_EQ(bmp.left(2), QByteArray("BM"));
        EXPECT_EQ(U32At(bmp, 14), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(static_cast<int>(U32At(bmp, 18)), c.expected.width());
        EXPECT_EQ(static_cast<int>(U32At(bmp, 22)), c.expected.height());
        EXPECT_EQ(U16At(bmp, 26), 1);
        EXPECT_EQ(U16At(bmp, 28), 24) << "bits per pixel";
        EXPECT_EQ(U32At(bmp, 30), 0u) << "BI_RGB";
        EXPECT_EQ(U32At(bmp, 38), c.pixelsPerMetre);
        EXPECT_EQ(U32At(bmp, 42), c.pixelsPerMetre);
        const int stride = (c.expected.width() * 3 + 3) & ~3;
        EXPECT_EQ(bmp.size(), U32At(bmp, 10) + qsizetype{stride} * c.expected.height());
        // Drawn at the origin over white.
        const QImage back = QImage::fromData(bmp, "BMP");
        ASSERT_EQ(back.size(), c.expected);
        EXPECT_EQ(back.pixel(2, 2), kRed);
        EXPECT_EQ(back.pixel(back.width() / 4, back.height() / 4), kRed);
        EXPECT_EQ(back.pixel(back.width() - 3, back.height() - 3), 0xFFFFFFFFu);
    }
}

TEST_F(ExportTest, BitmapTooLargeToHoldIsRefusedNotAttempted) {
    // A frame of about 20 m square: billions of pixels at the reference device.
    const Metafile page = Metafile::Load(RedCornerEmf({0, 0, 2'000'000, 2'000'000}));
    EXPECT_THROW(RenderNaturalBitmap(page, 96), std::runtime_error);
    EXPECT_THROW(WriteNaturalBitmap(page, 96, Path(QStringLiteral("big.bmp"))), std::runtime_error);
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("big.bmp"))));
}

TEST_F(ExportTest, WriteFailuresReachTheCallerAndLeaveNoFile) {
    const Metafile page = Metafile::Load(RedCornerEmf());
    const QString missingFolder = Path(QStringLiteral("no/such/folder/page.emf"));
    EXPECT_THROW(WriteMetafileFile(page, missingFolder), std::runtime_error);
    EXPECT_THROW(WriteStoredMetafile(page, missingFolder), std::runtime_error);
    EXPECT_THROW(WriteNaturalBitmap(page, 96, Path(QStringLiteral("no/page.bmp"))),
                 std::runtime_error);
    EXPECT_FALSE(QFile::exists(missingFolder));
    // A folder where the file should go.
    QDir().mkpath(Path(QStringLiteral("taken.emf")));
    EXPECT_THROW(WriteMetafileFile(page, Path(QStringLiteral("taken.emf"))), std::runtime_error);
    try {
        WriteMetafileFile(page, missingFolder);
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("page.emf"), std::string::npos) << error.what();
    }
}

TEST_F(ExportTest, OverwritingReplacesTheWholeFile) {
    const QString path = Path(QStringLiteral("page.emf"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    const QByteArray stored = RedCornerEmf();
    WriteMetafileFile(Metafile::Load(stored), path);
    EXPECT_EQ(ReadAll(path), stored);
}

TEST(NaturalBitmap, AbandonedMidPageGivesNoPictureAndOnlyThatOne) {
    const Metafile page = Metafile::Load(RedCornerEmf());
    // Asked before every record: the first answers let some records play, then it gives up.
    for (const int allowed : {0, 3}) {
        PlayLimits limits;
        int asked = 0;
        limits.cancelled = [&] { return ++asked > allowed; };
        bool cancelled = false;
        const QImage image = RenderNaturalBitmap(page, 96, limits, &cancelled);
        EXPECT_TRUE(cancelled);
        EXPECT_TRUE(image.isNull());
        EXPECT_EQ(asked, allowed + 1) << "no record after the cancel";
    }
    PlayLimits never;
    never.cancelled = [] { return false; };
    bool cancelled = false;
    const QImage whole = RenderNaturalBitmap(page, 96, never, &cancelled);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(whole, RenderNaturalBitmap(page, 96));
}

TEST(ClipboardData, CarriesAnEnhancedMetafileAndABitmap) {
    for (const QByteArray& stored : {RedCornerEmf(), RedCornerWmf()}) {
        const Metafile page = Metafile::Load(stored);
        const std::unique_ptr<QMimeData> data = MakeClipboardData(page, 96);
        ASSERT_TRUE(data->hasFormat(QString::fromLatin1(kEmfMimeType)));
        const QByteArray emf = data->data(QString::fromLatin1(kEmfMimeType));
        EXPECT_TRUE(IsEmf(emf));  // a WMF page goes over as its converted EMF
        EXPECT_EQ(Metafile::Load(emf).Kind(), MetafileKind::Enhanced);
        ASSERT_TRUE(data->hasImage());
        const QImage image = qvariant_cast<QImage>(data->imageData());
        EXPECT_EQ(image.size(), page.NaturalPixelSize(96));
        EXPECT_EQ(image.pixel(2, 2), kRed);
    }
}

}  // namespace
}  // namespace tavlex::mf
