#pragma once

#include <QByteArray>
#include <QString>

namespace tavlex::samplegen {

// The album's measurement page ("出来形管理図"): a table of design and measured values and a
// chart of their differences against the tolerance, recorded as a placeable Windows metafile
// on A4 portrait, as older album programs stored such pages.
class ChartPage {
  public:
    static QByteArray Compose(const QString& albumTitle, int shownPageNumber);
};

}  // namespace tavlex::samplegen
