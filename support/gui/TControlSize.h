#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

namespace tavlex {

class SIniFile;

enum class TControlSizeStyle {
    cssAll,      // position, size and window state (a form) or visibility (a control)
    cssSize,     // the same, but a control's visibility is only written
    cssVisible,  // a control's visibility only; nothing for a form
};

// Remembers a window's (or a control's) place in an INI file, section "Sz_" + its object name:
// restored when it is shown (SizeOnShow) or at once, stored whenever it is closed (hidden, not
// minimised) or when the component goes. A top-level window is a form; anything else a control.
//
// Keys "szLeft", "szTop" (the outer top-left, in desktop coordinates), "szWidth", "szHeight"
// (the client size: the window manager's decoration is not known before a window is mapped, and
// storing it would grow the window by it at every start), "szWindowState" (1 maximised) for a
// form, "szVisible" for a control.
class TControlSize : public QObject {
    Q_OBJECT

  public:
    explicit TControlSize(QObject* parent = nullptr);
    ~TControlSize() override;

    QWidget* Control() const { return control_.data(); }
    void SetControl(QWidget* control);
    bool SizeOnShow() const { return sizeOnShow_; }
    void SetSizeOnShow(bool onShow) { sizeOnShow_ = onShow; }
    bool ScreenSenter() const { return screenCentre_; }
    void SetScreenSenter(bool centre) { screenCentre_ = centre; }
    TControlSizeStyle Style() const { return style_; }
    void SetStyle(TControlSizeStyle style) { style_ = style; }
    // Empty: DefaultIniName() ("Tavlex.INI").
    QString IniFile() const;
    void SetIniFile(const QString& name) { iniFile_ = name; }
    QString Section() const { return section_; }

    // Reads and applies the remembered place (centring a form on its monitor before the first
    // read when asked). Errors are swallowed: the window keeps its place.
    void Restore();
    // Writes the place, once a Restore has named the section. Errors are swallowed.
    void Store();

  signals:
    void OnCreate();  // just before each restore
    void OnStart();   // just after each restore

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> control_;
    bool sizeOnShow_ = true;
    bool screenCentre_ = false;
    TControlSizeStyle style_ = TControlSizeStyle::cssAll;
    QString iniFile_;
    QString section_;
    bool restoring_ = false;
};

// Reads ("R") or writes ("W") a widget's place in section (filled with "Sz_" + name when
// empty). Throws FileError when a write fails.
void ReadWritePlacement(SIniFile& ini, QWidget* control, QString& section, TControlSizeStyle style,
                        char mode);

// A rectangle moved (and shrunk when it must be) into the desktop, so that a window stored on a
// monitor that is gone comes back where it can be reached.
QRect ClampToDesktop(QRect rect, const QRect& desktop);

// The union of every monitor's area.
QRect VirtualDesktop();

// The rectangle a form returns to when it is un-maximised, in outer top-left and client size.
QRect NormalBounds(const QWidget* form);

}  // namespace tavlex
