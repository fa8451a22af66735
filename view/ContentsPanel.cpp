#include "view/ContentsPanel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

#include "album/Document.h"
#include "controls/TCngLstBox.h"
#include "controls/TLabel_Speed.h"
#include "view/ContentsIcons.h"

namespace tavlex {
namespace {

const QColor kListColor(0xD3, 0xDF, 0xE0);        // $E0DFD3
const QColor kSelectedFocused(0x80, 0x80, 0x80);  // $808080
const QColor kSelectedIdle(0xC0, 0xC0, 0xC0);     // $C0C0C0
const QColor kTitleColor(0x5E, 0x00, 0x00);       // $00005E
const QColor kDotsColor(0xC0, 0xC0, 0xC0);
const QColor kNumberColor(0xFF, 0x00, 0x00);  // $0000FF

int EntryPage(const std::vector<ContentsEntry>& entries, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return 0;
    return entries[static_cast<std::size_t>(index)].Page;
}

}  // namespace

int ContentsLineForPage(const std::vector<ContentsEntry>& entries, int lineCount, int page) {
    const int lines = std::min<int>(lineCount, static_cast<int>(entries.size()));
    for (int i = 0; i < lines; ++i) {
        const int entryPage = EntryPage(entries, i);
        if (entryPage == page) return i;
        if (entryPage > page && i > 0) return i - 1;
    }
    return lines > 0 ? lines - 1 : -1;
}

QString ContentsPageText(const std::vector<ContentsEntry>& entries, int lineCount, int index,
                         int pageCount, int pageOffset) {
    const int page = EntryPage(entries, index);
    const std::int64_t shown = std::int64_t{page} + pageOffset;
    if (shown <= 0) return {};
    const std::int64_t covered = index + 1 < lineCount
                                     ? std::int64_t{EntryPage(entries, index + 1)} - page
                                     : std::int64_t{pageCount} - page + 1;
    QString text = QString::number(shown);
    if (covered > 1) text += QLatin1Char('(') + QString::number(covered) + QLatin1Char(')');
    return text;
}

ContentsPanel::ContentsPanel(QWidget* parent) : TNoPaintPanel_Speed(parent) {
    setObjectName(QStringLiteral("PL_JumpTree"));
    SetBevelOuter(BevelCut::None);
    SetBorderWidth(1);
    resize(kDefaultWidth, height());

    tool_ = new TNoPaintPanel_Speed(this);
    tool_->setObjectName(QStringLiteral("PL_JumpTool"));
    static_cast<TNoPaintPanel_Speed*>(tool_)->SetBevelOuter(BevelCut::None);
    tool_->setFixedHeight(18);
    mokuji_ = new TLabel_Speed(QStringLiteral(" 目次(&M):"), tool_);
    mokuji_->setObjectName(QStringLiteral("LB_Mokuji"));
    // " 用紙(&P):" with its accelerator underlined but no focus target: the page area's own
    // label takes Alt+P.
    paper_ = new TLabel_Speed(QStringLiteral("&nbsp;用紙(<u>P</u>):"), tool_);
    paper_->setObjectName(QStringLiteral("LB_Paper"));
    paper_->setTextFormat(Qt::RichText);
    auto* toolLayout = new QHBoxLayout(tool_);
    toolLayout->setContentsMargins(0, 0, 0, 0);
    toolLayout->setSpacing(0);
    toolLayout->addWidget(mokuji_);
    toolLayout->addStretch(1);
    toolLayout->addWidget(paper_);

    jumpTree_ = new TCngLstBox(this);
    jumpTree_->setObjectName(QStringLiteral("JumpTree"));
    jumpTree_->setFrameShape(QFrame::NoFrame);
    jumpTree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font = jumpTree_->font();
    font.setPixelSize(12);
    jumpTree_->setFont(font);
    SetListColors(kListColor, Qt::black);
    jumpTree_->SetDrawItemHandler(
        [this](QPainter& painter, int index, const QRect& rect, QStyle::State state) {
            DrawLine(painter, index, rect, state);
        });
    mokuji_->setBuddy(jumpTree_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(tool_);
    layout->addWidget(jumpTree_, 1);
    SetUpFontMetrics();
}

void ContentsPanel::Fill() {
    jumpTree_->setUpdatesEnabled(false);
    jumpTree_->clear();
    if (document_) jumpTree_->addItems(document_->ContentsTexts);
    jumpTree_->setUpdatesEnabled(true);
}

void ContentsPanel::SetUpFontMetrics() {
    const int height = jumpTree_->font().pixelSize() > 0 ? jumpTree_->font().pixelSize()
                                                         : QFontMetrics(jumpTree_->font()).height();
    lineTextHeight_ = height;
    indentUnit_ = height / 2;
    jumpTree_->SetItemHeight(lineTextHeight_ + 4);
}

QColor ContentsPanel::ListColor() const {
    return jumpTree_->palette().color(QPalette::Base);
}

void ContentsPanel::SetListColors(const QColor& background, const QColor& text) {
    QPalette palette = jumpTree_->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Text, text);
    jumpTree_->setPalette(palette);
}

void ContentsPanel::DrawLine(QPainter& painter, int index, const QRect& rect,
                             QStyle::State state) const {
    const bool selected = state & QStyle::State_Selected;
    const bool ordinary = !selected && !(state & QStyle::State_HasFocus);
    const QPalette& palette = jumpTree_->palette();
    const QColor baseText =
        selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    QColor brush = palette.color(QPalette::Base);
    if (selected) brush = jumpTree_->hasFocus() ? kSelectedFocused : kSelectedIdle;
    painter.fillRect(rect, brush);
    if (!document_) return;

    const auto& entries = document_->ContentsEntries;
    const int level = index >= 0 && static_cast<std::size_t>(index) < entries.size()
                          ? entries[static_cast<std::size_t>(index)].Level
                          : 0;
    const QImage icon = ContentsIcon(level == 0 ? 0 : 1);
    const long long indent = level <= 0 ? 0 : (static_cast<long long>(level) - 1) * 2 * indentUnit_;
    int x = static_cast<int>(std::min<long long>(3 + indent, 1 << 20));
    painter.drawImage(QPoint(rect.left() + x, rect.top() + (rect.height() - icon.height()) / 2),
                      icon);
    x += static_cast<int>(std::trunc(indentUnit_ * 2.5));
    const int y = rect.top() + (rect.height() - lineTextHeight_) / 2;

    painter.setFont(jumpTree_->font());
    const QFontMetrics metrics(jumpTree_->font());
    const int baseline = y + metrics.ascent();
    auto draw = [&](const QString& text, const QColor& color) {
        painter.setPen(color);
        painter.drawText(QPoint(rect.left() + x, baseline), text);
        x += metrics.horizontalAdvance(text);
    };
    const QString title = jumpTree_->item(index) ? jumpTree_->item(index)->text() : QString();
    draw(title, ordinary ? kTitleColor : baseText);
    const int lines = jumpTree_->count();
    const QString number =
        ContentsPageText(entries, lines, index, document_->PageCount, document_->PageOffset);
    if (!number.isEmpty()) {
        draw(QStringLiteral(" ... "), ordinary ? kDotsColor : baseText);
        draw(number, ordinary ? kNumberColor : baseText);
    }
    painter.setPen(baseText);
}

}  // namespace tavlex
