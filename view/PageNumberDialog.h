#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;

namespace tavlex {

// The page to show for the text typed into the page-number dialog: the number at the start of
// the text (0 when there is none) less the album's page offset, kept within 1..pageCount.
int PageFromJumpText(const QString& text, int pageOffset, int pageCount);

// The page-number dialog: caption, prompt, a one-line field preset and fully selected, OK and
// Cancel; centred on the screen.
class PageNumberDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxLength = 255;

    PageNumberDialog(const QString& caption, const QString& prompt, const QString& preset,
                     QWidget* parent = nullptr);

    QString Text() const;
    QLineEdit* Field() const { return field_; }

    // Runs the dialog modally; nothing on Cancel.
    static std::optional<QString> Ask(QWidget* parent, const QString& caption,
                                      const QString& prompt, const QString& preset);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLineEdit* field_ = nullptr;
};

}  // namespace tavlex
