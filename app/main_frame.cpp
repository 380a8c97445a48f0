#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>

#include "app/codeburg_app.h"
#include "app/help_window.h"
#include "app/recent_files.h"
#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/interaction.h"
#include "gui/profile.h"
#include "views/codeburg_view.h"
#include "views/control_view.h"
#include "views/detail_view.h"
#include "views/dev_view.h"
#include "views/preferences_dialog.h"
#include "views/print_job.h"
#include "views/prj_view.h"
#include "views/stats_view.h"
#include "workspace/folder.h"

namespace codeburg {

namespace {

const QString kSection = QStringLiteral("MAINFRAME");
const QString kQuoteText = QStringLiteral("&Quote of the Day...");
const QString kHelpTitle = QStringLiteral("&Help");
constexpr int kControlHeight = 80;

}  // namespace

PaneLayout ComputePaneLayout(int width, int height, int statusHeight, int leftPercent)
{
    const int available = height - statusHeight;
    const int left = leftPercent * width / 100;
    PaneLayout layout;
    layout.tree = QRect(0, 0, left, available);
    layout.control = QRect(left, 0, width - left, kControlHeight);
    layout.pane = QRect(left, kControlHeight, width - left, available - kControlHeight);
    return layout;
}

QRect FitFramePlacement(QRect frame, const StoredPlacement& stored, const QRect& available,
                        const QMargins& decoration)
{
    if (stored.cx > 160) frame.setWidth(stored.cx);
    if (stored.cy > 20) frame.setHeight(stored.cy);
    if (available.isEmpty()) {
        if (stored.x > 0) frame.moveLeft(stored.x);
        if (stored.y > 0) frame.moveTop(stored.y);
        return frame;
    }
    const int roomX = available.width() - decoration.left() - decoration.right();
    const int roomY = available.height() - decoration.top() - decoration.bottom();
    frame.setWidth(std::max(1, std::min(frame.width(), roomX)));
    frame.setHeight(std::max(1, std::min(frame.height(), roomY)));
    const int minX = available.left() + decoration.left();
    const int minY = available.top() + decoration.top();
    const int maxX = std::max(minX, minX + roomX - frame.width());
    const int maxY = std::max(minY, minY + roomY - frame.height());
    const int x = stored.x > 0 ? stored.x : minX + (roomX - frame.width()) / 2;
    const int y = stored.y > 0 ? stored.y : minY + (roomY - frame.height()) / 2;
    frame.moveTo(std::clamp(x, minX, maxX), std::clamp(y, minY, maxY));
    return frame;
}

QSize FirstFrameSize(int stripWidth, int leftPercent)
{
    const int share = std::clamp(100 - leftPercent, 10, 100);
    const int width = std::max(800, (stripWidth * 100 + share - 1) / share);
    return QSize(width, std::max(600, width * 7 / 10));
}

CMainFrame::CMainFrame(CCodeburgApp* app, CCodeburgDoc* doc, RecentFiles* recent, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_doc(doc), m_recent(recent)
{
    setObjectName(QStringLiteral("CMainFrame"));
    m_layout = ProfileInt(kSection, QStringLiteral("LAYOUT"), 1);
    if (m_layout < 1 || m_layout > 4) m_layout = 1;
    m_leftWidth = ProfileInt(kSection, QStringLiteral("PLEFT1"), 25);
    m_topValue = ProfileInt(kSection, QStringLiteral("PTOP"), 80);
    m_leftValue2 = ProfileInt(kSection, QStringLiteral("PLEFT2"), 50);
    m_topValue2 = ProfileInt(kSection, QStringLiteral("PTOP2"), 50);

    m_largeFont = QFont(QStringLiteral("Arial"));
    m_largeFont.setPixelSize(21);
    m_largeFont.setStyleStrategy(QFont::PreferAntialias);
    m_textFont = QFont(QStringLiteral("Arial"));
    m_textFont.setPixelSize(12);
    m_textFont.setStyleStrategy(QFont::PreferAntialias);
    m_smallFont = QFont(QStringLiteral("Small Fonts"));
    m_smallFont.setPixelSize(12);
    m_smallFont.setStyleHint(QFont::TypeWriter);

    createMenus();
    createAccelerators();
    createStatusBar();
    createPanes();
    ensureQuoteItem();
    connect(m_doc, &Document::titleChanged, this, &CMainFrame::updateTitle);
    updateTitle();
    resize(800, 600);
}

CMainFrame::~CMainFrame()
{
    storeProfile();
    for (View* view : std::vector<View*>(m_doc->views())) m_doc->removeView(view);
}

void CMainFrame::updateTitle()
{
    setWindowTitle(m_doc->title() + QStringLiteral(" - ") + CCodeburgApp::ProductName());
}

QAction* CMainFrame::addItem(QMenu* menu, const QString& text, int id)
{
    auto* action = menu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { onCommand(id); });
    m_menuActions.append(action);
    return action;
}

void CMainFrame::createMenus()
{
    using namespace cmd;
    QMenuBar* bar = menuBar();

    m_fileMenu = bar->addMenu(QStringLiteral("&File"));
    addItem(m_fileMenu, QStringLiteral("&New\tCtrl+N"), kFileNew);
    addItem(m_fileMenu, QStringLiteral("&Open...\tCtrl+O"), kFileOpen);
    addItem(m_fileMenu, QStringLiteral("&Save\tCtrl+S"), kFileSave);
    addItem(m_fileMenu, QStringLiteral("Save &As..."), kFileSaveAs);
    m_fileMenu->addSeparator();
    addItem(m_fileMenu, QStringLiteral("Print pre&view..."), kFilePrintPreview);
    addItem(m_fileMenu, QStringLiteral("&Print..."), kFilePrint);
    m_fileMenu->addSeparator();
    m_recentAnchor = addItem(m_fileMenu, QStringLiteral("Recent File"), kFileMru1);
    m_fileMenu->addSeparator();
    addItem(m_fileMenu, QStringLiteral("E&xit"), kAppExit);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    addItem(edit, QStringLiteral("&Add project..."), kAddProject);
    addItem(edit, QStringLiteral("Add &multiple projects..."), kAddMultipleProjects);
    addItem(edit, QStringLiteral("New &folder..."), kNewFolder);
    addItem(edit, QStringLiteral("&Delete\tDel"), kDelete);
    edit->addSeparator();
    addItem(edit, QStringLiteral("Prop&erties..."), kProperties);

    QMenu* build = bar->addMenu(QStringLiteral("&Build"));
    addItem(build, QStringLiteral("&Build"), kBuild);
    addItem(build, QStringLiteral("&Rebuild All"), kRebuildAll);
    build->addSeparator();
    addItem(build, QStringLiteral("&Preferences..."), kPreferences);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    QMenu* fly = view->addMenu(QStringLiteral("&Fly mode"));
    addItem(fly, QStringLiteral("Fly over\tF2"), kFlyOver);
    addItem(fly, QStringLiteral("Free movement\tF3"), kFreeMovement);
    addItem(fly, QStringLiteral("Map view\tF4"), kMapView);
    addItem(view, QStringLiteral("Toggle &Method Names\tF5"), kToggleMethodNames);
    addItem(view, QStringLiteral("Next &display mode\tF6"), kNextDisplayMode);
    addItem(view, QStringLiteral("Compare &with..."), kCompareWith);
    addItem(view, QStringLiteral("S&napshot...\tAlt+S"), kSnapshot);
    QMenu* viewpoints = view->addMenu(QStringLiteral("&Viewpoints"));
    addItem(viewpoints, QStringLiteral("&Record\tAlt+R"), kRecordViewpoint);
    QMenu* display = viewpoints->addMenu(QStringLiteral("&Display"));
    for (int i = 0; i < 9; ++i) addItem(display, QString::number(i + 1), kViewpoint1 + i);
    addItem(display, QStringLiteral("&Map\tF4"), kViewpointMap);
    view->addSeparator();
    addItem(view, QStringLiteral("F&ull screen\tAlt+Enter"), kFullScreen);
    addItem(view, QStringLiteral("&Change device...\tF10"), kChangeDevice);
    view->addSeparator();
    QAction* status = addItem(view, QStringLiteral("S&tatus Bar"), kViewStatusBar);
    status->setCheckable(true);
    status->setChecked(true);

    QMenu* help = bar->addMenu(kHelpTitle);
    addItem(help, QStringLiteral("&Help Topics"), kHelpFinder);
    help->addSeparator();
    addItem(help, QStringLiteral("&About codeburg..."), kAppAbout);

    // The status-bar prompts: the text before "\n" (the rest was a tooltip).
    const std::pair<int, const char*> prompts[] = {
        {kAddProject, "Add project to workspace\nAdd"},
        {kAddMultipleProjects, "Add multiple projects to workspace\nAdd multiple"},
        {kNewFolder, "Add folder\nAdd folder"},
        {kDelete, "Delete item\nDelete"},
        {kProperties, "Edit item properties"},
        {kBuild, "Build statistics for project or folder projects\nBuild"},
        {kRebuildAll, "Force building of statistics for project or folder projects\nRebuild all"},
        {kPreferences, "Edit preferences"},
    };
    for (const auto& [id, prompt] : prompts) {
        if (QAction* action = menuAction(id)) {
            action->setStatusTip(QString::fromLatin1(prompt).section(QLatin1Char('\n'), 0, 0));
        }
    }

    // Menus are enabled by asking the command chain each time they open.
    const QList<QMenu*> menus = bar->findChildren<QMenu*>();
    for (QMenu* menu : menus) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { updateMenu(menu); });
    }
}

void CMainFrame::createAccelerators()
{
    using namespace cmd;
    struct Key {
        QKeySequence keys;
        int id;
    };
    std::vector<Key> table;
    for (int i = 0; i < 9; ++i) table.push_back({QKeySequence(Qt::Key_1 + i), kViewpoint1 + i});
    table.insert(table.end(), {
                                  {QKeySequence(Qt::CTRL | Qt::Key_N), kFileNew},
                                  {QKeySequence(Qt::CTRL | Qt::Key_O), kFileOpen},
                                  {QKeySequence(Qt::CTRL | Qt::Key_S), kFileSave},
                                  {QKeySequence(Qt::ALT | Qt::Key_R), kRecordViewpoint},
                                  {QKeySequence(Qt::ALT | Qt::Key_S), kSnapshot},
                                  {QKeySequence(Qt::Key_Delete), kDelete},
                                  {QKeySequence(Qt::Key_F1), kHelpFinder},
                                  {QKeySequence(Qt::SHIFT | Qt::Key_F1), kContextHelp},
                                  {QKeySequence(Qt::Key_F2), kFlyOver},
                                  {QKeySequence(Qt::Key_F3), kFreeMovement},
                                  // F4 is listed for the map viewpoint too; the first entry acts.
                                  {QKeySequence(Qt::Key_F4), kMapView},
                                  {QKeySequence(Qt::Key_F5), kToggleMethodNames},
                                  {QKeySequence(Qt::Key_F6), kNextDisplayMode},
                                  {QKeySequence(Qt::Key_F10), kChangeDevice},
                                  {QKeySequence(Qt::Key_Return), kGoStop},
                                  {QKeySequence(Qt::ALT | Qt::Key_Return), kFullScreen},
                                  {QKeySequence(Qt::Key_Space), kSingleStep},
                                  {QKeySequence(Qt::ALT | Qt::Key_X), kAppExit},
                                  {QKeySequence(Qt::CTRL | Qt::Key_Q), kAppExit},
                                  {QKeySequence(Qt::CTRL | Qt::Key_C), kEditCopy},
                                  {QKeySequence(Qt::CTRL | Qt::Key_Insert), kEditCopy},
                                  {QKeySequence(Qt::CTRL | Qt::Key_V), kEditPaste},
                                  {QKeySequence(Qt::SHIFT | Qt::Key_Insert), kEditPaste},
                                  {QKeySequence(Qt::CTRL | Qt::Key_X), kEditCut},
                                  {QKeySequence(Qt::SHIFT | Qt::Key_Delete), kEditCut},
                                  {QKeySequence(Qt::CTRL | Qt::Key_Z), kEditUndo},
                                  {QKeySequence(Qt::ALT | Qt::Key_Backspace), kEditUndo},
                              });
    for (const Key& key : table) {
        auto* action = new QAction(this);
        action->setShortcut(key.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setData(key.id);
        const int id = key.id;
        connect(action, &QAction::triggered, this, [this, id] {
            const auto enabled = commandEnabled(id);
            if (enabled && *enabled) onCommand(id);
        });
        addAction(action);
        m_accelerators.append(action);
    }
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    m_message = new QLabel(QStringLiteral("Ready"), bar);
    m_message->setObjectName(QStringLiteral("messagePane"));
    bar->addWidget(m_message, 1);
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QLatin1String(indicator), bar);
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
}

void CMainFrame::createPanes()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->installEventFilter(this);
    setCentralWidget(m_client);

    // Creation order is the order in which the views hear of updates.
    m_cityView = new CCodeburgView(m_doc, this, m_client);
    m_controlView = new CControlView(m_doc, this, m_client);
    m_scoreView = new CStatsView(m_doc, this, m_client);
    m_detailsView = new CDetailView(m_doc, this, m_client);
    m_treeView = new CPrjView(m_doc, this, m_client);
    m_devView = new CDevView(m_doc, this, m_client);
    m_controlView->setCityView(m_cityView);
    m_doc->addView(m_cityView);
    m_doc->addView(m_controlView);
    m_doc->addView(m_scoreView);
    m_doc->addView(m_detailsView);
    m_doc->addView(m_treeView);
    m_doc->addView(m_devView);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize) layoutPanes(0);
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::layoutPanes(int n)
{
    if (m_preview) return;
    if (n == 0) n = m_layout;
    const int statusHeight = statusBar()->isVisible() ? statusBar()->height() : 0;
    const PaneLayout layout = ComputePaneLayout(
        m_client->width(), m_client->height() + statusHeight, statusHeight, m_leftWidth);
    m_treeView->setGeometry(layout.tree);
    m_controlView->setGeometry(layout.control);
    m_cityView->setGeometry(layout.pane);
    m_scoreView->setGeometry(layout.pane);
    m_detailsView->setGeometry(layout.pane);
    m_devView->setGeometry(layout.pane);
    m_treeView->show();
    m_controlView->show();
    m_cityView->setVisible(n == 1);
    m_scoreView->setVisible(n == 2);
    m_detailsView->setVisible(n == 3);
    m_devView->setVisible(n == 4);
    m_layout = n;
    m_doc->updateAllViews(nullptr, UpdateHint::LayoutChanged);
}

void CMainFrame::setMessageText(const QString& text)
{
    m_message->setText(text);
}

QString CMainFrame::messageText() const
{
    return m_message->text();
}

bool CMainFrame::no3d() const
{
    return m_app && m_app->no3d();
}

QString CMainFrame::startProjectName() const
{
    return m_app ? m_app->startProjectName() : QString();
}

int CMainFrame::snapshotQuality() const
{
    return m_app ? m_app->settings().snapshotQuality : 75;
}

void CMainFrame::showQuoteOfTheDay(bool atStartup)
{
    if (m_app) m_app->showQuoteOfTheDay(atStartup);
}

QAction* CMainFrame::menuAction(int id) const
{
    for (QAction* action : m_menuActions) {
        if (action->data().toInt() == id) return action;
    }
    return nullptr;
}

QAction* CMainFrame::accelerator(int id) const
{
    for (QAction* action : m_accelerators) {
        if (action->data().toInt() == id) return action;
    }
    return nullptr;
}

std::optional<bool> CMainFrame::commandEnabled(int id) const
{
    using namespace cmd;
    if (auto state = m_treeView->commandEnabled(id)) return state;
    if (auto state = m_cityView->commandEnabled(id)) return state;
    switch (id) {
        case kFileSave:
        case kFileSaveAs:
            return !m_busy;
        case kAppExit:
        case kAppAbout:
        case kHelpFinder:
        case kViewStatusBar:
            return true;
        case kFilePrint:
        case kFilePrintPreview:
        case kPreferences:
            return !m_busy;
        case kRecordViewpoint:
        case kViewpointMap:
            return true;
        default:
            break;
    }
    if (id >= kViewpoint1 && id < kViewpoint1 + 9) {
        return m_controlView->viewpointButton(id - kViewpoint1 + 1)->isEnabled();
    }
    if (id >= kFileMru1 && id < kFileMru1 + m_recent->size()) {
        return !m_busy && id - kFileMru1 < m_recent->entries().size();
    }
    return m_app ? m_app->commandEnabled(id) : std::nullopt;
}

bool CMainFrame::onCommand(int id)
{
    using namespace cmd;
    // Nothing may reach the workspace while a build walks it.
    if (m_busy) return false;
    if (m_treeView->handleCommand(id)) return true;
    if (m_cityView->handleCommand(id)) return true;
    if (id >= kViewpoint1 && id < kViewpoint1 + 9) {
        m_controlView->recallViewpoint(id - kViewpoint1 + 1);
        return true;
    }
    switch (id) {
        case kFileSave:
            m_doc->save(this);
            return true;
        case kFileSaveAs:
            m_doc->saveAs(this);
            return true;
        case kPreferences: {
            if (!m_app) return false;
            CPreferencesDialog dialog(m_app->settings(), CCodeburgApp::SettingsFilePath(), this);
            if (Ui().execDialog(&dialog) == QDialog::Accepted) {
                m_doc->root().RescoreAll();
                m_doc->updateAllViews(nullptr, UpdateHint::WorkspaceChanged);
            }
            return true;
        }
        case kRecordViewpoint:
            m_controlView->recordViewpoint();
            return true;
        case kViewpointMap:
            m_controlView->showMap();
            return true;
        case kFilePrint:
            PrintWithDialog(this, m_scoreView, m_detailsView);
            return true;
        case kFilePrintPreview:
            // The panes hide while the preview shows and come back laid out.
            m_preview = true;
            for (QWidget* pane : m_client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                pane->hide();
            PrintPreview(this, m_scoreView, m_detailsView);
            m_preview = false;
            layoutPanes(0);
            return true;
        case kAppExit:
            close();
            return true;
        case kAppAbout:
            Ui().messageBox(this,
                            CCodeburgApp::ProductName() +
                                QStringLiteral("\nReviews the size and the care of source code."),
                            QStringLiteral("About codeburg"), QMessageBox::Information,
                            QMessageBox::Ok);
            return true;
        case kHelpFinder:
            openHelp(QStringLiteral("/UserGuide/toc.htm"));
            return true;
        case kViewStatusBar: {
            statusBar()->setVisible(!statusBar()->isVisible());
            if (QAction* action = menuAction(kViewStatusBar)) {
                action->setChecked(statusBar()->isVisible());
            }
            layoutPanes(0);
            return true;
        }
        default:
            break;
    }
    if (id >= kFileMru1 && id < kFileMru1 + m_recent->size()) {
        const int index = id - kFileMru1;
        if (index >= m_recent->entries().size()) return false;
        const QString path = m_recent->entries()[index];
        if (!m_doc->openDocument(this, path) && !QFileInfo::exists(path)) m_recent->remove(index);
        return true;
    }
    return m_app && m_app->handleCommand(id);
}

void CMainFrame::updateMenu(QMenu* menu)
{
    if (menu == m_fileMenu) rebuildRecentItems(menu);
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || action->menu()) continue;
        const int id = action->data().toInt();
        if (id == 0) continue;
        if (action == m_recentAnchor && !m_recentAnchor->isVisible()) continue;
        const auto enabled = commandEnabled(id);
        action->setEnabled(enabled.value_or(false));
    }
    if (menu->title() == kHelpTitle) ensureQuoteItem();
}

void CMainFrame::rebuildRecentItems(QMenu* fileMenu)
{
    for (QAction* action : m_recentItems) {
        m_menuActions.removeAll(action);
        fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentItems.clear();
    const QStringList& entries = m_recent->entries();
    m_recentAnchor->setVisible(entries.isEmpty());
    m_recentAnchor->setEnabled(false);
    for (int i = 0; i < entries.size(); ++i) {
        const int id = cmd::kFileMru1 + i;
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(entries[i]), fileMenu);
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { onCommand(id); });
        fileMenu->insertAction(m_recentAnchor, action);
        m_menuActions.append(action);
        m_recentItems.append(action);
    }
}

void CMainFrame::ensureQuoteItem()
{
    QMenu* help = nullptr;
    for (QAction* top : menuBar()->actions()) {
        if (top->menu() && top->text() == kHelpTitle) help = top->menu();
    }
    if (!help) {
        help = menuBar()->addMenu(kHelpTitle);
        connect(help, &QMenu::aboutToShow, this, [this, help] { updateMenu(help); });
    }
    const QList<QAction*> items = help->actions();
    if (!items.isEmpty() && items.first()->text() == kQuoteText) return;
    QAction* first = items.isEmpty() ? nullptr : items.first();
    QAction* separator = new QAction(help);
    separator->setSeparator(true);
    help->insertAction(first, separator);
    auto* quote = new QAction(kQuoteText, help);
    quote->setData(cmd::kQuoteOfTheDay);
    quote->setStatusTip(QStringLiteral("Displays a Quote of the Day."));
    connect(quote, &QAction::triggered, this, [this] { onCommand(cmd::kQuoteOfTheDay); });
    help->insertAction(separator, quote);
    m_menuActions.append(quote);
}

QString CMainFrame::HelpDirectory(const QString& executableDir)
{
    QString dir = executableDir;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    // A program started from a build output folder finds the help of its
    // project. Only these parts are matched without regard to case: the rest
    // of the path must keep its case on a case-sensitive file system.
    for (const char* part : {"/debug/", "/release/", "/release60/"}) {
        const QString text = QLatin1String(part);
        int at;
        while ((at = dir.indexOf(text, 0, Qt::CaseInsensitive)) >= 0)
            dir.replace(at, text.size(), QStringLiteral("/"));
    }
    return dir;
}

void CMainFrame::openHelp(const QString& topic)
{
    openHelp(topic, QCoreApplication::applicationDirPath());
}

void CMainFrame::openHelp(const QString& topic, const QString& executableDir)
{
    const QString dir = HelpDirectory(executableDir);
    QString path = dir + QStringLiteral("codeburg.qch");
    if (!QFileInfo::exists(path)) {
        path = dir + QStringLiteral("hlp/codeburg.qch");
        if (!QFileInfo::exists(path)) {
            Ui().messageBox(this, QStringLiteral("Unable to locate %1 in %2.").arg(topic, path),
                            QStringLiteral("Codeburg Warning"), QMessageBox::Critical,
                            QMessageBox::Ok);
            return;
        }
    }
    if (!HelpWindow::Show(path, topic)) {
        Ui().messageBox(this, QStringLiteral("Unable to locate %1 in %2.").arg(topic, path),
                        QStringLiteral("Codeburg Warning"), QMessageBox::Critical, QMessageBox::Ok);
    }
}

void CMainFrame::applyStoredPlacement()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    applyStoredPlacement(screen ? screen->availableGeometry() : QRect());
}

void CMainFrame::applyStoredPlacement(const QRect& available)
{
    StoredPlacement stored;
    stored.x = ProfileInt(kSection, QStringLiteral("X"), -1);
    stored.y = ProfileInt(kSection, QStringLiteral("Y"), -1);
    stored.cx = ProfileInt(kSection, QStringLiteral("CX"), -1);
    stored.cy = ProfileInt(kSection, QStringLiteral("CY"), -1);
    QRect frame = geometry();
    frame.setSize(FirstFrameSize(m_controlView->stripWidth(), m_leftWidth));
    // Before the window is shown the window manager has added nothing yet:
    // reckon with a title bar and thin borders.
    QMargins decoration(geometry().left() - frameGeometry().left(),
                        geometry().top() - frameGeometry().top(),
                        frameGeometry().right() - geometry().right(),
                        frameGeometry().bottom() - geometry().bottom());
    if (decoration.isNull()) decoration = QMargins(4, 32, 4, 4);
    setGeometry(FitFramePlacement(frame, stored, available, decoration));
}

void CMainFrame::storeProfile()
{
    if (m_profileStored) return;
    m_profileStored = true;
    if (!isMaximized() && !isMinimized()) {
        const QRect frame = geometry();
        WriteProfileInt(kSection, QStringLiteral("X"), frame.left());
        WriteProfileInt(kSection, QStringLiteral("Y"), frame.top());
        WriteProfileInt(kSection, QStringLiteral("CX"), frame.width());
        WriteProfileInt(kSection, QStringLiteral("CY"), frame.height());
    }
    WriteProfileInt(kSection, QStringLiteral("MAXIMIZED"), isMaximized() ? 1 : 0);
    WriteProfileInt(kSection, QStringLiteral("LAYOUT"), m_layout);
    WriteProfileInt(kSection, QStringLiteral("PLEFT1"), m_leftWidth);
    WriteProfileInt(kSection, QStringLiteral("PLEFT2"), m_leftValue2);
    WriteProfileInt(kSection, QStringLiteral("PTOP1"), m_topValue);
    WriteProfileInt(kSection, QStringLiteral("PTOP2"), m_topValue2);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_busy || !m_doc->saveModified(this)) {
        event->ignore();
        return;
    }
    storeProfile();
    m_doc->closeDocument();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!m_busy && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // As the shell does for a dropped workspace: open the first file.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        event->acceptProposedAction();
        m_doc->openDocument(this, url.toLocalFile());
        return;
    }
}

}  // namespace codeburg
