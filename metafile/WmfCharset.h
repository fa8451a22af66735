#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVector>

#include <cstdint>

namespace tavlex::mf {

// 8-bit metafile text in a font's character set, turned into UTF-16 and back the way the
// platform's text calls do. Character set numbers are those of LOGFONT (128 Shift-JIS, ...).
namespace wmfcharset {

constexpr std::uint8_t kAnsi = 0;
constexpr std::uint8_t kDefault = 1;
constexpr std::uint8_t kSymbol = 2;
constexpr std::uint8_t kShiftJis = 128;

// Text with one advance per UTF-16 code unit (empty when the source had none).
struct TextRun {
    QString text;
    QVector<std::int32_t> dx;
};

// Decodes bytes; byteDx holds one advance per byte or is empty. A two-byte character gets the
// sum of its bytes' advances, as the wide form of the text call expects.
TextRun Decode(QByteArrayView bytes, std::uint8_t charSet, const QVector<std::int32_t>& byteDx);

// Encodes text; dx holds one advance per UTF-16 unit or is empty. A two-byte character puts
// its advance on the first byte and 0 on the second. Characters without a form become '?'.
struct ByteRun {
    QByteArray bytes;
    QVector<std::int32_t> dx;
};
ByteRun Encode(const QString& text, std::uint8_t charSet, const QVector<std::int32_t>& dx);

// A face name stored as bytes (NUL-terminated within the field).
QString DecodeFaceName(QByteArrayView field, std::uint8_t charSet);

}  // namespace wmfcharset
}  // namespace tavlex::mf
