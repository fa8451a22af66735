#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include <optional>
#include <vector>

namespace tavlex {

// The text of one INI file, edited in place: a change touches only the lines it must, so comments
// (";" and "#"), blank lines, keys and sections this program does not know, key order, the case
// of names, the spacing around "=" and each line's own ending survive every write.
//
// Lookups follow Windows profile files: section and key names compare case-insensitively, the
// first matching key wins (sections of the same name count as one, in file order), blanks around
// names and values are ignored and one pair of matching quotes around a value is removed. Lines
// that are neither a header, a comment nor "key=value" are kept as they are and never match.
//
// Encoding: a file that is valid UTF-8 (or starts with a UTF-8 byte order mark) is UTF-8, any
// other file is taken to be Shift-JIS (code page 932), as files written on the original platform
// are; texts are written back in the file's own encoding, and a new file is UTF-8. Bytes that
// are not touched are never re-encoded.
class IniDocument {
  public:
    enum class Encoding { Utf8, ShiftJis };

    IniDocument() = default;
    explicit IniDocument(QByteArray bytes);

    Encoding FileEncoding() const { return encoding_; }

    // The bytes of the value as stored (blanks and quotes removed), or nothing when the key or
    // section is missing.
    std::optional<QByteArray> RawValue(QStringView section, QStringView key) const;

    // Sets the value of the key, adding the key at the end of its section or the section at the
    // end of the file. Returns false, changing nothing, when a name or the value cannot be
    // written: a section name holding "]", a key name holding "=" or starting with "[", ";" or
    // "#", a name that is empty or blank, or a character the file's encoding has no form for.
    // Line breaks and NULs in the value are stored as blanks, as one line holds one value; a
    // value with blanks at either end or in matching quotes is stored in double quotes, so that
    // it reads back as it was given. New lines take the ending of the file's first line.
    bool SetValue(QStringView section, QStringView key, QStringView value);

    // Removes every section of this name with all its lines (comments inside it included) up to
    // the next section header. Returns whether anything was removed.
    bool RemoveSection(QStringView section);

    QByteArray ToBytes() const;

    // Text of value bytes of this file.
    QString Decode(QByteArrayView bytes) const;

    // At most maxBytes bytes of bytes, never ending inside a multi-byte character.
    QByteArray TruncateToCharacter(QByteArrayView bytes, qsizetype maxBytes) const;

  private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;    // without its ending
        QByteArray ending;  // "\r\n", "\n", "\r" or empty for a last line without one
        Kind kind = Kind::Other;
        QString name;  // section or key name, trimmed
        qsizetype valueStart = 0;
        qsizetype valueEnd = 0;
    };

    void ParseLine(Line& line) const;
    std::optional<QByteArray> Encode(QStringView text) const;
    bool SameName(const QString& a, QStringView b) const;
    QByteArray NewLineEnding() const;
    // Index after which a key line of the section starting at header goes.
    std::size_t InsertionPoint(std::size_t header) const;
    std::size_t SectionEnd(std::size_t header) const;
    void EnsureEnding(std::size_t index);

    // Stateless, so one decoder serves every call; making one per name costs more than parsing.
    mutable QStringDecoder decoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    QByteArray bom_;
    std::vector<Line> lines_;
    Encoding encoding_ = Encoding::Utf8;
};

}  // namespace tavlex
