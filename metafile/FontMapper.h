#pragma once

#include "metafile/EmfObjects.h"

#include <QByteArrayView>
#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace tavlex::mf {

// Maps the faces and character sets of Windows fonts onto the fonts installed here, choosing
// faces with the same metrics (the IPA fonts for the MS Japanese faces, URW's metric twins for
// the Latin core fonts) so that recorded layouts keep their widths.
class FontMapper {
  public:
    // Registers the substitutions with QFont once per process; safe to call repeatedly.
    static void RegisterSubstitutions();

    // Installed families to try, best first, with a Japanese family last for missing glyphs.
    static QStringList Families(const FontObject& font);

    // Ascent and descent per em of the Windows face (what the platform aligns text by), or of
    // the installed substitute when the face is unknown; ascent <= 0 when neither is known.
    struct Metrics {
        double ascent = 0;
        double descent = 0;
    };
    static Metrics WindowsMetrics(const FontObject& font);

    // True for the MS Japanese faces and faces whose names are written in Japanese.
    static bool IsJapaneseFace(const QString& face);

    // Decodes 8-bit text in the font's character set (Shift-JIS for Japanese faces).
    // byteStarts receives, for each UTF-16 unit, the index of the first byte of its character.
    static QString Decode(QByteArrayView bytes, const FontObject& font,
                          std::vector<int>* byteStarts);
};

}  // namespace tavlex::mf
