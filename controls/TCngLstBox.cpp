#include "controls/TCngLstBox.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace tavlex {

class TCngLstBox::Delegate : public QStyledItemDelegate {
  public:
    explicit Delegate(TCngLstBox* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (list_->SleepUpdate()) {
            return;
        }
        if (!list_->DrawItem()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyle::State state = option.state;
        // The focus rectangle belongs to the current row while the list itself has the focus.
        if (!(list_->hasFocus() && index.row() == list_->currentRow())) {
            state &= ~QStyle::State_HasFocus;
        } else {
            state |= QStyle::State_HasFocus;
        }
        painter->save();
        list_->DrawItem()(*painter, index.row(), option.rect, state);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (list_->ItemHeight() > 0) {
            size.setHeight(list_->ItemHeight());
        }
        return size;
    }

  private:
    TCngLstBox* list_;
};

TCngLstBox::TCngLstBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new Delegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this, [this](int) {
        if (!settingIndex_) {
            emit IndexChange();
        }
    });
}

void TCngLstBox::SetSleepUpdate(bool on) {
    sleepUpdate_ = on;
    if (!on) {
        viewport()->update();
    }
}

void TCngLstBox::SetDrawItemHandler(DrawItemHandler handler) {
    drawItem_ = std::move(handler);
    viewport()->update();
}

void TCngLstBox::SetItemHeight(int height) {
    itemHeight_ = qMax(0, height);
    // Makes the view ask the delegate for the item sizes again.
    doItemsLayout();
    viewport()->update();
}

void TCngLstBox::SetItemIndex(int index) {
    settingIndex_ = true;
    if (index < 0 || index >= count()) {
        setCurrentRow(-1);
        clearSelection();
    } else {
        setCurrentRow(index);
    }
    settingIndex_ = false;
    emit IndexChange();
}

}  // namespace tavlex
