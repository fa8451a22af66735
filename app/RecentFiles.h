#pragma once

#include <QMenu>
#include <QStringList>

#include <functional>

namespace tavlex {

// The albums opened last, newest first, at most eight, kept in section "Recent" of the viewer's
// INI file ("File1" .. "File8", absolute paths) and offered in a submenu of the File menus.
class RecentFiles : public QObject {
    Q_OBJECT

  public:
    static constexpr int kMaxFiles = 8;

    // open: how an entry is opened (the frame's open of one album).
    explicit RecentFiles(std::function<void(const QString&)> open, QObject* parent = nullptr);

    // The list as the INI file holds it now.
    static QStringList Read();
    QStringList Files() const { return Read(); }

    // Puts path (made absolute) first and writes the list; an INI file that cannot be written
    // keeps the old list (the album is open all the same).
    void Add(const QString& path);

    // "最近使ったファイル(&R)": one item per album, "&1 name" .. "&8 name", disabled when empty.
    QMenu* Menu() const { return menu_; }

  private:
    void Fill();

    std::function<void(const QString&)> open_;
    QMenu* menu_ = nullptr;
};

}  // namespace tavlex
