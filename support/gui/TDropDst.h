#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace tavlex {

enum class THookTarget {
    htControl,  // the control itself
    htForm,     // the window the control sits in (the control itself when it is one)
};

// Watches the events of a chosen widget without changing its code. The watch is on the widget,
// not on its native window, so it goes on when the window system recreates that window (a
// change of flags or of screen). Throws std::runtime_error "フック先を特定できません。" when a
// form is asked for and there is none.
class TControlHook : public QObject {
    Q_OBJECT

  public:
    explicit TControlHook(QObject* parent = nullptr);
    ~TControlHook() override;

    QWidget* Control() const { return control_.data(); }
    void SetControl(QWidget* control);
    THookTarget Target() const { return target_; }
    void SetTarget(THookTarget target);
    // The widget watched now, or nullptr.
    QWidget* Hooked() const { return hooked_.data(); }

    void Hook();
    void Unhook();

  protected:
    // Every event of the hooked widget comes here first; true consumes it.
    virtual bool HookedEvent(QEvent* event);
    // Called after every hook (also after the native window was recreated).
    virtual void AfterHook(QWidget*) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> control_;
    QPointer<QWidget> hooked_;
    THookTarget target_ = THookTarget::htControl;
};

// Turns files dropped on the hooked widget into one OnFileDrop with their local paths, in the
// order the drag source gave them, and the drop point in the widget's coordinates. Anything
// that is no local file (web addresses, text) is not offered and not accepted.
class TDropDst : public TControlHook {
    Q_OBJECT

  public:
    explicit TDropDst(QObject* parent = nullptr);

    bool AcceptDrop() const { return acceptDrop_; }
    void SetAcceptDrop(bool accept);

  signals:
    void OnFileDrop(TDropDst* sender, const QStringList& files, int x, int y);

  protected:
    bool HookedEvent(QEvent* event) override;
    void AfterHook(QWidget* widget) override;

  private:
    bool acceptDrop_ = true;
};

}  // namespace tavlex
