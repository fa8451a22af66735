#include "support/gui/TControlSize.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include "support/FileError.h"
#include "support/SIniFile.h"
#include "support/gui/ShellUtilities.h"

namespace tavlex {

TControlSize::TControlSize(QObject* parent) : QObject(parent) {}

// Nothing is stored here: the window is half gone by then, and its close stored it already.
TControlSize::~TControlSize() = default;

void TControlSize::SetControl(QWidget* control) {
    if (!control_.isNull()) control_->removeEventFilter(this);
    control_ = control;
    if (control != nullptr) control->installEventFilter(this);
}

QString TControlSize::IniFile() const {
    return iniFile_.isEmpty() ? DefaultIniName() : iniFile_;
}

bool TControlSize::eventFilter(QObject* watched, QEvent* event) {
    if (watched == control_.data() && !restoring_) {
        if (event->type() == QEvent::Show && sizeOnShow_ && !control_->isMinimized()) {
            restoring_ = true;
            emit OnCreate();
            Restore();
            emit OnStart();
            restoring_ = false;
        } else if (event->type() == QEvent::Hide && !control_->isMinimized()) {
            // Closed (or hidden by its owner): the place as it was last seen.
            Store();
        }
    }
    return QObject::eventFilter(watched, event);
}

void TControlSize::Restore() {
    if (IniFile().isEmpty()) return;
    try {
        if (section_.isEmpty() && !control_.isNull()) {
            section_ = QStringLiteral("Sz_") + control_->objectName();
            if (control_->isWindow() && screenCentre_) CenterOnMonitor(control_.data());
        }
        if (section_.isEmpty()) return;
        SIniFile ini(SIniFile::kIniMode, IniFile());
        if (!control_.isNull()) ReadWritePlacement(ini, control_.data(), section_, style_, 'R');
    } catch (...) {
        // The window keeps whatever place it has.
    }
}

void TControlSize::Store() {
    if (IniFile().isEmpty() || section_.isEmpty() || control_.isNull()) return;
    try {
        SIniFile ini(SIniFile::kIniMode, IniFile());
        ReadWritePlacement(ini, control_.data(), section_, style_, 'W');
    } catch (...) {
        // A geometry that cannot be kept is no reason to trouble the user.
    }
}

QRect VirtualDesktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
}

QRect ClampToDesktop(QRect rect, const QRect& desktop) {
    rect.setWidth(qMin(rect.width(), desktop.width()));
    rect.setHeight(qMin(rect.height(), desktop.height()));
    if (rect.left() < desktop.left()) rect.moveLeft(desktop.left());
    if (rect.top() < desktop.top()) rect.moveTop(desktop.top());
    if (rect.left() + rect.width() > desktop.left() + desktop.width()) {
        rect.moveLeft(desktop.left() + desktop.width() - rect.width());
    }
    if (rect.top() + rect.height() > desktop.top() + desktop.height()) {
        rect.moveTop(desktop.top() + desktop.height() - rect.height());
    }
    return rect;
}

QRect NormalBounds(const QWidget* form) {
    if (!form->isMaximized() && !form->isMinimized() && !form->isFullScreen()) {
        return QRect(form->pos(), form->size());
    }
    // The window system keeps the restored client rectangle; the outer top-left lies the
    // decoration's width above and left of it.
    const QRect normal = form->normalGeometry();
    if (!normal.isValid()) return QRect(form->pos(), form->size());
    const QPoint decoration = form->geometry().topLeft() - form->frameGeometry().topLeft();
    return QRect(normal.topLeft() - decoration, normal.size());
}

void ReadWritePlacement(SIniFile& ini, QWidget* control, QString& section, TControlSizeStyle style,
                        char mode) {
    if (control == nullptr) return;
    if (section.isEmpty()) section = QStringLiteral("Sz_") + control->objectName();
    const bool form = control->isWindow();
    if (mode == 'R') {
        QRect rect(control->pos(), control->size());
        if (style != TControlSizeStyle::cssVisible) {
            rect = QRect(ini.GetNumber(section, QStringLiteral("szLeft"), rect.left()),
                         ini.GetNumber(section, QStringLiteral("szTop"), rect.top()),
                         ini.GetNumber(section, QStringLiteral("szWidth"), rect.width()),
                         ini.GetNumber(section, QStringLiteral("szHeight"), rect.height()));
        }
        if (form) {
            if (style == TControlSizeStyle::cssVisible) return;
            // A window of fixed size keeps it: the place is clamped with that size.
            const bool sizeable = control->minimumSize() != control->maximumSize();
            if (!sizeable) rect.setSize(control->size());
            rect = ClampToDesktop(rect, VirtualDesktop());
            const bool maximized =
                ini.GetFlag(section, QStringLiteral("szWindowState"), control->isMaximized());
            control->move(rect.topLeft());
            if (sizeable) control->resize(rect.size());
            if (maximized) {
                control->setWindowState(control->windowState() | Qt::WindowMaximized);
            } else {
                control->setWindowState(control->windowState() & ~Qt::WindowMaximized);
            }
            return;
        }
        if (style != TControlSizeStyle::cssSize) {
            control->setVisible(
                ini.GetFlag(section, QStringLiteral("szVisible"), !control->isHidden()));
        }
        if (style == TControlSizeStyle::cssVisible) return;
        if (const QWidget* parent = control->parentWidget()) {
            rect.setWidth(qMin(rect.width(), parent->width() - 10));
            rect.setHeight(qMin(rect.height(), parent->height() - 10));
        }
        control->setGeometry(rect);
        return;
    }

    ini.DropSection(section);
    if (form) {
        if (style == TControlSizeStyle::cssVisible) return;
        ini.PutNumber(section, QStringLiteral("szWindowState"), control->isMaximized() ? 1 : 0);
        const QRect normal = NormalBounds(control);
        ini.PutNumber(section, QStringLiteral("szLeft"), normal.left());
        ini.PutNumber(section, QStringLiteral("szTop"), normal.top());
        ini.PutNumber(section, QStringLiteral("szWidth"), normal.width());
        ini.PutNumber(section, QStringLiteral("szHeight"), normal.height());
        return;
    }
    const bool visible = !control->isHidden();
    if (style != TControlSizeStyle::cssSize) {
        ini.PutFlag(section, QStringLiteral("szVisible"), visible);
    }
    if (style == TControlSizeStyle::cssVisible) return;
    ini.PutNumber(section, QStringLiteral("szLeft"), control->x());
    ini.PutNumber(section, QStringLiteral("szTop"), control->y());
    ini.PutNumber(section, QStringLiteral("szWidth"), control->width());
    ini.PutNumber(section, QStringLiteral("szHeight"), control->height());
    ini.PutFlag(section, QStringLiteral("szVisible"), visible);
}

}  // namespace tavlex
