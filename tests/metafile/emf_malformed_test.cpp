// Reading and damaged input: what is refused, what stops playback, and that caps hold.
#include "play_support.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <atomic>
#include <thread>

namespace tavlex::mf {
namespace {

using namespace testing;

QByteArray Valid() {
    return BuildEmf([](EmfWriter& w) { w.Rectangle({10, 10, 50, 50}); });
}

struct RefusedCase {
    const char* name;
    std::function<QByteArray()> bytes;
    MetafileErrorKind kind;
};

class RefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTest, LoadThrowsTheInvalidMetafileError) {
    try {
        Metafile::Load(GetParam().bytes());
        FAIL() << GetParam().name;
    } catch (const MetafileError& e) {
        EXPECT_EQ(e.Kind(), GetParam().kind) << GetParam().name << ": " << e.Detail();
        EXPECT_STREQ(e.what(), "メタファイルが不正です");
        // A cut header says where the bytes ended.
        if (e.Kind() == MetafileErrorKind::Truncated) {
            EXPECT_EQ(e.ByteOffset(), static_cast<std::uint64_t>(GetParam().bytes().size()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedTest,
    ::testing::Values(
        RefusedCase{"empty", [] { return QByteArray(); }, MetafileErrorKind::NotMetafile},
        RefusedCase{"text", [] { return QByteArray("not a metafile at all, not even close....."); },
                    MetafileErrorKind::NotMetafile},
        RefusedCase{"no signature",
                    [] {
                        QByteArray b = Valid();
                        b[40] = 'X';
                        return b;
                    },
                    MetafileErrorKind::NotMetafile},
        RefusedCase{"first record not a header",
                    [] {
                        QByteArray b = Valid();
                        b[0] = 2;
                        return b;
                    },
                    MetafileErrorKind::NotMetafile},
        RefusedCase{"header cut short", [] { return Valid().left(60); },
                    MetafileErrorKind::Truncated},
        RefusedCase{"header size beyond the data",
                    [] {
                        QByteArray b = Valid().left(100);
                        return b;
                    },
                    MetafileErrorKind::Truncated},
        RefusedCase{"header size not a multiple of four",
                    [] {
                        QByteArray b = Valid();
                        b[4] = static_cast<char>(b[4] + 1);
                        return b;
                    },
                    MetafileErrorKind::BadHeader},
        RefusedCase{"header size below the minimum",
                    [] {
                        QByteArray b = Valid();
                        b[4] = 84;
                        b[5] = 0;
                        return b;
                    },
                    MetafileErrorKind::BadHeader},
        RefusedCase{"plain windows metafile without placeable header",
                    [] { return QByteArray::fromHex("010009000003220000000000"); },
                    MetafileErrorKind::NotMetafile}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(LoadTest, HeaderValuesAndNaturalSize) {
    EmfWriter::Header h = SquareHeader();
    h.frame = {0, 0, 2540, 1270};  // 25.4 mm x 12.7 mm at 10 pixels per millimetre
    const Metafile m = Metafile::Load(BuildEmf([](EmfWriter&) {}, h));
    EXPECT_EQ(m.Kind(), MetafileKind::Enhanced);
    EXPECT_EQ(m.Frame(), QRect(QPoint(0, 0), QPoint(2540, 1270)));
    EXPECT_EQ(m.ReferencePixels(), QSize(1000, 1000));
    EXPECT_EQ(m.NaturalPixelSize(96), QSize(254, 127));
}

// A recorded rectangle, then damage: playback stops there and keeps what it drew.
struct DamageCase {
    const char* name;
    std::function<void(EmfWriter&)> damage;
    bool complete;
};

class DamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamageTest, DrawnPartStaysAndNothingCrashes) {
    const DamageCase& c = GetParam();
    PlayResult result;
    PlayLimits limits;
    limits.maxPointsPerRecord = 100000;
    limits.maxSaveDepth = 16;
    const QImage image = Render(BuildEmf([&](EmfWriter& w) {
                                    RedFill(w);
                                    w.Rectangle({10, 10, 50, 50});
                                    c.damage(w);
                                }),
                                QRect(0, 0, 101, 101), QSize(101, 101), &result, limits);
    EXPECT_TRUE(IsRed(image.pixel(30, 30))) << c.name;
    EXPECT_EQ(result.complete, c.complete) << c.name << ": " << result.stopReason.toStdString();
    // Every incomplete case here meets a cap.
    if (!c.complete) {
        EXPECT_EQ(result.stopKind, MetafileErrorKind::TooLarge) << c.name;
    }
}

QByteArray Poly(std::uint32_t count, int pointsStored) {
    QByteArray p;
    PutRect(p, {0, 0, 10, 10});
    PutU32(p, count);
    for (int i = 0; i < pointsStored; ++i) p.append(Payload({i, i}));
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Records, DamageTest,
    ::testing::Values(
        DamageCase{"point count beyond the record",
                   [](EmfWriter& w) { w.AddRecord(emr::Polyline, Poly(0xFFFFFFFFu, 2)); }, true},
        DamageCase{"points beyond the cap",
                   [](EmfWriter& w) { w.AddRecord(emr::Polyline, Poly(100001, 100001)); }, false},
        DamageCase{"count beyond the record",
                   [](EmfWriter& w) { w.AddRecord(emr::Polygon, Poly(50, 3)); }, true},
        DamageCase{"polypolygon counts beyond the total",
                   [](EmfWriter& w) {
                       QByteArray p;
                       PutRect(p, {0, 0, 1, 1});
                       PutU32(p, 2);
                       PutU32(p, 3);
                       PutU32(p, 2);
                       PutU32(p, 0x7FFFFFFF);
                       p.append(Payload({1, 1, 5, 5, 9, 1}));
                       w.AddRecord(emr::PolyPolygon, p);
                   },
                   true},
        DamageCase{"bad handles",
                   [](EmfWriter& w) {
                       w.SelectObject(0x7FFF);
                       w.SelectObject(0);
                       w.DeleteObject(0xFFFFFF);
                       w.CreatePen(0x7FFFFFFF, 0, 1, 0);
                       w.SelectObject(kStockObject | 0x7777);
                       w.Rectangle({60, 60, 70, 70});
                   },
                   true},
        DamageCase{"nested saves beyond the cap",
                   [](EmfWriter& w) {
                       for (int i = 0; i < 40; ++i) w.SaveDC();
                   },
                   false},
        DamageCase{"restores without saves",
                   [](EmfWriter& w) {
                       for (int i = 0; i < 5; ++i) w.RestoreDC(-1);
                       w.RestoreDC(3);
                   },
                   true},
        DamageCase{"text offsets outside the record",
                   [](EmfWriter& w) {
                       QByteArray p;
                       PutRect(p, {0, 0, -1, -1});
                       PutU32(p, 1);
                       PutU32(p, 0);
                       PutU32(p, 0);
                       p.append(Payload({10, 10}));
                       PutU32(p, 1000);        // characters
                       PutU32(p, 0xFFFFFFF0);  // string offset
                       PutU32(p, 0);
                       PutRect(p, {0, 0, -1, -1});
                       PutU32(p, 0xFFFFFFF0);
                       w.AddRecord(emr::ExtTextOutW, p);
                   },
                   true},
        DamageCase{"region with a huge rectangle count",
                   [](EmfWriter& w) {
                       QByteArray r;
                       PutU32(r, 32);
                       PutU32(r, 1);
                       PutU32(r, 0x10000000);
                       PutU32(r, 16);
                       PutRect(r, {0, 0, 1, 1});
                       PutRect(r, {0, 0, 1, 1});
                       QByteArray p;
                       PutU32(p, static_cast<std::uint32_t>(r.size()));
                       PutU32(p, 5);
                       p.append(r);
                       w.AddRecord(emr::ExtSelectClipRgn, p);
                   },
                   true},
        DamageCase{"unknown record",
                   [](EmfWriter& w) {
                       w.AddRecord(0x7FFF, Payload({1, 2}));
                   },
                   true},
        DamageCase{"non-finite world transform",
                   [](EmfWriter& w) {
                       w.AddRecord(
                           emr::SetWorldTransform,
                           QByteArray::fromHex("0000807f0000000000000000000080ff0000c07f00000000"));
                       w.Rectangle({60, 60, 70, 70});
                   },
                   true}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

// Record sizes that cannot be walked end playback; the drawn part stays.
TEST(DamageTest, BadRecordSizesEndPlayback) {
    const QByteArray good = BuildEmf([](EmfWriter& w) {
        RedFill(w);
        w.Rectangle({10, 10, 50, 50});
        w.Rectangle({60, 60, 90, 90});
    });
    const int lastRect = static_cast<int>(good.size()) - 20 - 24;  // before EOF (20 bytes)
    for (const std::uint32_t size : {0u, 4u, 26u, 0x7FFFFFF0u}) {
        QByteArray bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[lastRect + 4 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        PlayResult result;
        const QImage image = Render(bytes, QRect(0, 0, 101, 101), QSize(101, 101), &result);
        EXPECT_FALSE(result.complete) << size;
        EXPECT_EQ(result.stopKind, MetafileErrorKind::BadRecord) << size;
        EXPECT_EQ(result.stopOffset, static_cast<std::uint64_t>(lastRect)) << size;
        EXPECT_TRUE(IsRed(image.pixel(30, 30))) << size;
        EXPECT_TRUE(IsWhite(image.pixel(75, 75))) << size;
    }
}

TEST(DamageTest, RecordCapStopsPlayback) {
    PlayLimits limits;
    limits.maxRecords = 5;
    PlayResult result;
    Render(BuildEmf([](EmfWriter& w) {
               for (int i = 0; i < 20; ++i) w.Rectangle({i, i, i + 5, i + 5});
           }),
           QRect(0, 0, 101, 101), QSize(101, 101), &result, limits);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.stopKind, MetafileErrorKind::TooLarge);
    EXPECT_EQ(result.stopRecord, 5u);
}

// A caller that no longer wants the page stops it between records: what was drawn stays, the
// rest is not drawn, and the result says it was cancelled rather than damaged.
TEST(CancelTest, CancelledPlaybackStopsBeforeTheNextRecord) {
    const QByteArray bytes = BuildEmf([](EmfWriter& w) {
        RedFill(w);
        w.Rectangle({10, 10, 50, 50});
        w.Rectangle({60, 60, 90, 90});
    });
    // Records: header, brush, two selections, first rectangle; asked before the second rectangle.
    int asked = 0;
    PlayLimits limits;
    limits.cancelled = [&asked] { return ++asked > 5; };
    PlayResult result;
    const QImage image = Render(bytes, QRect(0, 0, 101, 101), QSize(101, 101), &result, limits);
    EXPECT_FALSE(result.complete);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.stopKind.has_value());
    EXPECT_EQ(result.stopRecord, 5u);
    EXPECT_EQ(asked, 6);
    EXPECT_TRUE(IsRed(image.pixel(30, 30)));
    EXPECT_TRUE(IsWhite(image.pixel(75, 75)));

    limits.cancelled = [] { return false; };
    Render(bytes, QRect(0, 0, 101, 101), QSize(101, 101), &result, limits);
    EXPECT_TRUE(result.complete);
    EXPECT_FALSE(result.cancelled);
}

// A page far too long to finish stops within moments of being cancelled from another thread.
TEST(CancelTest, LongPageStopsSoonAfterACancelFromAnotherThread) {
    const QByteArray bytes = BuildEmf([](EmfWriter& w) {
        RedFill(w);
        for (int i = 0; i < 500'000; ++i) w.Rectangle({i % 90, i % 80, i % 90 + 9, i % 80 + 19});
    });
    std::atomic<bool> cancel{false};
    std::atomic<bool> started{false};
    PlayLimits limits;
    limits.cancelled = [&] {
        started.store(true);
        return cancel.load();
    };
    PlayResult result;
    QElapsedTimer clock;
    std::thread player(
        [&] { Render(bytes, QRect(0, 0, 101, 101), QSize(101, 101), &result, limits); });
    while (!started.load()) std::this_thread::yield();
    clock.start();
    cancel.store(true);
    player.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(result.stopRecord, 500'000u);
    EXPECT_LT(clock.elapsed(), 2000) << "a cancelled page kept playing";
}

// Random damage to a real page never crashes (the sanitizer build runs this too).
TEST(DamageTest, RandomByteFlipsNeverCrash) {
    const QByteArray base = BuildEmf([](EmfWriter& w) {
        RedFill(w);
        LogFont f;
        f.height = -12;
        f.faceName = "Arial";
        w.ExtCreateFontIndirectW(2, f);
        w.SelectObject(2);
        w.Polygon({{1, 1}, {50, 5}, {20, 60}});
        w.Polyline16({{1, 1}, {50, 5}, {20, 60}});
        w.ExtTextOutW(QPoint(5, 5), "Tavlex", {7, 7, 7, 7, 7, 7});
        w.IntersectClipRect({0, 0, 90, 90});
        w.Ellipse({10, 10, 80, 80});
    });
    QRandomGenerator random(1234);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = base;
        for (int k = 0; k < 6; ++k) {
            const int at = 88 + random.bounded(static_cast<int>(bytes.size()) - 88);
            bytes[at] = static_cast<char>(random.bounded(256));
        }
        PlayLimits limits;
        limits.maxMillis = 2000;
        try {
            Render(bytes, QRect(0, 0, 64, 64), QSize(64, 64), nullptr, limits);
        } catch (const MetafileError&) {
        }
    }
    SUCCEED();
}

}  // namespace
}  // namespace tavlex::mf
