#pragma once

#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "support/Length.h"

namespace tavlex {

// The papers and bins a printer offers, held once for the process since there is one printer
// object. Fixed room for 257 of each; a printer offering more keeps the first 257.
inline constexpr int kTableCapacity = 257;
inline constexpr std::int32_t kNotRead = -999;  // a count before the first query
inline constexpr std::int32_t kQueryFailed = -1;

struct PaperInfo {
    QString name;
    std::uint16_t code = 0;  // Windows paper code
    QSize tenthsMm;          // width x height, portrait, tenths of a millimetre
};

struct BinInfo {
    QString name;
    std::int16_t code = 0;  // Windows paper-source code
};

struct DeviceTables {
    std::int32_t paperCount = kNotRead;
    std::int32_t binCount = kNotRead;
    std::array<QString, kTableCapacity> paperNames;
    std::array<std::uint16_t, kTableCapacity> paperCodes{};
    std::array<QSize, kTableCapacity> paperSizes{};
    std::array<QString, kTableCapacity> binNames;
    std::array<std::int16_t, kTableCapacity> binCodes{};

    void Clear();  // both counts 0, every slot emptied
    void Fill(const std::vector<PaperInfo>& papers, const std::vector<BinInfo>& bins);
};

// The table readers. An index out of range falls back: papers to the first paper (or B5, code
// 13, and an empty name when there are none); bins to the default bin when the index is
// negative and that is known, else to the current bin or the first (0 when there are none).
std::uint16_t PaperCodeAt(const DeviceTables& tables, int index);
QString PaperNameAt(const DeviceTables& tables, int index);
int BinCodeAt(const DeviceTables& tables, int index, int defaultBinIndex, int currentBinIndex);
int IndexOfPaper(const DeviceTables& tables, int code);
int IndexOfBin(const DeviceTables& tables, int code, int defaultBinIndex, int currentBinIndex);
// The first paper of exactly this size (tenths of a millimetre) whose code is not 256.
int FindPaperBySize(const DeviceTables& tables, QSize tenthsMm);
// The size searched for a paper code the printer does not list: A3 to B5 (codes 8 to 13).
std::optional<QSize> SubstituteSize(int code);

// What the viewer exchanges with the driver settings.
struct PrinterSettings {
    std::int32_t PaperCode = 0;
    std::uint8_t Orientation = 0;
    bool Collate = false;
    std::int32_t Copies = 1;
    std::int16_t BinCode = 0;
    bool UseBin = false;
    std::int32_t CustomWidth = 0;   // tenths of a millimetre
    std::int32_t CustomLength = 0;  // tenths of a millimetre
    bool UseCustomSize = false;
};

// The driver's settings record, as a printer driver holds it: 16-bit fields and the bits that
// say which of them were set.
struct DriverRecord {
    enum Field : std::uint32_t {
        kOrientation = 0x1,
        kPaperSize = 0x2,
        kPaperLength = 0x4,
        kPaperWidth = 0x8,
        kCopies = 0x100,
        kDefaultSource = 0x200,
        kCollate = 0x8000,
    };
    static constexpr std::int16_t kPortrait = 1;
    static constexpr std::int16_t kLandscape = 2;

    std::uint32_t fields = 0;
    std::int16_t orientation = kPortrait;
    std::int16_t paperSize = 0;
    std::int16_t paperLength = 0;  // tenths of a millimetre
    std::int16_t paperWidth = 0;
    std::int16_t copies = 1;
    std::int16_t defaultSource = 0;
    bool collate = false;
};

// ReadSettings' copy: UseBin and UseCustomSize stay as the caller had them; an orientation
// other than portrait or landscape leaves the field as it was.
void ReadDriverRecord(const DriverRecord& record, PrinterSettings& settings);

// The bin the driver had when ApplySettings first met the current printer.
struct BinMemory {
    int lastPrinterIndex = -1;
    int defaultBinIndex = -1;
};

// ApplySettings' edit of the record. A paper code the printer does not list is replaced by the
// first listed paper of the same size when it is one of 8 to 13 (settings.PaperCode changes
// with it); without a paper the record is left alone and the result is false.
bool EditDriverRecord(DriverRecord& record, PrinterSettings& settings, const DeviceTables& tables,
                      BinMemory& bins, int printerIndex, int currentBinIndex);

// Device dots to whole millimetres (ties to even) as fixed-point, with 160/63 cm per inch.
FixedMm DotsToWholeMm(std::int64_t dots, int dotsPerInch);

}  // namespace tavlex
