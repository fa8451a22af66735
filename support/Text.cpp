#include "support/Text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <limits>

namespace tavlex {
namespace {

// Length in bytes of the character starting at i (2 for a lead byte with a byte after it).
qsizetype CharLength(QByteArrayView text, qsizetype i) {
    return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

bool IsTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

int HexDigit(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    return -1;
}

template <typename View>
std::int32_t ParseInt(const View& text) {
    const qsizetype n = text.size();
    auto at = [&](qsizetype i) -> char32_t {
        return i < n ? static_cast<char32_t>(static_cast<unsigned char>(text[i])) : 0;
    };
    qsizetype i = 0;
    while (i < n && (at(i) == ' ' || at(i) == '\t')) ++i;
    bool negative = false;
    if (at(i) == '+' || at(i) == '-') {
        negative = at(i) == '-';
        ++i;
    }
    if (at(i) == '$') {
        std::uint32_t bits = 0;
        for (++i; i < n && HexDigit(at(i)) >= 0; ++i) {
            bits = (bits << 4) | static_cast<std::uint32_t>(HexDigit(at(i)));
        }
        if (negative) bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < n && at(i) >= '0' && at(i) <= '9'; ++i) {
        value = value * 10 + static_cast<std::int64_t>(at(i) - '0');
        if (value > kLimit) value = kLimit;  // saturates; further digits cannot change it
    }
    if (negative) return static_cast<std::int32_t>(-value);
    return value >= kLimit ? std::numeric_limits<std::int32_t>::max()
                           : static_cast<std::int32_t>(value);
}

}  // namespace

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

QString IntToText(std::int64_t n) {
    return QString::number(n);
}

std::int32_t TextToInt(QByteArrayView text) {
    return ParseInt(text);
}

std::int32_t TextToInt(QStringView text) {
    // Characters beyond Latin-1 can never continue a number; map them to a stop byte.
    QByteArray bytes(text.size(), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        bytes[i] = c < 0x80 ? static_cast<char>(c) : '\x7f';
    }
    return ParseInt(QByteArrayView(bytes));
}

QByteArray CopyText(QByteArrayView text, qsizetype from, qsizetype count) {
    if (from < 1) from = 1;
    if (count <= 0 || from > text.size()) return {};
    const qsizetype start = from - 1;
    return text.sliced(start, qMin(count, text.size() - start)).toByteArray();
}

qsizetype CharCount(QByteArrayView text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); i += CharLength(text, i)) ++count;
    return count;
}

QByteArray CharCopy(QByteArrayView text, qsizetype fromChar, qsizetype countChars) {
    if (fromChar < 1) fromChar = 1;
    if (countChars <= 0) return {};
    qsizetype i = 0;
    for (qsizetype c = 1; c < fromChar && i < text.size(); ++c) i += CharLength(text, i);
    const qsizetype start = i;
    for (qsizetype c = 0; c < countChars && i < text.size(); ++c) i += CharLength(text, i);
    return text.sliced(start, i - start).toByteArray();
}

qsizetype CharPos(QByteArrayView sub, QByteArrayView text) {
    if (sub.isEmpty()) return 0;
    qsizetype position = 1;
    for (qsizetype i = 0; i < text.size(); i += CharLength(text, i), ++position) {
        if (text.size() - i >= sub.size() && text.sliced(i, sub.size()) == sub) return position;
    }
    return 0;
}

QByteArray TrimWide(QByteArrayView text) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(text[i]); };
    qsizetype start = 0;
    while (start < text.size()) {
        if (byte(start) <= 0x20) {
            ++start;
        } else if (byte(start) == 0x81 && start + 1 < text.size() && byte(start + 1) == 0x40) {
            start += 2;
        } else {
            break;
        }
    }
    // The right end is found walking forward so that a trail byte is never taken for a blank.
    qsizetype end = start;
    for (qsizetype i = start; i < text.size();) {
        const qsizetype length = CharLength(text, i);
        const bool blank = length == 1 ? byte(i) <= 0x20 : byte(i) == 0x81 && byte(i + 1) == 0x40;
        i += length;
        if (!blank) end = i;
    }
    return text.sliced(start, end - start).toByteArray();
}

// Decodes one run of non-ASCII characters; bad characters become U+FFFD and set hadErrors.
void DecodeRun(QByteArrayView run, DecodedText& result) {
    QStringDecoder whole("windows-932", QStringConverter::Flag::Stateless);
    const QString decoded = whole(run);
    if (!whole.hasError()) {
        result.text += decoded;
        return;
    }
    // The codec marks bad bytes with U+001A and drops a lone lead byte at the end; decode one
    // character at a time instead so that each bad character shows as U+FFFD.
    result.hadErrors = true;
    for (qsizetype i = 0; i < run.size();) {
        const qsizetype length = CharLength(run, i);
        QStringDecoder one("windows-932", QStringConverter::Flag::Stateless);
        const QString character = one(run.sliced(i, length));
        if (!one.hasError()) {
            result.text += character;
            i += length;
            continue;
        }
        result.text += QChar(QChar::ReplacementCharacter);
        // A lead byte followed by a byte that cannot trail it: the second byte starts afresh.
        i += (length == 2 && !IsTrailByte(static_cast<unsigned char>(run[i + 1]))) ? 1 : length;
    }
}

DecodedText DecodeShiftJis(QByteArrayView bytes) {
    // Single bytes below 0x80 are ASCII in code page 932; they are taken as they are because
    // the codec exchanges 0x1A, 0x1C and 0x7F with other control characters.
    DecodedText result;
    result.text.reserve(bytes.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            if (runStart < i) DecodeRun(bytes.sliced(runStart, i - runStart), result);
            result.text += QChar(byte);
            runStart = ++i;
        } else {
            i += CharLength(bytes, i);
        }
    }
    if (runStart < bytes.size()) DecodeRun(bytes.sliced(runStart), result);
    return result;
}

EncodedText EncodeShiftJis(QStringView text) {
    EncodedText result;
    result.bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {  // ASCII is itself, see DecodeShiftJis
            result.bytes += static_cast<char>(c);
            ++i;
            continue;
        }
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one("windows-932", QStringConverter::Flag::Stateless);
        const QByteArray encoded = one(text.sliced(i, length));
        // The codec substitutes its own two-byte character; a visible '?' is used instead.
        if (one.hasError() || encoded.isEmpty()) {
            result.bytes += '?';
            result.hadErrors = true;
        } else {
            result.bytes += encoded;
        }
        i += length;
    }
    return result;
}

QString FromShiftJis(QByteArrayView bytes) {
    return DecodeShiftJis(bytes).text;
}

QByteArray ToShiftJis(QStringView text) {
    return EncodeShiftJis(text).bytes;
}

}  // namespace tavlex
