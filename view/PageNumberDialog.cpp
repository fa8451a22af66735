#include "view/PageNumberDialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "support/Text.h"

namespace tavlex {

int PageFromJumpText(const QString& text, int pageOffset, int pageCount) {
    const std::int64_t page = std::int64_t{TextToInt(QStringView(text))} - pageOffset;
    return static_cast<int>(std::clamp<std::int64_t>(page, 1, std::max(1, pageCount)));
}

PageNumberDialog::PageNumberDialog(const QString& caption, const QString& prompt,
                                   const QString& preset, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(prompt, this);
    field_ = new QLineEdit(preset, this);
    field_->setMaxLength(kMaxLength);
    field_->selectAll();
    label->setBuddy(field_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(field_);
    layout->addWidget(buttons);
    setMinimumWidth(260);
}

QString PageNumberDialog::Text() const {
    return field_->text();
}

void PageNumberDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect box = frameGeometry();
        box.moveCenter(screen->availableGeometry().center());
        move(box.topLeft());
    }
    field_->setFocus();
    field_->selectAll();
}

std::optional<QString> PageNumberDialog::Ask(QWidget* parent, const QString& caption,
                                             const QString& prompt, const QString& preset) {
    PageNumberDialog dialog(caption, prompt, preset, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Text();
}

}  // namespace tavlex
