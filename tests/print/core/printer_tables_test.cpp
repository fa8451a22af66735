// The printer's paper and bin tables and the driver-record edit: the fallbacks at their edges,
// the A3..B5 substitution, and what ApplySettings may and may not touch.

#include <gtest/gtest.h>

#include "print/core/PrinterTables.h"

namespace tavlex {
namespace {

DeviceTables Tables(std::vector<PaperInfo> papers, std::vector<BinInfo> bins = {}) {
    DeviceTables t;
    t.Fill(papers, bins);
    return t;
}

const std::vector<PaperInfo> kOffice = {
    {QStringLiteral("User"), 256, QSize(2100, 2970)},  // a custom entry of A4's size first
    {QStringLiteral("A4"), 9, QSize(2100, 2970)},
    {QStringLiteral("A3"), 8, QSize(2970, 4200)},
    {QStringLiteral("B5 (JIS)"), 13, QSize(1820, 2570)},
};
const std::vector<BinInfo> kBins = {
    {QStringLiteral("Auto"), 7}, {QStringLiteral("Tray 1"), 1}, {QStringLiteral("Manual"), 4}};

TEST(PrinterTables, EmptyTablesGiveB5AnEmptyNameAndBinZero) {
    for (const std::int32_t count : {0, kQueryFailed}) {
        DeviceTables t = Tables({});
        t.paperCount = count;
        t.binCount = count;
        for (const int index : {-1, 0, 1, 256, 257}) {
            EXPECT_EQ(PaperCodeAt(t, index), 13) << count << " " << index;
            EXPECT_EQ(PaperNameAt(t, index), QString()) << count << " " << index;
            EXPECT_EQ(BinCodeAt(t, index, -1, -1), 0) << count << " " << index;
        }
        EXPECT_EQ(IndexOfPaper(t, 13), -1);
    }
}

TEST(PrinterTables, OutOfRangeIndexFallsBackToTheFirstPaper) {
    const DeviceTables t = Tables(kOffice);
    EXPECT_EQ(PaperCodeAt(t, 1), 9);
    EXPECT_EQ(PaperCodeAt(t, -1), 256);
    EXPECT_EQ(PaperCodeAt(t, 4), 256);
    EXPECT_EQ(PaperNameAt(t, 99), QStringLiteral("User"));
    EXPECT_EQ(IndexOfPaper(t, 8), 2);
}

TEST(PrinterTables, NegativeBinIndexGivesTheDefaultBinWhenKnown) {
    const DeviceTables t = Tables(kOffice, kBins);
    EXPECT_EQ(BinCodeAt(t, -1, 2, -1), 4);   // the default bin
    EXPECT_EQ(BinCodeAt(t, -1, -1, 1), 1);   // unknown: the current bin
    EXPECT_EQ(BinCodeAt(t, -1, -1, -1), 7);  // neither: the first
    EXPECT_EQ(BinCodeAt(t, 5, 2, 1), 1);     // past the end: the current bin
    EXPECT_EQ(IndexOfBin(t, 4, -1, -1), 2);
}

TEST(PrinterTables, APrinterOfferingMoreThan257PapersKeepsTheFirst257) {
    std::vector<PaperInfo> many;
    for (int i = 0; i < 400; ++i) many.push_back({QString::number(i), std::uint16_t(i + 1), {}});
    const DeviceTables t = Tables(many);
    EXPECT_EQ(t.paperCount, kTableCapacity);
    EXPECT_EQ(PaperCodeAt(t, 256), 257);
    EXPECT_EQ(IndexOfPaper(t, 300), -1);
}

struct SubstitutionCase {
    int code;
    bool found;
    int applied;  // the code the record gets
};

class SubstitutionTest : public testing::TestWithParam<SubstitutionCase> {};

TEST_P(SubstitutionTest, UnlistedA3ToB5TakesTheFirstNonCustomPaperOfTheSameSize) {
    const SubstitutionCase c = GetParam();
    // This printer names A4 and B5 by codes of its own.
    const DeviceTables t = Tables({{QStringLiteral("User"), 256, QSize(2100, 2970)},
                                   {QStringLiteral("A4 plain"), 301, QSize(2100, 2970)},
                                   {QStringLiteral("B5 plain"), 302, QSize(1820, 2570)}});
    DriverRecord record;
    record.paperSize = 301;
    record.orientation = DriverRecord::kLandscape;
    const DriverRecord before = record;
    PrinterSettings s;
    s.PaperCode = c.code;
    BinMemory bins;
    EXPECT_EQ(EditDriverRecord(record, s, t, bins, 0, -1), c.found);
    if (c.found) {
        EXPECT_EQ(record.paperSize, c.applied);
        EXPECT_EQ(s.PaperCode, c.applied);
        EXPECT_EQ(record.orientation, DriverRecord::kPortrait);
    } else {
        EXPECT_EQ(record.paperSize, before.paperSize);
        EXPECT_EQ(record.orientation, before.orientation);
        EXPECT_EQ(record.fields, before.fields);
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, SubstitutionTest,
                         testing::Values(SubstitutionCase{9, true, 301},
                                         SubstitutionCase{10, true, 301},  // A4 small
                                         SubstitutionCase{13, true, 302},
                                         SubstitutionCase{8, false, 0},   // no A3-sized paper
                                         SubstitutionCase{70, false, 0},  // no search beyond 13
                                         SubstitutionCase{302, true, 302}));

TEST(DriverRecord, CustomSizeIsWrittenOnlyForUserDefinedCodes) {
    const DeviceTables t = Tables(kOffice);
    BinMemory bins;
    DriverRecord record;
    record.paperWidth = 1234;
    record.paperLength = 2345;
    PrinterSettings s;
    s.PaperCode = 256;
    s.UseCustomSize = true;
    s.CustomWidth = 2000;
    s.CustomLength = 3000;
    ASSERT_TRUE(EditDriverRecord(record, s, t, bins, 0, -1));
    EXPECT_EQ(record.paperWidth, 2000);
    EXPECT_EQ(record.paperLength, 3000);
    EXPECT_TRUE(record.fields & DriverRecord::kPaperWidth);

    // A standard code clears them, without setting their bits.
    DriverRecord standard;
    standard.paperWidth = 1234;
    s.PaperCode = 9;
    ASSERT_TRUE(EditDriverRecord(standard, s, t, bins, 0, -1));
    EXPECT_EQ(standard.paperWidth, 0);
    EXPECT_EQ(standard.paperLength, 0);
    EXPECT_FALSE(standard.fields & DriverRecord::kPaperWidth);

    // Without UseCustomSize a user-defined code leaves them as they are.
    DriverRecord kept;
    kept.paperWidth = 1234;
    s.PaperCode = 256;
    s.UseCustomSize = false;
    ASSERT_TRUE(EditDriverRecord(kept, s, t, bins, 0, -1));
    EXPECT_EQ(kept.paperWidth, 1234);
}

TEST(DriverRecord, OrientationOtherThanZeroOrOneLeavesTheDriversOwn) {
    const DeviceTables t = Tables(kOffice);
    for (const std::uint8_t orientation : {2, 255}) {
        BinMemory bins;
        DriverRecord record;
        record.orientation = DriverRecord::kLandscape;
        PrinterSettings s;
        s.PaperCode = 9;
        s.Orientation = orientation;
        ASSERT_TRUE(EditDriverRecord(record, s, t, bins, 0, -1));
        EXPECT_EQ(record.orientation, DriverRecord::kLandscape);
        EXPECT_TRUE(record.fields & DriverRecord::kOrientation);
    }
    // And reading an odd driver value keeps what the settings held.
    DriverRecord odd;
    odd.orientation = 7;
    PrinterSettings read;
    read.Orientation = 1;
    ReadDriverRecord(odd, read);
    EXPECT_EQ(read.Orientation, 1);
}

TEST(DriverRecord, DefaultBinIsTheDriversOwnWhenAPrinterIsFirstApplied) {
    const DeviceTables t = Tables(kOffice, kBins);
    BinMemory bins;
    DriverRecord record;
    record.defaultSource = 4;  // the driver had chosen Manual
    PrinterSettings s;
    s.PaperCode = 9;
    s.UseBin = true;
    s.BinCode = 1;
    ASSERT_TRUE(EditDriverRecord(record, s, t, bins, 3, -1));
    EXPECT_EQ(bins.defaultBinIndex, 2);  // read before the bin was written
    EXPECT_EQ(record.defaultSource, 1);
    EXPECT_EQ(BinCodeAt(t, -1, bins.defaultBinIndex, -1), 4);
    // The same printer again: the default is not taken from the record a second time.
    ASSERT_TRUE(EditDriverRecord(record, s, t, bins, 3, -1));
    EXPECT_EQ(bins.defaultBinIndex, 2);
    // Another printer: taken again.
    ASSERT_TRUE(EditDriverRecord(record, s, t, bins, 4, -1));
    EXPECT_EQ(bins.defaultBinIndex, 1);
}

TEST(DriverRecord, OnlyTheLow16BitsOfTheCopiesReachTheDriver) {
    const DeviceTables t = Tables(kOffice);
    BinMemory bins;
    DriverRecord record;
    PrinterSettings s;
    s.PaperCode = 9;
    s.Copies = 65536 + 2;
    s.Collate = true;
    ASSERT_TRUE(EditDriverRecord(record, s, t, bins, 0, -1));
    EXPECT_EQ(record.copies, 2);
    EXPECT_TRUE(record.collate);
    PrinterSettings back;
    back.UseBin = true;
    back.UseCustomSize = true;
    ReadDriverRecord(record, back);
    EXPECT_EQ(back.PaperCode, 9);
    EXPECT_EQ(back.Copies, 2);
    EXPECT_TRUE(back.UseBin);  // never touched by a read
    EXPECT_TRUE(back.UseCustomSize);
}

struct MmCase {
    std::int64_t dots;
    int dpi;
    FixedMm expected;
};

class DotsToMmTest : public testing::TestWithParam<MmCase> {};

TEST_P(DotsToMmTest, WholeMillimetresWithTiesToEven) {
    const MmCase c = GetParam();
    EXPECT_EQ(DotsToWholeMm(c.dots, c.dpi), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sheets, DotsToMmTest,
                         testing::Values(MmCase{4961, 600, 210 * kFixedOne},
                                         MmCase{7016, 600, 297 * kFixedOne},
                                         // 160/63 cm per inch: 600 dots are 25.397 mm.
                                         MmCase{600, 600, 25 * kFixedOne},
                                         MmCase{315, 3200, 2 * kFixedOne},  // 2.5 -> 2
                                         MmCase{441, 3200, 4 * kFixedOne},  // 3.5 -> 4
                                         MmCase{100, 0, 0}));

}  // namespace
}  // namespace tavlex
