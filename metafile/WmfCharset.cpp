#include "metafile/WmfCharset.h"

#include "metafile/Charset.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tavlex::mf::wmfcharset {

namespace {

bool IsDoubleByte(const char* codec) {
    if (!codec) return false;
    const QByteArrayView name(codec);
    return name == "windows-932" || name == "windows-949" || name == "GBK" || name == "Big5";
}

bool IsLead(const char* codec, unsigned char byte) {
    if (QByteArrayView(codec) == "windows-932") {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }
    return byte >= 0x81 && byte <= 0xFE;
}

// DEFAULT_CHARSET follows the system's code page, Japanese here; text that is not valid
// Shift-JIS was written on another system and reads best as Windows-1252. nullptr: the bytes
// are taken as Latin-1 code points.
const char* ResolveCodec(QByteArrayView bytes, std::uint8_t charSet) {
    if (charSet == kSymbol) return nullptr;
    if (charSet != kDefault) return CodePageOfCharSet(charSet);
    bool high = false;
    for (char c : bytes) high = high || static_cast<unsigned char>(c) >= 0x80;
    if (!high) return nullptr;
    QStringDecoder sjis("windows-932", QStringConverter::Flag::Stateless);
    const QString probe = sjis(bytes);
    return sjis.hasError() ? "windows-1252" : "windows-932";
}

}  // namespace

TextRun Decode(QByteArrayView bytes, std::uint8_t charSet, const QVector<std::int32_t>& byteDx) {
    TextRun run;
    const char* codec = ResolveCodec(bytes, charSet);
    QStringDecoder decoder;
    if (codec) decoder = QStringDecoder(codec, QStringConverter::Flag::Stateless);
    const bool dbcs = IsDoubleByte(codec);
    const bool withDx = !byteDx.isEmpty();
    qsizetype i = 0;
    while (i < bytes.size()) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        const qsizetype length = (dbcs && IsLead(codec, b) && i + 1 < bytes.size()) ? 2 : 1;
        QString piece;
        if (decoder.isValid()) {
            piece = decoder(bytes.sliced(i, length));
        } else {
            piece = QChar(static_cast<char16_t>(b));
        }
        if (piece.isEmpty()) piece = QStringLiteral("?");
        std::int32_t advance = 0;
        for (qsizetype k = i; k < i + length; ++k) {
            if (k < byteDx.size()) advance += byteDx[k];
        }
        run.text += piece;
        if (withDx) {
            run.dx.append(advance);
            for (qsizetype k = 1; k < piece.size(); ++k) run.dx.append(0);
        }
        i += length;
    }
    return run;
}

ByteRun Encode(const QString& text, std::uint8_t charSet, const QVector<std::int32_t>& dx) {
    ByteRun run;
    const char* codec = charSet == kDefault ? "windows-932" : CodePageOfCharSet(charSet);
    QStringEncoder encoder;
    if (codec) encoder = QStringEncoder(codec, QStringConverter::Flag::Stateless);
    const bool withDx = !dx.isEmpty();
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype length =
            (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ? 2
                : 1;
        const QStringView unit = QStringView(text).sliced(i, length);
        QByteArray piece;
        if (encoder.isValid()) {
            piece = encoder(unit);
            if (encoder.hasError() || piece.isEmpty()) {
                piece = "?";
                encoder.resetState();
            }
        } else {
            const char16_t c = unit.at(0).unicode();
            piece = QByteArray(1, c < 0x100 ? static_cast<char>(c) : '?');
        }
        std::int32_t advance = 0;
        for (qsizetype k = i; k < i + length; ++k) {
            if (k < dx.size()) advance += dx[k];
        }
        run.bytes += piece;
        if (withDx) {
            run.dx.append(advance);
            for (qsizetype k = 1; k < piece.size(); ++k) run.dx.append(0);
        }
        i += length;
    }
    return run;
}

QString DecodeFaceName(QByteArrayView field, std::uint8_t charSet) {
    const qsizetype end = field.indexOf('\0');
    const QByteArrayView name = end < 0 ? field : field.first(end);
    return Decode(name, charSet, {}).text;
}

}  // namespace tavlex::mf::wmfcharset
