#include "support/SIniFile.h"

#include "support/FileError.h"
#include "support/Folders.h"
#include "support/IniDocument.h"

#include <QFile>
#include <QSaveFile>

#include <mutex>
#include <stdexcept>

#include <unistd.h>

namespace tavlex {

namespace {

// Profile values are read into a 2048-byte buffer that ends with a NUL.
constexpr qsizetype kMaxValueBytes = 2047;
// A settings file is a few kilobytes; anything far larger is not rewritten from memory.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

struct ProcessValues {
    std::mutex mutex;
    std::optional<QString> iniFolder;
    QString defaultIniName;
};

ProcessValues& Values() {
    static ProcessValues values;
    return values;
}

enum class ReadResult { Read, Missing, Failed };

ReadResult ReadFile(const QString& path, QByteArray& bytes) {
    QFile file(path);
    if (!file.exists()) return ReadResult::Missing;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return ReadResult::Failed;
    bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes || file.error() != QFileDevice::NoError)
        return ReadResult::Failed;
    return ReadResult::Read;
}

IniDocument Load(const QString& path) {
    QByteArray bytes;
    return ReadFile(path, bytes) == ReadResult::Read ? IniDocument(std::move(bytes))
                                                     : IniDocument();
}

std::optional<std::int32_t> ParseDigits(QStringView digits, int base, bool negative) {
    if (digits.isEmpty()) return std::nullopt;
    // Hexadecimal is a bit pattern (up to 0xFFFFFFFF, "-" negates it); decimal is a value.
    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t value = 0;
    for (QChar c : digits) {
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c.unicode() - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c.unicode() - u'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > limit) return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(negative ? (0 - value) : value);
    return static_cast<std::int32_t>(bits);
}

}  // namespace

QString IniFolder() {
    ProcessValues& values = Values();
    std::lock_guard lock(values.mutex);
    if (!values.iniFolder) values.iniFolder = ProgramFolder();
    return *values.iniFolder;
}

void SetIniFolder(const QString& folder) {
    ProcessValues& values = Values();
    std::lock_guard lock(values.mutex);
    values.iniFolder = folder;
}

QString DefaultIniName() {
    ProcessValues& values = Values();
    std::lock_guard lock(values.mutex);
    return values.defaultIniName;
}

void SetDefaultIniName(const QString& name) {
    ProcessValues& values = Values();
    std::lock_guard lock(values.mutex);
    values.defaultIniName = name;
}

SIniFile::SIniFile(std::uint8_t mode, const QString& fileName) : path_(IniFolder() + fileName) {
    if (mode != kIniMode) throw std::invalid_argument("SIniFile: only the INI file mode exists");
}

std::optional<std::int32_t> SIniFile::ParseNumber(QStringView text) {
    if (text.size() > 2 && (text.startsWith(u"0x") || text.startsWith(u"0X")))
        return ParseDigits(text.sliced(2), 16, false);
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    if (text.startsWith(u'$')) return ParseDigits(text.sliced(1), 16, negative);
    return ParseDigits(text, 10, negative);
}

QString SIniFile::GetText(const QString& section, const QString& key,
                          const QString& defaultValue) const {
    const IniDocument document = Load(path_);
    const std::optional<QByteArray> raw = document.RawValue(section, key);
    if (!raw) return defaultValue;
    return document.Decode(document.TruncateToCharacter(*raw, kMaxValueBytes));
}

std::int32_t SIniFile::GetNumber(const QString& section, const QString& key,
                                 std::int32_t defaultValue) const {
    return ParseNumber(GetText(section, key, QString())).value_or(defaultValue);
}

bool SIniFile::GetFlag(const QString& section, const QString& key, bool defaultValue) const {
    return GetNumber(section, key, defaultValue ? 1 : 0) != 0;
}

void SIniFile::PutText(const QString& section, const QString& key, const QString& value) {
    Edit([&](IniDocument& document) {
        if (!document.SetValue(section, key, value))
            throw FileError(FileErrorKind::CannotWrite, path_);
        return true;
    });
}

void SIniFile::PutNumber(const QString& section, const QString& key, std::int32_t value) {
    PutText(section, key, QString::number(value));
}

void SIniFile::PutFlag(const QString& section, const QString& key, bool value) {
    PutText(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SIniFile::DropSection(const QString& section) {
    Edit([&](IniDocument& document) { return document.RemoveSection(section); });
}

void SIniFile::Edit(const std::function<bool(IniDocument&)>& change) {
    QByteArray bytes;
    const ReadResult read = ReadFile(path_, bytes);
    // A file that cannot be read whole is never replaced by what little was understood of it,
    // and a read-only file stays read-only although its folder would allow replacing it.
    if (read == ReadResult::Failed ||
        (read == ReadResult::Read && ::access(QFile::encodeName(path_).constData(), W_OK) != 0))
        throw FileError(FileErrorKind::CannotWrite, path_);
    IniDocument document(std::move(bytes));
    if (!change(document)) {
        // Nothing to change; still a failure where a write could not have been done.
        const QString folder = FolderPart(path_);
        if (read == ReadResult::Missing &&
            !FolderExists(folder.isEmpty() ? QStringLiteral(".") : folder))
            throw FileError(FileErrorKind::CannotWrite, path_);
        return;
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) throw FileError(FileErrorKind::CannotWrite, path_);
    const QByteArray out = document.ToBytes();
    if (file.write(out) != out.size() || !file.commit())
        throw FileError(FileErrorKind::CannotWrite, path_);
}

}  // namespace tavlex
