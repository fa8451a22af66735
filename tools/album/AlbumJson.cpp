#include "tools/album/AlbumJson.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <limits>
#include <set>

#include "album/AlbumError.h"
#include "support/Text.h"

namespace tavlex::tool {
namespace {

constexpr const char* kDateFormat = "yyyy-MM-ddTHH:mm:ss";

QJsonValue Text(const QByteArray& shiftJis) {
    return FromShiftJis(shiftJis);
}

[[noreturn]] void Bad(const QString& why) {
    throw AlbumError(AlbumErrorKind::InvalidDescription, QStringLiteral("description: ") + why);
}

// Rejects keys the shape does not have: a misspelt key would otherwise be dropped silently.
void CheckKeys(const QJsonObject& object, std::initializer_list<const char*> known,
               const QString& where) {
    const std::set<QString> allowed(known.begin(), known.end());
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowed.count(it.key()))
            Bad(QStringLiteral("unknown key \"%1\" in %2").arg(it.key(), where));
    }
}

std::int64_t Integer(const QJsonObject& object, const char* key, std::int64_t fallback,
                     std::int64_t lowest, std::int64_t highest) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) return fallback;
    const double asDouble = value.toDouble();
    const qint64 asInteger = value.toInteger();
    if (!value.isDouble() || (asInteger != asDouble && std::abs(asDouble) < 9.0e15) ||
        asInteger < lowest || asInteger > highest) {
        Bad(QStringLiteral("\"%1\" must be an integer from %2 to %3")
                .arg(QLatin1String(key))
                .arg(lowest)
                .arg(highest));
    }
    return asInteger;
}

std::int32_t Int32(const QJsonObject& object, const char* key) {
    return static_cast<std::int32_t>(Integer(object, key, 0,
                                             std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()));
}

bool Boolean(const QJsonObject& object, const char* key, bool fallback) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) return fallback;
    if (!value.isBool())
        Bad(QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key)));
    return value.toBool();
}

QByteArray ShiftJis(const QString& text, int capacity, const QString& what) {
    const EncodedText encoded = EncodeShiftJis(text);
    if (encoded.hadErrors) Bad(QStringLiteral("%1 has characters outside Shift-JIS").arg(what));
    if (encoded.bytes.size() > capacity) {
        Bad(QStringLiteral("%1 takes %2 bytes in Shift-JIS; the field holds %3")
                .arg(what)
                .arg(encoded.bytes.size())
                .arg(capacity));
    }
    return encoded.bytes;
}

QByteArray TextField(const QJsonObject& object, const char* key, int capacity) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) return {};
    if (!value.isString()) Bad(QStringLiteral("\"%1\" must be a string").arg(QLatin1String(key)));
    return ShiftJis(value.toString(), capacity, QStringLiteral("\"%1\"").arg(QLatin1String(key)));
}

QJsonArray Array(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) return {};
    if (!value.isArray()) Bad(QStringLiteral("\"%1\" must be an array").arg(QLatin1String(key)));
    return value.toArray();
}

QJsonObject Object(const QJsonValue& value, const QString& what) {
    if (!value.isObject()) Bad(QStringLiteral("%1 must be an object").arg(what));
    return value.toObject();
}

void ReadSettings(const QJsonObject& object, AlbumSettings& settings) {
    CheckKeys(
        object,
        {"created", "title", "remarks", "author", "page_offset", "paper_code", "orientation",
         "paper_width_mm", "paper_height_mm", "gaiji_as_bitmap", "substitute_font", "used_fonts"},
        QStringLiteral("settings"));
    const QJsonValue created = object.value(QLatin1String("created"));
    if (created.isString()) {
        QDateTime when = QDateTime::fromString(created.toString(), QLatin1String(kDateFormat));
        if (!when.isValid()) Bad(QStringLiteral("\"created\" must be yyyy-MM-ddTHH:mm:ss"));
        when.setTimeSpec(Qt::UTC);
        settings.SetCreated(DateTimeToOleDate(when));
    } else if (!created.isUndefined() && !created.isNull()) {
        Bad(QStringLiteral("\"created\" must be a date and time text"));
    }
    settings.SetTitle(TextField(object, "title", settings.IsLongLayout() ? 100 : 50));
    settings.SetRemarks(TextField(object, "remarks", 50));
    settings.SetAuthor(TextField(object, "author", 30));
    settings.SetPageOffset(Int32(object, "page_offset"));
    settings.SetPaperCode(Int32(object, "paper_code"));
    settings.SetOrientation(static_cast<std::uint8_t>(Integer(object, "orientation", 0, 0, 255)));
    settings.SetPaperWidthMm(Int32(object, "paper_width_mm"));
    settings.SetPaperHeightMm(Int32(object, "paper_height_mm"));
    settings.SetGaijiAsBitmap(Boolean(object, "gaiji_as_bitmap", false) ? 1 : 0);
    settings.SetSubstituteFont(TextField(object, "substitute_font", 30));
    QStringList fonts;
    for (const QJsonValue& font : Array(object, "used_fonts")) {
        if (!font.isString()) Bad(QStringLiteral("\"used_fonts\" must hold strings"));
        fonts.append(font.toString());
    }
    settings.SetUsedFonts(
        ShiftJis(fonts.join(QLatin1String("\r\n")), 200, QStringLiteral("\"used_fonts\"")));
}

}  // namespace

OrderedJson AlbumInfo(const Document& document) {
    const AlbumHeader& header = document.AlbumHeader;
    const AlbumSettings& settings = document.AlbumSettings;

    OrderedJson margins = OrderedJson::Object();
    margins.Add(QStringLiteral("top"), QJsonValue(qint64{header.MarginTop()}))
        .Add(QStringLiteral("bottom"), QJsonValue(qint64{header.MarginBottom()}))
        .Add(QStringLiteral("left"), QJsonValue(qint64{header.MarginLeft()}))
        .Add(QStringLiteral("right"), QJsonValue(qint64{header.MarginRight()}));

    OrderedJson fonts = OrderedJson::Array();
    const QByteArray usedFonts = settings.UsedFonts();
    if (!usedFonts.isEmpty()) {
        for (const QByteArray& font : usedFonts.split('\n')) {
            fonts.Append(Text(font.endsWith('\r') ? font.chopped(1) : font));
        }
    }
    const QDateTime created = OleDateToDateTime(settings.Created());
    OrderedJson settingsJson = OrderedJson::Object();
    settingsJson
        .Add(QStringLiteral("created"),
             created.isValid() ? QJsonValue(created.toString(QLatin1String(kDateFormat)))
                               : QJsonValue(QJsonValue::Null))
        .Add(QStringLiteral("title"), Text(settings.Title()))
        .Add(QStringLiteral("remarks"), Text(settings.Remarks()))
        .Add(QStringLiteral("author"), Text(settings.Author()))
        .Add(QStringLiteral("page_offset"), settings.PageOffset())
        .Add(QStringLiteral("paper_code"), settings.PaperCode())
        .Add(QStringLiteral("orientation"), settings.Orientation())
        .Add(QStringLiteral("paper_width_mm"), settings.PaperWidthMm())
        .Add(QStringLiteral("paper_height_mm"), settings.PaperHeightMm())
        .Add(QStringLiteral("gaiji_as_bitmap"), settings.GaijiAsBitmap())
        .Add(QStringLiteral("substitute_font"), Text(settings.SubstituteFont()))
        .Add(QStringLiteral("used_fonts"), std::move(fonts));

    OrderedJson contents = OrderedJson::Array();
    for (qsizetype i = 0; i < document.ContentsTexts.size(); ++i) {
        const ContentsEntry& entry = document.ContentsEntries[static_cast<std::size_t>(i)];
        OrderedJson item = OrderedJson::Object();
        item.Add(QStringLiteral("page"), entry.Page)
            .Add(QStringLiteral("level"), entry.Level)
            .Add(QStringLiteral("text"), document.ContentsTexts[i]);
        contents.Append(std::move(item));
    }

    OrderedJson pages = OrderedJson::Array();
    for (std::size_t i = 1; i < document.PageDirectory.size(); ++i) {
        const PageEntry& entry = document.PageDirectory[i];
        OrderedJson page = OrderedJson::Object();
        page.Add(QStringLiteral("offset"), entry.Offset).Add(QStringLiteral("size"), entry.Size);
        if (document.HasPageOrientation) page.Add(QStringLiteral("orientation"), entry.Orientation);
        pages.Append(std::move(page));
    }

    OrderedJson info = OrderedJson::Object();
    info.Add(QStringLiteral("signature"), QString::fromLatin1(header.Signature()))
        .Add(QStringLiteral("product_version_raw"), QJsonValue(qint64{header.ProductVersion()}))
        .Add(QStringLiteral("format_level"), QJsonValue(qint64{document.FormatLevel}))
        .Add(QStringLiteral("long_settings"), document.UsesLongSettings)
        .Add(QStringLiteral("has_page_orientation"), document.HasPageOrientation)
        .Add(QStringLiteral("margins_raw"), std::move(margins))
        .Add(QStringLiteral("body_length"), header.BodyLength())
        .Add(QStringLiteral("settings"), std::move(settingsJson))
        .Add(QStringLiteral("contents"), std::move(contents))
        .Add(QStringLiteral("page_count"), document.PageCount)
        .Add(QStringLiteral("pages"), std::move(pages));
    return info;
}

AlbumDescription ReadAlbumDescription(const QJsonObject& description,
                                      const QString& descriptionFolder, bool pageOrientation) {
    CheckKeys(description,
              {"signature", "product_version_raw", "format_level", "long_settings",
               "has_page_orientation", "margins_raw", "body_length", "settings", "contents",
               "page_count", "pages"},
              QStringLiteral("the album"));
    AlbumDescription result;
    AlbumContents& contents = result.contents;
    AlbumHeader& header = contents.header;

    const QJsonValue signature = description.value(QLatin1String("signature"));
    if (!signature.isUndefined() && !signature.isString())
        Bad(QStringLiteral("\"signature\" must be a string"));
    header.SetSignature(
        ShiftJis(signature.toString(QStringLiteral("JXA")), 3, QStringLiteral("\"signature\"")));
    header.SetProductVersion(Integer(description, "product_version_raw", 90000,
                                     std::numeric_limits<std::int64_t>::min(),
                                     std::numeric_limits<std::int64_t>::max()));
    const QJsonValue marginsValue = description.value(QLatin1String("margins_raw"));
    if (!marginsValue.isUndefined()) {
        const QJsonObject margins = Object(marginsValue, QStringLiteral("\"margins_raw\""));
        CheckKeys(margins, {"top", "bottom", "left", "right"}, QStringLiteral("margins_raw"));
        constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
        constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
        header.SetMargins(
            Integer(margins, "top", 0, kMin, kMax), Integer(margins, "bottom", 0, kMin, kMax),
            Integer(margins, "left", 0, kMin, kMax), Integer(margins, "right", 0, kMin, kMax));
    }

    const bool longLayout = HasLongSettings(header);
    if (Boolean(description, "long_settings", longLayout) != longLayout) {
        Bad(QStringLiteral("\"long_settings\" disagrees with the signature and version"));
    }
    if (Boolean(description, "has_page_orientation", pageOrientation) != pageOrientation) {
        Bad(QStringLiteral(
            "\"has_page_orientation\" needs an output name ending in .QZD, and only then"));
    }
    contents.pageOrientation = pageOrientation;
    contents.settings = AlbumSettings(longLayout);
    const QJsonValue settings = description.value(QLatin1String("settings"));
    if (!settings.isUndefined())
        ReadSettings(Object(settings, QStringLiteral("\"settings\"")), contents.settings);
    contents.usualOrientation = contents.settings.Orientation();

    const QJsonArray records = Array(description, "contents");
    if (records.size() > kMaxContentsRecords) Bad(QStringLiteral("at most 999 contents entries"));
    for (const QJsonValue& value : records) {
        const QJsonObject object = Object(value, QStringLiteral("a contents entry"));
        CheckKeys(object, {"page", "level", "text"}, QStringLiteral("a contents entry"));
        ContentsRecord record;
        record.Page = static_cast<std::int16_t>(Integer(object, "page", 0, -32768, 32767));
        record.Level = static_cast<std::int16_t>(Integer(object, "level", 0, -32768, 32767));
        record.EntryText = TextField(object, "text", 50);
        contents.contents.push_back(std::move(record));
    }

    const QJsonArray pages = Array(description, "pages");
    for (const QJsonValue& value : pages) {
        const QJsonObject object = Object(value, QStringLiteral("a page"));
        CheckKeys(object, {"file", "orientation", "offset", "size"}, QStringLiteral("a page"));
        const QString file = object.value(QLatin1String("file")).toString();
        if (file.isEmpty()) Bad(QStringLiteral("every page needs a \"file\""));
        AlbumPage page;
        page.orientation = static_cast<std::uint8_t>(Integer(object, "orientation", 0, 0, 255));
        if (!pageOrientation && page.orientation != 0) {
            Bad(QStringLiteral("page orientations need an output name ending in .QZD"));
        }
        QFile input(QDir(descriptionFolder).filePath(file));
        if (!input.open(QIODevice::ReadOnly)) {
            Bad(QStringLiteral("cannot read page file %1: %2").arg(file, input.errorString()));
        }
        page.data = input.readAll();
        result.pages.push_back(std::move(page));
    }
    return result;
}

}  // namespace tavlex::tool
