#include "print/core/PrinterTables.h"

#include <algorithm>
#include <cmath>

namespace tavlex {
namespace {

bool InPaperRange(const DeviceTables& t, int i) {
    return i >= 0 && i < std::min(t.paperCount, kTableCapacity);
}

bool InBinRange(const DeviceTables& t, int i) {
    return i >= 0 && i < std::min(t.binCount, kTableCapacity);
}

}  // namespace

void DeviceTables::Clear() {
    paperCount = 0;
    binCount = 0;
    paperNames.fill(QString());
    paperCodes.fill(0);
    paperSizes.fill(QSize());
    binNames.fill(QString());
    binCodes.fill(0);
}

void DeviceTables::Fill(const std::vector<PaperInfo>& papers, const std::vector<BinInfo>& bins) {
    Clear();
    const int p = static_cast<int>(std::min<std::size_t>(papers.size(), kTableCapacity));
    for (int i = 0; i < p; ++i) {
        paperNames[i] = papers[i].name.left(64);
        paperCodes[i] = papers[i].code;
        paperSizes[i] = papers[i].tenthsMm;
    }
    const int b = static_cast<int>(std::min<std::size_t>(bins.size(), kTableCapacity));
    for (int i = 0; i < b; ++i) {
        binNames[i] = bins[i].name.left(24);
        binCodes[i] = bins[i].code;
    }
    paperCount = p;
    binCount = b;
}

std::uint16_t PaperCodeAt(const DeviceTables& t, int index) {
    if (InPaperRange(t, index)) return t.paperCodes[index];
    return t.paperCount <= 0 ? 13 : t.paperCodes[0];
}

QString PaperNameAt(const DeviceTables& t, int index) {
    if (InPaperRange(t, index)) return t.paperNames[index];
    return t.paperCount <= 0 ? QString() : t.paperNames[0];
}

int BinCodeAt(const DeviceTables& t, int index, int defaultBinIndex, int currentBinIndex) {
    if (index < 0 && InBinRange(t, defaultBinIndex)) return t.binCodes[defaultBinIndex];
    if (InBinRange(t, index)) return t.binCodes[index];
    if (t.binCount <= 0) return 0;
    return InBinRange(t, currentBinIndex) ? t.binCodes[currentBinIndex] : t.binCodes[0];
}

int IndexOfPaper(const DeviceTables& t, int code) {
    const int n = std::min(t.paperCount, kTableCapacity);
    for (int i = 0; i < n; ++i)
        if (t.paperCodes[i] == code) return i;
    return -1;
}

int IndexOfBin(const DeviceTables& t, int code, int defaultBinIndex, int currentBinIndex) {
    const int n = std::min(t.binCount, kTableCapacity);
    for (int i = 0; i < n; ++i)
        if (BinCodeAt(t, i, defaultBinIndex, currentBinIndex) == code) return i;
    return -1;
}

int FindPaperBySize(const DeviceTables& t, QSize tenthsMm) {
    const int n = std::min(t.paperCount, kTableCapacity);
    for (int i = 0; i < n; ++i)
        if (t.paperSizes[i] == tenthsMm && t.paperCodes[i] != 256) return i;
    return -1;
}

std::optional<QSize> SubstituteSize(int code) {
    switch (code) {
        case 8:
            return QSize(2970, 4200);  // A3
        case 9:
            return QSize(2100, 2970);  // A4
        case 10:
            return QSize(2100, 2970);  // A4 small
        case 11:
            return QSize(1480, 2100);  // A5
        case 12:
            return QSize(2500, 3540);  // B4 (JIS)
        case 13:
            return QSize(1820, 2570);  // B5 (JIS)
        default:
            return std::nullopt;
    }
}

void ReadDriverRecord(const DriverRecord& record, PrinterSettings& s) {
    s.PaperCode = record.paperSize;  // sign-extended from 16 bits
    if (record.orientation == DriverRecord::kPortrait) s.Orientation = 0;
    if (record.orientation == DriverRecord::kLandscape) s.Orientation = 1;
    s.CustomWidth = record.paperWidth;
    s.CustomLength = record.paperLength;
    s.BinCode = record.defaultSource;
    s.Collate = record.collate;
    s.Copies = record.copies;
}

bool EditDriverRecord(DriverRecord& record, PrinterSettings& s, const DeviceTables& tables,
                      BinMemory& bins, int printerIndex, int currentBinIndex) {
    bool found =
        IndexOfPaper(tables, s.PaperCode) >= 0 && s.PaperCode >= 0 && s.PaperCode <= 0xffff;
    if (!found) {
        if (const std::optional<QSize> size = SubstituteSize(s.PaperCode)) {
            const int i = FindPaperBySize(tables, *size);
            if (i >= 0) {
                s.PaperCode = PaperCodeAt(tables, i);
                found = true;
            }
        }
    }
    if (!found) return false;
    record.fields |= DriverRecord::kPaperSize;
    record.paperSize = static_cast<std::int16_t>(s.PaperCode);
    if (s.PaperCode != 256 && s.PaperCode != 0) {
        record.paperWidth = 0;
        record.paperLength = 0;
    } else if (s.UseCustomSize) {
        record.paperWidth = static_cast<std::int16_t>(s.CustomWidth);
        record.paperLength = static_cast<std::int16_t>(s.CustomLength);
        record.fields |= DriverRecord::kPaperWidth | DriverRecord::kPaperLength;
    }
    record.fields |= DriverRecord::kOrientation;
    if (s.Orientation == 0) record.orientation = DriverRecord::kPortrait;
    if (s.Orientation == 1) record.orientation = DriverRecord::kLandscape;
    if (printerIndex != bins.lastPrinterIndex) {
        // Before the bin is written: the bin the driver chose itself.
        bins.lastPrinterIndex = printerIndex;
        bins.defaultBinIndex =
            IndexOfBin(tables, record.defaultSource, bins.defaultBinIndex, currentBinIndex);
    }
    if (s.UseBin) {
        record.fields |= DriverRecord::kDefaultSource;
        record.defaultSource = s.BinCode;
    }
    record.fields |= DriverRecord::kCollate;
    record.collate = s.Collate;
    record.fields |= DriverRecord::kCopies;
    record.copies = static_cast<std::int16_t>(s.Copies);  // only the low 16 bits reach it
    return true;
}

FixedMm DotsToWholeMm(std::int64_t dots, int dotsPerInch) {
    if (dotsPerInch <= 0) return 0;
    const double mm = static_cast<double>(dots) * 10.0 / dotsPerInch * 160.0 / 63.0;
    return static_cast<FixedMm>(std::nearbyint(mm)) * kFixedOne;  // ties to even
}

}  // namespace tavlex
