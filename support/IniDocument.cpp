#include "support/IniDocument.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tavlex {

namespace {

constexpr char kShiftJisCodec[] = "windows-932";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsShiftJisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

qsizetype SkipBlanks(const QByteArray& text, qsizetype from, qsizetype to) {
    while (from < to && IsBlank(text[from])) ++from;
    return from;
}

qsizetype TrimBlanksBack(const QByteArray& text, qsizetype from, qsizetype to) {
    while (to > from && IsBlank(text[to - 1])) --to;
    return to;
}

bool IsValidUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)QString(decoder(bytes));
    return !decoder.hasError();
}

bool NeedsQuotes(QByteArrayView value) {
    if (value.isEmpty()) return false;
    if (IsBlank(value.front()) || IsBlank(value.back())) return true;
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.front() == value.back();
}

}  // namespace

IniDocument::IniDocument(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bom_ = bytes.left(3);
        bytes.remove(0, 3);
    } else if (!IsValidUtf8(bytes)) {
        encoding_ = Encoding::ShiftJis;
        decoder_ = QStringDecoder(kShiftJisCodec, QStringConverter::Flag::Stateless);
    }
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        Line line;
        line.text = bytes.mid(pos, end - pos);
        qsizetype next = end;
        if (end < bytes.size()) {
            next =
                end +
                ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
            line.ending = bytes.mid(end, next - end);
        }
        ParseLine(line);
        lines_.push_back(std::move(line));
        pos = next;
    }
}

void IniDocument::ParseLine(Line& line) const {
    const QByteArray& t = line.text;
    line.kind = Kind::Other;
    const qsizetype start = SkipBlanks(t, 0, t.size());
    if (start == t.size() || t[start] == ';' || t[start] == '#') return;
    if (t[start] == '[') {
        // "]" can be the second byte of a Shift-JIS character: step over whole characters.
        qsizetype close = start + 1;
        while (close < t.size() && t[close] != ']') {
            if (encoding_ == Encoding::ShiftJis &&
                IsShiftJisLead(static_cast<unsigned char>(t[close])))
                ++close;
            ++close;
        }
        if (close >= t.size()) return;
        const qsizetype from = SkipBlanks(t, start + 1, close);
        line.kind = Kind::Section;
        line.name = Decode(QByteArrayView(t).sliced(from, TrimBlanksBack(t, from, close) - from));
        return;
    }
    // "=" (0x3D) is never the second byte of a Shift-JIS character.
    const qsizetype equals = t.indexOf('=', start);
    if (equals < 0) return;
    const qsizetype keyEnd = TrimBlanksBack(t, start, equals);
    if (keyEnd == start) return;
    line.kind = Kind::Key;
    line.name = Decode(QByteArrayView(t).sliced(start, keyEnd - start));
    line.valueStart = SkipBlanks(t, equals + 1, t.size());
    line.valueEnd = TrimBlanksBack(t, line.valueStart, t.size());
}

QString IniDocument::Decode(QByteArrayView bytes) const {
    return decoder_(bytes);
}

std::optional<QByteArray> IniDocument::Encode(QStringView text) const {
    QStringEncoder encoder =
        encoding_ == Encoding::Utf8
            ? QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless)
            : QStringEncoder(kShiftJisCodec, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(text);
    if (encoder.hasError()) return std::nullopt;
    return bytes;
}

QByteArray IniDocument::TruncateToCharacter(QByteArrayView bytes, qsizetype maxBytes) const {
    if (bytes.size() <= maxBytes) return bytes.toByteArray();
    qsizetype cut = 0;
    if (encoding_ == Encoding::ShiftJis) {
        qsizetype pos = 0;
        while (pos < maxBytes) {
            const qsizetype width = IsShiftJisLead(static_cast<unsigned char>(bytes[pos])) ? 2 : 1;
            if (pos + width > maxBytes) break;
            pos += width;
        }
        cut = pos;
    } else {
        cut = maxBytes;
        // Step back over continuation bytes to the start of the character cut in two.
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
    }
    return bytes.first(cut).toByteArray();
}

bool IniDocument::SameName(const QString& a, QStringView b) const {
    return QStringView(a).compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QByteArray> IniDocument::RawValue(QStringView section, QStringView key) const {
    section = section.trimmed();
    key = key.trimmed();
    bool inSection = false;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Section) {
            inSection = SameName(line.name, section);
        } else if (inSection && line.kind == Kind::Key && SameName(line.name, key)) {
            QByteArrayView value =
                QByteArrayView(line.text).sliced(line.valueStart, line.valueEnd - line.valueStart);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.sliced(1, value.size() - 2);
            return value.toByteArray();
        }
    }
    return std::nullopt;
}

QByteArray IniDocument::NewLineEnding() const {
    for (const Line& line : lines_)
        if (!line.ending.isEmpty()) return line.ending;
    return "\n";
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    while (end < lines_.size() && lines_[end].kind != Kind::Section) ++end;
    return end;
}

std::size_t IniDocument::InsertionPoint(std::size_t header) const {
    // After the section's last key, so that blank lines and comments that lead into the next
    // section stay in front of it.
    std::size_t point = header + 1;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key) point = i + 1;
    return point;
}

void IniDocument::EnsureEnding(std::size_t index) {
    if (index < lines_.size() && lines_[index].ending.isEmpty())
        lines_[index].ending = NewLineEnding();
}

bool IniDocument::SetValue(QStringView section, QStringView key, QStringView value) {
    section = section.trimmed();
    key = key.trimmed();
    auto breaksLine = [](QStringView s) {
        return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(u'\0'));
    };
    if (section.isEmpty() || key.isEmpty() || breaksLine(section) || breaksLine(key) ||
        section.contains(u']') || key.contains(u'=') || key.startsWith(u'[') ||
        key.startsWith(u';') || key.startsWith(u'#'))
        return false;

    QString flat = value.toString();
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : flat)
        if (c == u'\r' || c == u'\n' || c == QChar(u'\0')) c = u' ';
    const std::optional<QByteArray> encodedValue = Encode(flat);
    if (!encodedValue) return false;
    QByteArray stored = NeedsQuotes(*encodedValue) ? '"' + *encodedValue + '"' : *encodedValue;

    std::optional<std::size_t> header;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            if (SameName(line.name, section)) {
                if (!header) header = i;
                const std::size_t end = SectionEnd(i);
                for (std::size_t k = i + 1; k < end; ++k) {
                    Line& keyLine = lines_[k];
                    if (keyLine.kind == Kind::Key && SameName(keyLine.name, key)) {
                        keyLine.text = keyLine.text.left(keyLine.valueStart) + stored;
                        ParseLine(keyLine);
                        return true;
                    }
                }
            }
        }
    }

    const std::optional<QByteArray> keyBytes = Encode(key);
    if (!keyBytes) return false;
    Line keyLine;
    keyLine.text = *keyBytes + '=' + stored;
    keyLine.ending = NewLineEnding();
    ParseLine(keyLine);
    if (header) {
        const std::size_t point = InsertionPoint(*header);
        EnsureEnding(point - 1);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(point), std::move(keyLine));
        return true;
    }

    const std::optional<QByteArray> sectionBytes = Encode(section);
    if (!sectionBytes) return false;
    if (!lines_.empty()) {
        EnsureEnding(lines_.size() - 1);
        if (SkipBlanks(lines_.back().text, 0, lines_.back().text.size()) !=
            lines_.back().text.size()) {
            Line blank;
            blank.ending = NewLineEnding();
            lines_.push_back(std::move(blank));
        }
    }
    Line headerLine;
    headerLine.text = '[' + *sectionBytes + ']';
    headerLine.ending = NewLineEnding();
    ParseLine(headerLine);
    lines_.push_back(std::move(headerLine));
    lines_.push_back(std::move(keyLine));
    return true;
}

bool IniDocument::RemoveSection(QStringView section) {
    section = section.trimmed();
    bool removed = false;
    for (std::size_t i = 0; i < lines_.size();) {
        if (lines_[i].kind == Kind::Section && SameName(lines_[i].name, section)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i),
                         lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(i)));
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

QByteArray IniDocument::ToBytes() const {
    QByteArray out = bom_;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.ending;
    }
    return out;
}

}  // namespace tavlex
