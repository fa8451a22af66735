#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace tavlex::samplegen {

// What the caption frame beside a photograph says.
struct PhotoCaption {
    QString work;   // 工事名
    QString kind;   // 工種
    QString date;   // 撮影日
    QString place;  // 撮影箇所
    QString note;   // 備考
};

struct PhotoSlot {
    QImage photo;
    PhotoCaption caption;
};

// Lays out one album page the way construction albums do (title band, photographs with their
// caption frames, page number) and records it as an enhanced metafile in 0.01 mm logical units.
class PageComposer {
  public:
    // A4 portrait with the slots stacked (two or three); landscape puts two side by side.
    enum class Paper { A4Portrait, A4Landscape };

    PageComposer(QString albumTitle, Paper paper) : title_(std::move(albumTitle)), paper_(paper) {}

    QByteArray Compose(int shownPageNumber, const std::vector<PhotoSlot>& photos) const;

    // Page size in 0.01 mm.
    int PageWidth() const { return paper_ == Paper::A4Portrait ? 21000 : 29700; }
    int PageHeight() const { return paper_ == Paper::A4Portrait ? 29700 : 21000; }

    // The caption rows' labels, in order.
    static QStringList CaptionLabels();

  private:
    QString title_;
    Paper paper_;
};

}  // namespace tavlex::samplegen
