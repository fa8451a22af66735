#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace tavlex {

// Text helpers on Shift-JIS (code page 932) bytes: a lead byte and the byte after it form one
// character. Positions are 1-based as the callers count them. None of them ever fails.

// True for a code page 932 lead byte (0x81..0x9F, 0xE0..0xFC).
bool IsLeadByte(unsigned char byte);

// Decimal text of n.
QString IntToText(std::int64_t n);

// Never fails: empty gives 0; leading blanks are skipped; an optional sign, then decimal digits
// or "$" and hexadecimal digits; conversion stops at the first character that cannot continue
// the number. Decimal values beyond the 32-bit range saturate; hexadecimal keeps the low 32 bits
// ("$FFFFFFFF" is -1), as values stored in hexadecimal are bit patterns.
std::int32_t TextToInt(QByteArrayView text);
std::int32_t TextToInt(QStringView text);

// Byte substring from the 1-based position from; count <= 0 or from past the end gives empty.
QByteArray CopyText(QByteArrayView text, qsizetype from, qsizetype count);

// Number of characters, a two-byte character counting as one (a lone lead byte at the end too).
qsizetype CharCount(QByteArrayView text);

// Substring by 1-based character positions; never splits a two-byte character.
QByteArray CharCopy(QByteArrayView text, qsizetype fromChar, qsizetype countChars);

// 1-based character position of the first occurrence of sub that starts on a character
// boundary; 0 when sub is empty or has no such occurrence.
qsizetype CharPos(QByteArrayView sub, QByteArrayView text);

// Removes blanks and control characters (bytes up to 0x20) and full-width blanks (0x81 0x40)
// from both ends, left end first; a trailing 0x40 that ends another two-byte character stays.
QByteArray TrimWide(QByteArrayView text);

// Shift-JIS <-> Unicode through Qt's "windows-932" codec (stateless, with the NEC and IBM
// extensions). Bytes that do not decode become U+FFFD and set hadErrors; characters without a
// code page 932 form become '?' and set hadErrors. Nothing is dropped silently.
struct DecodedText {
    QString text;
    bool hadErrors = false;
};
struct EncodedText {
    QByteArray bytes;
    bool hadErrors = false;
};
DecodedText DecodeShiftJis(QByteArrayView bytes);
EncodedText EncodeShiftJis(QStringView text);

// Shorthands keeping only the text (errors still visible as U+FFFD or '?').
QString FromShiftJis(QByteArrayView bytes);
QByteArray ToShiftJis(QStringView text);

}  // namespace tavlex
