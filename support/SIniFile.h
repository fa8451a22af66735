#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>

namespace tavlex {

class IniDocument;

// The folder in which SIniFile opens INI files, with a trailing "/". It starts as the program's
// folder; start-up moves it to the temporary folder. Process-wide; set it before opening files.
QString IniFolder();
void SetIniFolder(const QString& folder);

// The INI name used when a component names none; empty until start-up sets it.
QString DefaultIniName();
void SetDefaultIniName(const QString& name);

// Sections and keys of one INI file in IniFolder(), with the semantics of Windows profile files:
// every call reads the file afresh and every write is on disk when the call returns, so two
// objects (or two processes) on the same file never see stale values. Reads never fail: any
// problem gives the default. Writes change only the lines they must (see IniDocument), replace
// the file atomically and keep its permissions; a write that cannot be done throws FileError
// "<full path> に書き込めません" and leaves the file as it was.
//
// Texts are Unicode; a new file is written in UTF-8, an existing Shift-JIS file stays Shift-JIS.
class SIniFile {
  public:
    // The only target there is: an INI file in IniFolder().
    static constexpr std::uint8_t kIniMode = 2;

    // Binds to IniFolder() + fileName; the file need not exist. Any mode but kIniMode throws
    // std::invalid_argument, as no other target exists here.
    SIniFile(std::uint8_t mode, const QString& fileName);

    const QString& FilePath() const { return path_; }

    // At most 2047 bytes of the stored value (cut before a character that would not fit).
    QString GetText(const QString& section, const QString& key, const QString& defaultValue) const;
    void PutText(const QString& section, const QString& key, const QString& value);

    // "0x1F" (when longer than 2 characters) and "$1F" are hexadecimal, bit patterns of up to 32
    // bits; otherwise a signed decimal within 32 bits. Anything else, empty included, gives the
    // default.
    std::int32_t GetNumber(const QString& section, const QString& key,
                           std::int32_t defaultValue) const;
    void PutNumber(const QString& section, const QString& key, std::int32_t value);

    // Any non-zero number is true; stored as "1" or "0".
    bool GetFlag(const QString& section, const QString& key, bool defaultValue) const;
    void PutFlag(const QString& section, const QString& key, bool value);

    // Removes the section with all its keys; a missing section or file is no failure and leaves
    // the file untouched.
    void DropSection(const QString& section);

    // Writes are durable when they return, so there is nothing left to flush.
    void FlushFile() {}

    // Parses a stored number as GetNumber does; empty when it is none.
    static std::optional<std::int32_t> ParseNumber(QStringView text);

  private:
    // Reads the file, applies change and writes the result when change reports a change.
    void Edit(const std::function<bool(IniDocument&)>& change);

    QString path_;
};

}  // namespace tavlex
