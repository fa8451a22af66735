#pragma once

#include "print/ProcessDialog.h"

#include "view/TViewForm.h"

class QPushButton;
class QSlider;

namespace tavlex {

// The margin dialog: four track bars move the edges of the printed picture one screen pixel at
// a time, the page view follows at once, and "書込" stores them in the album's header. One
// dialog for the process, created on first use.
class TSetForm : public ProcessDialog<TSetForm> {
    Q_OBJECT
  public:
    static TSetForm& SetForm() { return Instance(); }

    // Set while the program itself moves the track bars: their change events are ignored.
    static bool SuppressTrackChange;

    QSlider* TrackBar_Top() const { return top_; }
    QSlider* TrackBar_Bottom() const { return bottom_; }
    QSlider* TrackBar_Left() const { return left_; }
    QSlider* TrackBar_Right() const { return right_; }
    QPushButton* StartBtn() const { return start_; }
    QPushButton* BackBtn() const { return back_; }
    QPushButton* NextBtn() const { return next_; }
    QPushButton* EndBtn() const { return end_; }
    QPushButton* BitBtn1() const { return reset_; }
    QPushButton* BitBtn3() const { return write_; }
    QPushButton* BitBtn2() const { return close_; }

    void TrackBar_TopChange();
    void BitBtn1Click();
    void BitBtn3Click();
    void StartBtnClick();
    void BackBtnClick();
    void NextBtnClick();
    void EndBtnClick();

  private:
    friend class ProcessDialog<TSetForm>;
    TSetForm();
    void FormShow();
    void SyncPageButtons();

    QSlider* top_ = nullptr;
    QSlider* bottom_ = nullptr;
    QSlider* left_ = nullptr;
    QSlider* right_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* end_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace tavlex
