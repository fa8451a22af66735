#include "app/RecentFiles.h"

#include <QDir>
#include <QFileInfo>

#include "support/SIniFile.h"

namespace tavlex {

namespace {

const QString kSection = QStringLiteral("Recent");

QString Key(int n) {
    return QStringLiteral("File%1").arg(n);
}

}  // namespace

RecentFiles::RecentFiles(std::function<void(const QString&)> open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {
    menu_ = new QMenu(QStringLiteral("最近使ったファイル(&R)"));
    menu_->setObjectName(QStringLiteral("Mn_Recent"));
    menu_->menuAction()->setObjectName(QStringLiteral("Mn_Recent"));
    connect(this, &QObject::destroyed, menu_, &QObject::deleteLater);
    connect(menu_, &QMenu::aboutToShow, this, &RecentFiles::Fill);
    Fill();
}

QStringList RecentFiles::Read() {
    const SIniFile ini(SIniFile::kIniMode, DefaultIniName());
    QStringList files;
    for (int n = 1; n <= kMaxFiles; ++n) {
        const QString path = ini.GetText(kSection, Key(n), QString());
        if (!path.isEmpty() && !files.contains(path)) files << path;
    }
    return files;
}

void RecentFiles::Add(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList files = Read();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > kMaxFiles) files.removeLast();
    try {
        SIniFile ini(SIniFile::kIniMode, DefaultIniName());
        ini.DropSection(kSection);
        for (int n = 1; n <= files.size(); ++n) ini.PutText(kSection, Key(n), files[n - 1]);
    } catch (...) {
        // The list is a convenience: an album opens whether or not it can be remembered.
    }
    Fill();
}

void RecentFiles::Fill() {
    menu_->clear();
    const QStringList files = Read();
    int n = 0;
    for (const QString& path : files) {
        ++n;
        QString name = QFileInfo(path).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = menu_->addAction(QStringLiteral("&%1 %2").arg(n).arg(name));
        item->setObjectName(QStringLiteral("Mn_Recent%1").arg(n));
        item->setToolTip(path);
        item->setStatusTip(path);
        connect(item, &QAction::triggered, this, [this, path] {
            if (open_) open_(path);
        });
    }
    menu_->menuAction()->setEnabled(!files.isEmpty());
}

}  // namespace tavlex
