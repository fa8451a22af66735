#include "support/gui/TDropDst.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <stdexcept>

namespace tavlex {

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
    }
    return paths;
}

// Accepts the drop as a copy. A file manager that offered a move takes an accepted move to mean
// the file has been taken over and deletes its original: the viewer only reads the file.
bool AcceptAsCopy(QDropEvent* event) {
    const Qt::DropActions offered = event->possibleActions();
    if (offered.testFlag(Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
    } else if (offered.testFlag(Qt::LinkAction)) {
        event->setDropAction(Qt::LinkAction);
    } else {
        event->ignore();
        return false;
    }
    event->accept();
    return true;
}

}  // namespace

TControlHook::TControlHook(QObject* parent) : QObject(parent) {}

TControlHook::~TControlHook() {
    Unhook();
}

void TControlHook::SetControl(QWidget* control) {
    Unhook();
    control_ = control;
    Hook();
}

void TControlHook::SetTarget(THookTarget target) {
    Unhook();
    target_ = target;
    Hook();
}

void TControlHook::Hook() {
    QWidget* target = control_.data();
    if (target_ == THookTarget::htForm) {
        if (target == nullptr) target = qobject_cast<QWidget*>(parent());
        if (target != nullptr) target = target->window();
        if (target == nullptr) throw std::runtime_error("フック先を特定できません。");
    }
    if (target == nullptr) return;
    hooked_ = target;
    target->installEventFilter(this);
    AfterHook(target);
}

void TControlHook::Unhook() {
    if (!hooked_.isNull()) hooked_->removeEventFilter(this);
    hooked_.clear();
}

bool TControlHook::HookedEvent(QEvent*) {
    return false;
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched == hooked_.data()) {
        if (event->type() == QEvent::WinIdChange) AfterHook(hooked_.data());
        if (HookedEvent(event)) return true;
    }
    return QObject::eventFilter(watched, event);
}

TDropDst::TDropDst(QObject* parent) : TControlHook(parent) {}

void TDropDst::SetAcceptDrop(bool accept) {
    acceptDrop_ = accept;
    if (QWidget* widget = Hooked()) widget->setAcceptDrops(accept);
}

void TDropDst::AfterHook(QWidget* widget) {
    widget->setAcceptDrops(acceptDrop_);
}

bool TDropDst::HookedEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (acceptDrop_ && !LocalFiles(drag->mimeData()).isEmpty()) {
                AcceptAsCopy(drag);
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = LocalFiles(drop->mimeData());
            if (!acceptDrop_ || files.isEmpty()) {
                drop->ignore();
                return true;
            }
            if (!AcceptAsCopy(drop)) return true;
            const QPoint at = drop->position().toPoint();
            emit OnFileDrop(this, files, at.x(), at.y());
            return true;
        }
        default:
            return false;
    }
}

}  // namespace tavlex
