#pragma once

// Album files for tests: well-formed ones from the writer, and hand-made bodies for the damaged
// cases the writer would never produce.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <zlib.h>

#include <string>
#include <vector>

#include "album/AlbumFormat.h"
#include "album/AlbumWriter.h"

namespace tavlex::test {

inline AlbumHeader MakeHeader(const char* signature = "JXA", FixedMm version = 90000) {
    AlbumHeader header;
    header.SetSignature(signature);
    header.SetProductVersion(version);
    return header;
}

// Page bytes that are recognisable when read back (the loader does not parse them).
inline QByteArray PageBytes(int index, int size = 300) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>((index * 31 + i * 7) & 0xFF);
    return bytes;
}

inline AlbumContents SampleContents(const char* signature = "JXA", FixedMm version = 90000,
                                    bool pageOrientation = false) {
    AlbumContents contents;
    contents.header = MakeHeader(signature, version);
    contents.settings = AlbumSettings(HasLongSettings(contents.header));
    contents.settings.SetTitle("Title");
    contents.settings.SetPaperCode(9);
    contents.settings.SetPaperWidthMm(210);
    contents.settings.SetPaperHeightMm(297);
    contents.settings.SetPageOffset(4);
    contents.pageOrientation = pageOrientation;
    contents.contents.push_back({1, 0, "\x81\x40\x91\xe6\x31\x8f\xcd "});  // "　第1章 "
    contents.contents.push_back({2, 1, "Section"});
    contents.contents.push_back({3, 1, "  "});
    return contents;
}

inline std::vector<AlbumPage> SamplePages(int count = 3) {
    std::vector<AlbumPage> pages;
    for (int i = 0; i < count; ++i)
        pages.push_back({PageBytes(i, 100 + 50 * i), std::uint8_t(i % 2)});
    return pages;
}

inline QByteArray SampleAlbum() {
    return BuildAlbumBytes(SampleContents(), SamplePages());
}

inline QByteArray Deflate(const QByteArray& body) {
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    QByteArray out(static_cast<qsizetype>(size), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(body.constData()), static_cast<uLong>(body.size()), 6);
    out.resize(static_cast<qsizetype>(size));
    return out;
}

inline QByteArray Int32Bytes(std::int32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// An album whose body is given byte for byte; BodyLength is the body's size unless stated.
inline QByteArray AlbumFromBody(const QByteArray& body, AlbumHeader header = MakeHeader(),
                                std::int64_t bodyLength = -1) {
    header.SetBodyLength(static_cast<std::int32_t>(bodyLength < 0 ? body.size() : bodyLength));
    return header.Bytes() + Deflate(body);
}

// A long-layout body: settings, contents block as given, then the directory entries.
inline QByteArray BodyWith(std::int32_t contentsLength, const QByteArray& contentsBlock,
                           const std::vector<PageEntry>& directory, bool oriented = false) {
    AlbumSettings settings(true);
    settings.SetPaperWidthMm(210);
    settings.SetPaperHeightMm(297);
    QByteArray body = settings.Bytes() + Int32Bytes(contentsLength) + contentsBlock;
    for (const PageEntry& entry : directory) body += entry.Bytes(oriented);
    return body;
}

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
    return path;
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace tavlex::test
