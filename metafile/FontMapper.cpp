#include "metafile/FontMapper.h"

#include "metafile/Charset.h"

#include <QFontDatabase>
#include <QHash>
#include <QStringDecoder>

#include <mutex>

namespace tavlex::mf {

namespace {

// Names are compared after compatibility folding (full-width letters become ASCII), without
// spaces and in lower case: "ＭＳ Ｐ明朝" and "MS PMincho" meet as "msp明朝" and "mspmincho".
QString Key(const QString& face) {
    QString k = face.normalized(QString::NormalizationForm_KC).toLower();
    k.remove(QLatin1Char(' '));
    k.remove(QChar(0x3000));
    return k;
}

struct Substitution {
    const char16_t* face;
    const char* family;
};

// Windows faces and the installed faces with their metrics.
const Substitution kSubstitutions[] = {
    {u"ＭＳ 明朝", "IPAMincho"},
    {u"MS Mincho", "IPAMincho"},
    {u"ＭＳ Ｐ明朝", "IPAPMincho"},
    {u"MS PMincho", "IPAPMincho"},
    {u"ＭＳ ゴシック", "IPAGothic"},
    {u"MS Gothic", "IPAGothic"},
    {u"ＭＳ Ｐゴシック", "IPAPGothic"},
    {u"MS PGothic", "IPAPGothic"},
    {u"MS UI Gothic", "IPAPGothic"},
    {u"Meiryo", "IPAPGothic"},
    {u"メイリオ", "IPAPGothic"},
    {u"Meiryo UI", "IPAPGothic"},
    {u"Yu Gothic", "IPAPGothic"},
    {u"游ゴシック", "IPAPGothic"},
    {u"Yu Mincho", "IPAPMincho"},
    {u"游明朝", "IPAPMincho"},
    {u"HGSｺﾞｼｯｸM", "IPAPGothic"},
    {u"HGｺﾞｼｯｸM", "IPAGothic"},
    {u"HGSｺﾞｼｯｸE", "IPAPGothic"},
    {u"HGｺﾞｼｯｸE", "IPAGothic"},
    {u"HG明朝E", "IPAMincho"},
    {u"HG明朝B", "IPAMincho"},
    {u"HGS明朝E", "IPAPMincho"},
    {u"HGS明朝B", "IPAPMincho"},
    {u"HG丸ｺﾞｼｯｸM-PRO", "IPAPGothic"},
    {u"Osaka", "IPAPGothic"},
    {u"Arial", "Liberation Sans"},
    {u"Helvetica", "Nimbus Sans"},
    {u"Arial Narrow", "Nimbus Sans Narrow"},
    {u"Times New Roman", "Liberation Serif"},
    {u"Times", "Nimbus Roman"},
    {u"Courier New", "Liberation Mono"},
    {u"Courier", "Nimbus Mono PS"},
    {u"Century Schoolbook", "C059"},
    {u"Century", "C059"},
    {u"Bookman Old Style", "URW Bookman"},
    {u"Palatino Linotype", "P052"},
    {u"Book Antiqua", "P052"},
    {u"Century Gothic", "URW Gothic"},
    {u"Symbol", "Standard Symbols PS"},
    {u"Tahoma", "DejaVu Sans"},
    {u"Verdana", "DejaVu Sans"},
    {u"Segoe UI", "Nimbus Sans"},
    {u"MS Sans Serif", "Nimbus Sans"},
    {u"Microsoft Sans Serif", "Nimbus Sans"},
    {u"MS Shell Dlg", "Nimbus Sans"},
    {u"MS Shell Dlg 2", "Nimbus Sans"},
    {u"System", "Nimbus Sans"},
    {u"Calibri", "Carlito"},
    {u"MS Serif", "Nimbus Roman"},
    {u"Cambria", "Caladea"},
    {u"Georgia", "DejaVu Serif"},
    {u"Consolas", "DejaVu Sans Mono"},
    {u"Lucida Console", "DejaVu Sans Mono"},
    {u"Terminal", "DejaVu Sans Mono"},
    {u"Fixedsys", "DejaVu Sans Mono"},
};

struct FaceMetrics {
    const char16_t* face;
    double ascent, descent;  // per em, from the faces' own Windows tables
};

const FaceMetrics kMetrics[] = {
    {u"Arial", 0.905, 0.212},
    {u"Helvetica", 0.905, 0.212},
    {u"Liberation Sans", 0.905, 0.212},
    {u"Arial Narrow", 0.936, 0.212},
    {u"Times New Roman", 0.891, 0.216},
    {u"Times", 0.891, 0.216},
    {u"Liberation Serif", 0.891, 0.216},
    {u"Courier New", 0.833, 0.300},
    {u"Courier", 0.833, 0.300},
    {u"Liberation Mono", 0.833, 0.300},
    {u"Calibri", 0.75, 0.25},
    {u"Carlito", 0.75, 0.25},
    {u"Cambria", 0.950, 0.222},
    {u"Tahoma", 1.000, 0.207},
    {u"Verdana", 1.005, 0.210},
    {u"Segoe UI", 1.079, 0.251},
    {u"Microsoft Sans Serif", 0.922, 0.210},
    {u"MS Sans Serif", 0.922, 0.210},
    {u"Symbol", 1.005, 0.216},
    {u"Georgia", 0.917, 0.219},
    {u"Century Gothic", 1.006, 0.220},
    {u"Consolas", 0.743, 0.257},
    {u"ＭＳ 明朝", 0.859, 0.141},
    {u"ＭＳ Ｐ明朝", 0.859, 0.141},
    {u"ＭＳ ゴシック", 0.859, 0.141},
    {u"ＭＳ Ｐゴシック", 0.859, 0.141},
    {u"MS Mincho", 0.859, 0.141},
    {u"MS PMincho", 0.859, 0.141},
    {u"MS Gothic", 0.859, 0.141},
    {u"MS PGothic", 0.859, 0.141},
    {u"MS UI Gothic", 0.859, 0.141},
};

const QHash<QString, QString>& Table() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        for (const Substitution& s : kSubstitutions)
            t.insert(Key(QString::fromUtf16(s.face)), QString::fromLatin1(s.family));
        return t;
    }();
    return table;
}

bool Installed(const QString& family) {
    return QFontDatabase::hasFamily(family);
}

QString FirstInstalled(std::initializer_list<const char*> families) {
    for (const char* f : families) {
        const QString family = QString::fromLatin1(f);
        if (Installed(family)) return family;
    }
    return QString::fromLatin1(*families.begin());
}

bool LooksMincho(const QString& key) {
    return key.contains(u"明朝") || key.contains(u"mincho") || key.contains(u"ﾐﾝﾁｮｳ");
}

const char* CodecFor(const FontObject& font) {
    if (font.charSet == 128 || FontMapper::IsJapaneseFace(font.face)) return "windows-932";
    const char* codePage = CodePageOfCharSet(font.charSet);
    return codePage != nullptr ? codePage : "windows-1252";
}

// Lead bytes of the double-byte code pages: the character takes this byte and the next.
bool IsLeadByte(const char* codec, std::uint8_t b) {
    const QByteArrayView name(codec);
    if (name == "windows-932") return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (name == "windows-949" || name == "GBK" || name == "Big5") return b >= 0x81 && b <= 0xFE;
    return false;
}

}  // namespace

void FontMapper::RegisterSubstitutions() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const Substitution& s : kSubstitutions)
            QFont::insertSubstitution(QString::fromUtf16(s.face), QString::fromLatin1(s.family));
    });
}

FontMapper::Metrics FontMapper::WindowsMetrics(const FontObject& font) {
    static const QHash<QString, Metrics> table = [] {
        QHash<QString, Metrics> t;
        for (const FaceMetrics& m : kMetrics)
            t.insert(Key(QString::fromUtf16(m.face)), Metrics{m.ascent, m.descent});
        return t;
    }();
    const QString key = Key(font.face);
    if (const auto it = table.constFind(key); it != table.constEnd()) return *it;
    const QString mapped = Table().value(key);
    if (mapped.startsWith(u"IPA") || IsJapaneseFace(font.face)) return Metrics{0.859, 0.141};
    if (mapped == u"Nimbus Sans") return Metrics{0.905, 0.212};
    if (mapped == u"Nimbus Roman") return Metrics{0.891, 0.216};
    if (mapped == u"Nimbus Mono PS") return Metrics{0.833, 0.300};
    return Metrics{};
}

bool FontMapper::IsJapaneseFace(const QString& face) {
    const QString key = Key(face);
    if (key.startsWith(u"ms") && (key.contains(u"明朝") || key.contains(u"ゴシック") ||
                                  key.contains(u"mincho") || key.contains(u"gothic"))) {
        return true;
    }
    if (Table().value(key).startsWith(u"IPA")) return true;
    for (QChar c : face) {
        const char16_t u = c.unicode();
        if ((u >= 0x3040 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
            (u >= 0xFF61 && u <= 0xFF9F))
            return true;
    }
    return false;
}

QStringList FontMapper::Families(const FontObject& font) {
    RegisterSubstitutions();
    const QString key = Key(font.face);
    const bool mincho = LooksMincho(key) || (font.pitchAndFamily & 0xF0) == 0x10;
    const QString japanese = mincho ? QStringLiteral("IPAPMincho") : QStringLiteral("IPAPGothic");
    QStringList families;
    const QString mapped = Table().value(key);
    if (!mapped.isEmpty() && Installed(mapped)) {
        families << mapped;
    } else if (!font.face.isEmpty() && Installed(font.face)) {
        families << font.face;
    } else if (font.charSet == 128 || IsJapaneseFace(font.face)) {
        const bool fixed = (font.pitchAndFamily & 3) == 1;
        families << (mincho ? (fixed ? "IPAMincho" : "IPAPMincho")
                            : (fixed ? "IPAGothic" : "IPAPGothic"));
    } else {
        switch (font.pitchAndFamily & 0xF0) {
            case 0x10:
                families << FirstInstalled({"Nimbus Roman", "DejaVu Serif"});
                break;
            case 0x30:
                families << FirstInstalled({"Nimbus Mono PS", "DejaVu Sans Mono"});
                break;
            default:
                families << ((font.pitchAndFamily & 3) == 1
                                 ? FirstInstalled({"Nimbus Mono PS", "DejaVu Sans Mono"})
                                 : FirstInstalled({"Nimbus Sans", "DejaVu Sans"}));
                break;
        }
    }
    if (!families.contains(japanese)) families << japanese;
    return families;
}

QString FontMapper::Decode(QByteArrayView bytes, const FontObject& font,
                           std::vector<int>* byteStarts) {
    const char* codec = CodecFor(font);
    if (font.charSet == 2 && !IsJapaneseFace(font.face)) {
        // Symbol fonts: the bytes are glyph codes; keep them as Latin-1 code points.
        if (byteStarts) {
            byteStarts->clear();
            for (qsizetype i = 0; i < bytes.size(); ++i) byteStarts->push_back(static_cast<int>(i));
        }
        return QString::fromLatin1(bytes.data(), bytes.size());
    }
    QStringDecoder decoder(codec, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        decoder = QStringDecoder("windows-1252", QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) decoder = QStringDecoder(QStringConverter::Latin1);
    QString out;
    if (byteStarts) byteStarts->clear();
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        const qsizetype len = IsLeadByte(codec, b) && i + 1 < bytes.size() ? 2 : 1;
        const QString piece = decoder.decode(bytes.sliced(i, len));
        for (qsizetype k = 0; k < piece.size(); ++k) {
            out.append(piece[k]);
            if (byteStarts) byteStarts->push_back(static_cast<int>(i));
        }
        i += len;  // always advances
    }
    return out;
}

}  // namespace tavlex::mf
