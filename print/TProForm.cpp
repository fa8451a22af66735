#include "print/TProForm.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <cmath>

#include "album/AlbumFormat.h"
#include "print/DocumentPrinting.h"
#include "print/TPrinterEnv.h"
#include "support/Text.h"
#include "view/TViewForm.h"

namespace tavlex {
namespace {

QFont DialogFont(const QString& family = QString()) {
    QFont font = family.isEmpty() ? QApplication::font() : QFont(family);
    font.setPixelSize(13);
    return font;
}

QLabel* CaptionLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    label->setStyleSheet(QStringLiteral("background-color: navy; color: white;"));
    label->setFont(DialogFont());
    return label;
}

QLabel* ValueLabel(QWidget* parent, const char* name, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setAutoFillBackground(true);
    label->setStyleSheet(QStringLiteral("background-color: grey; color: white;"));
    label->setFont(DialogFont());
    return label;
}

// "yyyy/m/d h:n:s": no leading zeros but the year's.
QString CreatedText(double oleDate) {
    const QDateTime when = OleDateToDateTime(oleDate);
    if (!when.isValid()) return QString();
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

}  // namespace

TProForm::TProForm() {
    setObjectName(QStringLiteral("ProForm"));
    setWindowTitle(QStringLiteral("書類情報"));
    setFixedSize(482, 243);
    setFont(DialogFont());
    const int captionX = 8, valueX = 92, valueW = 382, rowH = 20;
    const auto row = [](int i) { return 8 + i * 24; };
    CaptionLabel(this, "Label1", QStringLiteral("バージョン"), QRect(captionX, row(0), 80, rowH));
    CaptionLabel(this, "Label2", QStringLiteral("作成日"), QRect(captionX, row(1), 80, rowH));
    CaptionLabel(this, "Label3", QStringLiteral("題名"), QRect(captionX, row(2), 80, rowH));
    CaptionLabel(this, "Label4", QStringLiteral("作成者"), QRect(captionX, row(3), 80, rowH));
    CaptionLabel(this, "Label5", QStringLiteral("備考"), QRect(captionX, row(4), 80, rowH));
    CaptionLabel(this, "Label6", QStringLiteral("用紙"), QRect(captionX, row(5), 80, rowH));
    ver_ = ValueLabel(this, "LB_Ver", QRect(valueX, row(0), valueW, rowH));
    date_ = ValueLabel(this, "LB_Date", QRect(valueX, row(1), valueW, rowH));
    title_ = ValueLabel(this, "LB_Title", QRect(valueX, row(2), valueW, rowH));
    name_ = ValueLabel(this, "LB_Name", QRect(valueX, row(3), valueW, rowH));
    bikou_ = ValueLabel(this, "LB_Bikou", QRect(valueX, row(4), valueW, rowH));
    paper_ = ValueLabel(this, "LB_Paper", QRect(valueX, row(5), valueW, rowH));
    CaptionLabel(this, "Label7", QStringLiteral("外字変換"), QRect(captionX, row(6), 80, rowH));
    CaptionLabel(this, "Label8", QStringLiteral("代替フォント"), QRect(captionX, row(7), 80, rowH));
    gaiji_ = ValueLabel(this, "LB_Gaiji", QRect(valueX, row(6), 140, rowH));
    font_ = ValueLabel(this, "LB_Font", QRect(valueX, row(7), 140, rowH));
    CaptionLabel(this, "Label9", QStringLiteral("使用フォント"), QRect(240, row(6), 80, rowH));
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo"));
    memo_->setGeometry(324, row(6), 150, 68);
    memo_->setReadOnly(true);
    memo_->setFrameShape(QFrame::NoFrame);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setFocusPolicy(Qt::NoFocus);
    memo_->viewport()->setCursor(Qt::ArrowCursor);
    memo_->setFont(DialogFont(QStringLiteral("ＭＳ ゴシック")));
    memo_->setStyleSheet(QStringLiteral("background-color: grey; color: white;"));
    button_ = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    button_->setObjectName(QStringLiteral("Button1"));
    button_->setGeometry(380, 208, 94, 26);
    button_->setDefault(true);
    connect(button_, &QPushButton::clicked, this, &QDialog::accept);
}

void TProForm::FormShow() {
    const Document& doc = Form()->Doc();
    const AlbumSettings& s = doc.AlbumSettings;
    const QString blank = QStringLiteral(" ");
    ver_->setText(
        blank + FromShiftJis(doc.AlbumHeader.Signature()) + blank +
        QString::number(static_cast<double>(doc.AlbumHeader.ProductVersion()) / 10000.0, 'f', 1));
    date_->setText(blank + CreatedText(s.Created()));
    title_->setText(blank + FromShiftJis(s.Title()));
    name_->setText(blank + FromShiftJis(s.Author()));
    bikou_->setText(blank + FromShiftJis(s.Remarks()));
    gaiji_->setText(s.GaijiAsBitmap() ? QStringLiteral(" ビットデータに変換")
                                      : QStringLiteral(" 無"));
    const QByteArray substitute = s.SubstituteFont();
    font_->setText(substitute.isEmpty() ? QStringLiteral(" 無") : blank + FromShiftJis(substitute));

    // The printer's names through the most recently made environment, or this window's.
    TPrinterEnv* env = TPrinterEnv::CurrentEnvironment();
    if (!env) env = &DocumentPrinting::Attach(*Form()).PrinterEnv();
    QString paper = QStringLiteral(" 不明");
    const int count = env->PaperCount();
    for (int i = 0; i < count; ++i) {
        if (env->PaperCodeAt(i) == s.PaperCode()) {
            paper = blank + env->PaperNameAt(i);
            break;
        }
    }
    paper += s.Orientation() == 0 ? QStringLiteral(" 縦置 ") : QStringLiteral(" 横置 ");
    // The stored unit is whole millimetres, so they are shown as such.
    paper += blank + QString::number(s.PaperWidthMm()) + QStringLiteral("mm × ") +
             QString::number(s.PaperHeightMm()) + QStringLiteral("mm");
    paper_->setText(paper);

    const QStringList fonts = env->Fonts();
    QStringList lines;
    const QString used = FromShiftJis(s.UsedFonts());
    // Lines as a memo takes them: a final line break opens no further line.
    QStringList parts = used.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();
    for (const QString& line : parts) {
        lines << (fonts.contains(line, Qt::CaseInsensitive) ? QStringLiteral("○")
                                                            : QStringLiteral("×")) +
                     line;
    }
    memo_->setPlainText(lines.join(QLatin1Char('\n')));
}

}  // namespace tavlex
