#pragma once

#include <QStyle>

#include <vector>

#include "album/AlbumFormat.h"
#include "controls/TNoPaintPanel_Speed.h"

class QPainter;

namespace tavlex {

class Document;
class TCngLstBox;
class TLabel_Speed;

// The line of the contents list that holds page: the first entry starting on it, else the entry
// before the first one starting beyond it, else the last line; -1 for an empty list. entries is
// the document's list (its final (0, 0) entry is ignored).
int ContentsLineForPage(const std::vector<ContentsEntry>& entries, int lineCount, int page);

// The page number text of line index: page + offset, with the number of pages it covers in
// brackets when more than one; empty when the entry has no page to show.
QString ContentsPageText(const std::vector<ContentsEntry>& entries, int lineCount, int index,
                         int pageCount, int pageOffset);

// PL_JumpTree: the header strip PL_JumpTool with " 目次(&M):" and " 用紙(&P):", and the owner-drawn
// list JumpTree of the album's contents.
class ContentsPanel : public TNoPaintPanel_Speed {
    Q_OBJECT
  public:
    static constexpr int kDefaultWidth = 225;

    explicit ContentsPanel(QWidget* parent = nullptr);

    TCngLstBox* JumpTree() const { return jumpTree_; }
    QWidget* PL_JumpTool() const { return tool_; }
    TLabel_Speed* LB_Mokuji() const { return mokuji_; }

    // The document whose contents are listed (not owned; outlives the panel's use of it).
    void SetDocument(const Document* document) { document_ = document; }
    // Refills the list with the document's texts in one update.
    void Fill();

    // Font metrics, from the list's font (12 pixels: indent unit 6, item height 16).
    void SetUpFontMetrics();
    int IndentUnit() const { return indentUnit_; }
    int LineTextHeight() const { return lineTextHeight_; }

    // The list's own colour (also the page area's colour while it has no focus).
    QColor ListColor() const;
    void SetListColors(const QColor& background, const QColor& text);

    // Draws one line (public for the pictures the tests take of it).
    void DrawLine(QPainter& painter, int index, const QRect& rect, QStyle::State state) const;

  private:
    const Document* document_ = nullptr;
    QWidget* tool_ = nullptr;
    TLabel_Speed* mokuji_ = nullptr;
    TLabel_Speed* paper_ = nullptr;
    TCngLstBox* jumpTree_ = nullptr;
    int indentUnit_ = 6;
    int lineTextHeight_ = 12;
};

}  // namespace tavlex
