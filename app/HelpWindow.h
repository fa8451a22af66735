#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QMenu;
class QTextBrowser;

namespace tavlex {

// The help context the frame, the document windows and the version dialog stand for.
inline constexpr int kFrameHelpContext = 82;

// The program's help, an HTML file in Japanese with one anchor "ctx<N>" per help context. It
// lies beside the program in the build tree (help/Tavlex.html) or in the installed data folder
// (../share/tavlex/help/Tavlex.html from the program). Empty when neither exists: help is then
// offered nowhere.
QString HelpFilePath();
bool HelpAvailable();

// One topic of the help's index: its heading, the context of its anchor, and its text.
struct HelpTopic {
    QString title;
    int context = 0;
    QString text;
};
QList<HelpTopic> ReadHelpTopics(const QString& html);

// The help window: the index with its search field on the left, the text on the right.
class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    explicit HelpWindow(const QString& path, QWidget* parent = nullptr);

    // Shows the topic of context (the overview when the help has no such anchor).
    void ShowContext(int context);
    // Shows the index with the search field ready for a word.
    void ShowFinder();

    QTextBrowser* Browser() const { return browser_; }
    QLineEdit* SearchField() const { return search_; }
    QListWidget* Index() const { return index_; }
    int CurrentContext() const { return current_; }

  private:
    void Filter(const QString& words);
    void Present();

    QTextBrowser* browser_ = nullptr;
    QLineEdit* search_ = nullptr;
    QListWidget* index_ = nullptr;
    QList<HelpTopic> topics_;
    int current_ = 0;
};

// The process's help window, made on first use (nullptr when there is no help).
HelpWindow* Help();
void ShowHelp(int context);
void ShowHelpFinder();

// Help contexts of menu items, read by F1 while the item is highlighted.
void SetHelpContext(QObject* item, int context);
int HelpContextOf(const QObject* item);

// Gives the items of the frame's menus, or of a document window's, their help contexts by name
// (the two menu sets use some names for different items).
void AssignFrameHelpContexts(const QList<QMenu*>& menus);
void AssignDocumentHelpContexts(const QList<QMenu*>& menus);

// F1 anywhere in the program: the highlighted menu item's context, else the active window's,
// else the frame's (82). Installed once on the application.
void InstallHelpKey();

}  // namespace tavlex
