#include "app/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "support/Folders.h"
#include "support/gui/ShellUtilities.h"

namespace tavlex {

namespace {

constexpr char kContextProperty[] = "tavlexHelpContext";

QString AnchorOf(int context) {
    return QStringLiteral("ctx%1").arg(context);
}

// F1 before any widget or shortcut sees it.
class HelpKeyFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1 || !HelpAvailable()) {
            return QObject::eventFilter(watched, event);
        }
        // Each key press reaches the filter once per receiver on its way up; the first decides.
        if (!watched->isWidgetType()) return false;
        int context = 0;
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            if (QAction* item = menu->activeAction()) context = HelpContextOf(item);
            if (context == 0) context = HelpContextOf(menu->menuAction());
            menu->close();
        }
        if (context == 0) {
            if (QWidget* window = QApplication::activeWindow()) context = HelpContextOf(window);
        }
        ShowHelp(context != 0 ? context : kFrameHelpContext);
        return true;
    }
};

}  // namespace

QString HelpFilePath() {
    const QString folder = ProgramFolder();
    for (const QString& candidate : {folder + QStringLiteral("help/Tavlex.html"),
                                     folder + QStringLiteral("../share/tavlex/help/Tavlex.html")}) {
        if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

bool HelpAvailable() {
    return !HelpFilePath().isEmpty();
}

QList<HelpTopic> ReadHelpTopics(const QString& html) {
    // Every heading opens with its anchor: <hN><a name="ctxK"></a>title</hN>.
    static const QRegularExpression heading(
        QString::fromLatin1(R"re(<h[1-6]><a name="ctx(\d+)"></a>(.*?)</h[1-6]>)re"));
    QList<HelpTopic> topics;
    QList<qsizetype> ends;
    auto match = heading.globalMatch(html);
    while (match.hasNext()) {
        const QRegularExpressionMatch found = match.next();
        HelpTopic topic;
        topic.context = found.captured(1).toInt();
        QTextDocument title;
        title.setHtml(found.captured(2));
        topic.title = title.toPlainText().trimmed();
        topics << topic;
        ends << found.capturedEnd();
    }
    for (qsizetype i = 0; i < topics.size(); ++i) {
        const qsizetype from = ends[i];
        const qsizetype to =
            i + 1 < topics.size() ? html.indexOf(QStringLiteral("<h"), from) : html.size();
        QTextDocument body;
        body.setHtml(html.mid(from, qMax<qsizetype>(0, to - from)));
        topics[i].text = body.toPlainText();
    }
    return topics;
}

HelpWindow::HelpWindow(const QString& path, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Pelmarkブラウザ ヘルプ"));
    resize(860, 600);

    auto* splitter = new QSplitter(this);
    auto* left = new QWidget(splitter);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(4, 4, 4, 4);
    auto* label = new QLabel(QStringLiteral("検索する語句(&W):"), left);
    search_ = new QLineEdit(left);
    search_->setObjectName(QStringLiteral("SearchField"));
    search_->setClearButtonEnabled(true);
    label->setBuddy(search_);
    index_ = new QListWidget(left);
    index_->setObjectName(QStringLiteral("Index"));
    column->addWidget(label);
    column->addWidget(search_);
    column->addWidget(index_, 1);
    browser_ = new QTextBrowser(splitter);
    browser_->setObjectName(QStringLiteral("Browser"));
    browser_->setOpenExternalLinks(true);
    splitter->addWidget(left);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 640});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QString html = QString::fromUtf8(file.readAll());
        topics_ = ReadHelpTopics(html);
    }
    browser_->setSource(QUrl::fromLocalFile(path));
    Filter(QString());
    connect(search_, &QLineEdit::textChanged, this, &HelpWindow::Filter);
    connect(index_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item != nullptr) ShowContext(item->data(Qt::UserRole).toInt());
    });
    connect(search_, &QLineEdit::returnPressed, this, [this] {
        if (index_->count() > 0) index_->setCurrentRow(0);
    });
}

void HelpWindow::Filter(const QString& words) {
    const QStringList parts = words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    index_->blockSignals(true);
    index_->clear();
    for (const HelpTopic& topic : topics_) {
        bool all = true;
        for (const QString& part : parts) {
            all = all && (topic.title.contains(part, Qt::CaseInsensitive) ||
                          topic.text.contains(part, Qt::CaseInsensitive));
        }
        if (!all) continue;
        auto* item = new QListWidgetItem(topic.title, index_);
        item->setData(Qt::UserRole, topic.context);
    }
    index_->blockSignals(false);
}

void HelpWindow::ShowContext(int context) {
    bool known = false;
    for (const HelpTopic& topic : topics_) known = known || topic.context == context;
    current_ = known ? context : kFrameHelpContext;
    browser_->scrollToAnchor(AnchorOf(current_));
    Present();
}

void HelpWindow::ShowFinder() {
    Present();
    search_->setFocus(Qt::OtherFocusReason);
    search_->selectAll();
}

void HelpWindow::Present() {
    if (isMinimized()) showNormal();
    // Opened over the frame, as its dialogs are; once shown it stays where the user put it.
    if (!isVisible()) CenterOnMainForm(this);
    show();
    raise();
    activateWindow();
}

HelpWindow* Help() {
    static QPointer<HelpWindow> window;
    if (window.isNull()) {
        const QString path = HelpFilePath();
        if (path.isEmpty()) return nullptr;
        window = new HelpWindow(path);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window.data(),
                         &QObject::deleteLater);
    }
    return window.data();
}

void ShowHelp(int context) {
    if (HelpWindow* window = Help()) window->ShowContext(context);
}

void ShowHelpFinder() {
    if (HelpWindow* window = Help()) window->ShowFinder();
}

void SetHelpContext(QObject* item, int context) {
    if (item != nullptr) item->setProperty(kContextProperty, context);
}

int HelpContextOf(const QObject* item) {
    return item != nullptr ? item->property(kContextProperty).toInt() : 0;
}

namespace {

void Assign(QMenu* menu, const QHash<QString, int>& contexts) {
    if (menu == nullptr) return;
    for (QAction* action : menu->actions()) {
        const int context = contexts.value(action->objectName());
        if (context != 0) SetHelpContext(action, context);
        if (QMenu* sub = action->menu()) {
            const int own = contexts.value(sub->objectName());
            if (own != 0) SetHelpContext(action, own);
            Assign(sub, contexts);
            // Items of a submenu without their own topic stand for the submenu's.
            for (QAction* item : sub->actions()) {
                if (HelpContextOf(item) == 0) SetHelpContext(item, HelpContextOf(action));
            }
        }
    }
}

}  // namespace

void AssignFrameHelpContexts(const QList<QMenu*>& menus) {
    static const QHash<QString, int> contexts = {
        {QStringLiteral("Mn_Open"), 36},
        {QStringLiteral("Mn_Exit"), 43},
        {QStringLiteral("Mn_ToolBar"), 58},
        {QStringLiteral("Mn_StatusBar"), 59},
        {QStringLiteral("V1"), 60},
        {QStringLiteral("T1"), 61},
        {QStringLiteral("Cascade1"), 62},
        {QStringLiteral("ArrangeIcon1"), 63},
        {QStringLiteral("SearchforHelpOn"), 64},
        {QStringLiteral("N4"), 65},
        {QStringLiteral("Mn_Ranut"), 65},
        {QStringLiteral("Mn_NewPrg"), 66},
        {QStringLiteral("Mn_About"), 67},
        {QStringLiteral("Mn_Recent"), 36},
    };
    for (QMenu* menu : menus) Assign(menu, contexts);
}

void AssignDocumentHelpContexts(const QList<QMenu*>& menus) {
    static const QHash<QString, int> contexts = {
        {QStringLiteral("Mn_Open"), 36},      {QStringLiteral("Close1"), 37},
        {QStringLiteral("N10"), 39},          {QStringLiteral("D1"), 39},
        {QStringLiteral("R1"), 39},           {QStringLiteral("N4"), 38},
        {QStringLiteral("Mn_Print"), 40},     {QStringLiteral("S1"), 41},
        {QStringLiteral("Mn_Marjin"), 42},    {QStringLiteral("Mn_Exit"), 43},
        {QStringLiteral("Mn_Jump"), 46},      {QStringLiteral("Mn_Start"), 47},
        {QStringLiteral("Mn_Back"), 48},      {QStringLiteral("Mn_Next"), 48},
        {QStringLiteral("Mn_EndPage"), 50},   {QStringLiteral("Mn_PageScroll"), 51},
        {QStringLiteral("Mn_Small"), 52},     {QStringLiteral("Mn_Big"), 53},
        {QStringLiteral("Mn_Contents"), 57},  {QStringLiteral("Mn_ToolBar"), 58},
        {QStringLiteral("Mn_StatusBar"), 59}, {QStringLiteral("Mn_Recent"), 36},
    };
    for (QMenu* menu : menus) {
        Assign(menu, contexts);
        if (menu == nullptr) continue;
        // The zoom entries Mn0 .. Mn10 share the zoom topic.
        for (QAction* action : menu->actions()) {
            static const QRegularExpression zoomItem(QStringLiteral("^Mn\\d+$"));
            if (zoomItem.match(action->objectName()).hasMatch()) SetHelpContext(action, 54);
        }
    }
}

void InstallHelpKey() {
    static HelpKeyFilter* filter = nullptr;
    if (filter != nullptr) return;
    filter = new HelpKeyFilter(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace tavlex
