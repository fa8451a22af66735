#include "app/StateReport.h"

#include <QApplication>
#include <QSaveFile>

#include "app/TVMainForm.h"
#include "view/TViewForm.h"

namespace tavlex {

StateReport::StateReport(TVMainForm& frame, QString path, QObject* parent)
    : QObject(parent), frame_(frame), path_(std::move(path)) {
    poll_.setInterval(50);
    connect(&poll_, &QTimer::timeout, this, &StateReport::Update);
    poll_.start();
}

QString StateReport::Describe(const TVMainForm& frame) {
    const QList<TViewForm*> forms = frame.DocumentWindows();
    QString text = QStringLiteral("documents %1\n").arg(forms.size());
    for (const TViewForm* form : forms) {
        text += QStringLiteral("document ") + form->Doc().AlbumPath + QLatin1Char('\n');
    }
    const QWidget* modal = QApplication::activeModalWidget();
    text += QStringLiteral("modal ") +
            (modal != nullptr ? QString::fromLatin1(modal->metaObject()->className())
                              : QStringLiteral("-")) +
            QLatin1Char('\n');
    text += QStringLiteral("minimized %1\n").arg(frame.isMinimized() ? 1 : 0);
    return text;
}

void StateReport::Update() {
    const QString text = Describe(frame_);
    if (text == written_) return;
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(text.toUtf8());
    if (file.commit()) written_ = text;
}

}  // namespace tavlex
