#pragma once

#include <QListWidget>
#include <QStyle>

#include <functional>

class QPainter;

namespace tavlex {

// The contents list: a list box that reports every change of its selected index (IndexChange),
// whether the program set it or the user moved it, can be drawn by its owner, and can stop
// drawing its items (SleepUpdate) while it is refilled.
class TCngLstBox : public QListWidget {
    Q_OBJECT

  public:
    // Draws item `index` into rect; state carries State_Selected and State_HasFocus.
    using DrawItemHandler =
        std::function<void(QPainter& painter, int index, const QRect& rect, QStyle::State state)>;

    explicit TCngLstBox(QWidget* parent = nullptr);

    bool SleepUpdate() const { return sleepUpdate_; }
    void SetSleepUpdate(bool on);

    // Without a handler the items draw themselves as usual.
    void SetDrawItemHandler(DrawItemHandler handler);
    const DrawItemHandler& DrawItem() const { return drawItem_; }

    // Fixed height of every item in pixels (0: the font's own).
    void SetItemHeight(int height);
    int ItemHeight() const { return itemHeight_; }

    // The selected index (-1 for none) and a set request: reported through IndexChange even when
    // the index stays the same.
    int ItemIndex() const { return currentRow(); }
    void SetItemIndex(int index);

  signals:
    void IndexChange();

  private:
    class Delegate;

    bool sleepUpdate_ = false;
    bool settingIndex_ = false;
    int itemHeight_ = 0;
    DrawItemHandler drawItem_;
};

}  // namespace tavlex
