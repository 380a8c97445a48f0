#include "views/prj_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "analysis/text_report.h"
#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/interaction.h"
#include "gui/profile.h"
#include "ide/ide_registry.h"
#include "ide/ide_tools.h"
#include "ide/ide_tools_dialog.h"
#include "pipeline/build_pipeline.h"
#include "records/project_stats.h"
#include "views/build_input_gate.h"
#include "views/codeburg_view.h"
#include "views/folder_dialog.h"
#include "views/multi_project_dialog.h"
#include "views/project_dialog.h"
#include "views/tree_icons.h"
#include "views/view_frame.h"
#include "views/welcome_dialog.h"
#include "workspace/folder.h"
#include "workspace/project.h"
#include "workspace/project_build.h"

namespace codeburg {

namespace {

constexpr int kTreeId = 1000;
constexpr int kProgressId = 1001;
const QString kCurrentKey = QStringLiteral("CURRENTPRJID");

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

bool IsProjectKind(int kind)
{
    return kind >= CPrjView::kProjectItem && kind <= CPrjView::kElocLine;
}

bool IsFolderKind(int kind)
{
    return kind == CPrjView::kWorkspaceItem || kind == CPrjView::kFolderItem;
}

int IconOf(int kind)
{
    switch (kind) {
        case CPrjView::kWorkspaceItem:
            return 0;
        case CPrjView::kFolderItem:
            return 1;
        case CPrjView::kProjectItem:
            return 2;
        case CPrjView::kFolderScoreItem:
        case CPrjView::kFilesLine:
        case CPrjView::kElocLine:
            return 4;
        default:
            return 3;
    }
}

// What the last builds of the project or folder left out, for the status
// bar: the count and the first paths, and where the text report lists them.
QString SkippedStatus(Project* project, Folder* folder)
{
    std::vector<Project*> projects;
    if (project)
        projects.push_back(project);
    else if (folder)
        folder->CollectProjects(projects);
    std::vector<SkippedEntry> skipped;
    for (const Project* p : projects)
        skipped.insert(skipped.end(), p->stats->skipped.begin(), p->stats->skipped.end());
    if (skipped.empty()) return {};
    return QLatin1Char(' ') + QString::fromStdString(SkippedSummary(skipped)) +
           QStringLiteral(" (see %1)")
               .arg(QString::fromStdString(
                   TextReportPath(QCoreApplication::applicationFilePath().toStdString())));
}

}  // namespace

CPrjView::CPrjView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_frame(frame)
{
    setObjectName(QStringLiteral("CPrjView"));
}

CPrjView::~CPrjView() = default;

void CPrjView::createControls()
{
    if (m_tree) return;
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setProperty("controlId", kTreeId);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setAutoFillBackground(true);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CPrjView::onSelectionChanged);
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { onItemExpansion(item, true); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { onItemExpansion(item, false); });
    connect(m_tree, &QWidget::customContextMenuRequested, this, &CPrjView::onContextMenu);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setProperty("controlId", kProgressId);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 0);
    m_progress->hide();
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelBuild"));
    m_cancel->setToolTip(
        QStringLiteral("Stop the build; the project being built keeps its "
                       "statistics (Esc)"));
    m_cancel->setFocusPolicy(Qt::NoFocus);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &CPrjView::requestStop);
    layoutControls();
    m_tree->show();
}

void CPrjView::layoutControls()
{
    if (!m_tree) return;
    const int width = qMax(0, this->width() - 1);
    if (m_progress->isVisible()) {
        const int treeHeight = qMax(0, height() - 28);
        m_tree->setGeometry(0, 0, width, treeHeight);
        // The bar's bottom lies 24 pixels below the tree's; the Cancel button
        // takes the right end of its row.
        const int button = qMin(m_cancel->sizeHint().width(), qMax(0, width / 2));
        m_progress->setGeometry(4, treeHeight + 4, qMax(0, width - 12 - button), 20);
        m_cancel->setGeometry(qMax(0, width - 4 - button), treeHeight + 3, button, 22);
    } else {
        m_tree->setGeometry(0, 0, width, height());
    }
}

void CPrjView::resizeEvent(QResizeEvent*)
{
    layoutControls();
}

void CPrjView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(width() - 1, 0, width() - 1, height());
}

QString CPrjView::workspaceTitle() const
{
    return m_doc->titleWithoutStar();
}

QString CPrjView::ItemText(int kind, const void* object, const QString& workspaceTitle)
{
    if (kind == kWorkspaceItem) {
        const auto* root = static_cast<const Folder*>(object);
        return QStringLiteral("Workspace '%1': %2 project(s)")
            .arg(workspaceTitle)
            .arg(root->CountProjects(true));
    }
    if (kind == kFolderItem) return Text(static_cast<const Folder*>(object)->name);
    if (kind == kFolderScoreItem) {
        return QStringLiteral("Overall = %1%")
            .arg(static_cast<const Folder*>(object)->FolderPercent());
    }
    const auto* project = static_cast<const Project*>(object);
    switch (kind) {
        case kProjectItem:
            return QStringLiteral("%1 (%2%)").arg(Text(project->name)).arg(project->Percent());
        case kDirectoryLine:
            return QStringLiteral("Directory = %1").arg(Text(project->directory));
        case kExcludedDirsLine:
            return QStringLiteral("Excluded directories = %1").arg(Text(project->excludedDirs));
        case kExcludedFilesLine:
            return QStringLiteral("Excluded files = %1").arg(Text(project->excludedFiles));
        case kExtensionsLine:
            return QStringLiteral("Extensions = %1").arg(Text(project->extensions));
        case kLastBuildLine:
            return QStringLiteral("Last build = %1").arg(Text(project->lastBuild));
        case kFilesLine:
            return QStringLiteral("Files = %1")
                .arg(project->stats ? static_cast<int>(project->stats->files.size()) : 0);
        case kElocLine:
            return QStringLiteral("eLoc = %1")
                .arg(project->stats ? project->stats->measures.totalEloc : 0);
        default:
            return QString();
    }
}

QTreeWidgetItem* CPrjView::addItem(QTreeWidgetItem* parent, int kind, void* object)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setData(0, kKindRole, kind);
    item->setData(0, kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(object)));
    item->setText(0, ItemText(kind, object, workspaceTitle()));
    item->setIcon(0, TreeIcon(IconOf(kind)));
    return item;
}

void CPrjView::rebuildTree()
{
    createControls();
    m_rebuilding = true;
    m_tree->clear();
    Folder& root = m_doc->root();
    QTreeWidgetItem* workspace = addItem(nullptr, kWorkspaceItem, &root);
    for (auto& folder : root.subfolders) insertFolder(workspace, *folder);
    for (auto& project : root.projects) insertProject(workspace, *project);
    workspace->setExpanded(true);
    m_rebuilding = false;

    if (m_lastSelected) selectObject(m_lastSelected);
    // The developers view, once it exists, sums the workspace again here.
}

void CPrjView::insertFolder(QTreeWidgetItem* parent, Folder& folder)
{
    QTreeWidgetItem* item = addItem(parent, kFolderItem, &folder);
    for (auto& sub : folder.subfolders) insertFolder(item, *sub);
    for (auto& project : folder.projects) insertProject(item, *project);
    addItem(item, kFolderScoreItem, &folder);
    if (folder.expanded) item->setExpanded(true);
}

void CPrjView::insertProject(QTreeWidgetItem* parent, Project& project)
{
    QTreeWidgetItem* item = addItem(parent, kProjectItem, &project);
    for (int kind = kDirectoryLine; kind <= kElocLine; ++kind) addItem(item, kind, &project);
    if (project.expanded) item->setExpanded(true);
    if (m_frame && !m_frame->startProjectName().isEmpty() && m_pendingId.isEmpty() &&
        Text(project.name).compare(m_frame->startProjectName(), Qt::CaseInsensitive) == 0) {
        m_pendingId = Text(project.Identifier());
    }
}

void CPrjView::onItemExpansion(QTreeWidgetItem* item, bool expanded)
{
    const int kind = item->data(0, kKindRole).toInt();
    auto* object = reinterpret_cast<void*>(item->data(0, kObjectRole).value<quintptr>());
    if (kind == kFolderItem) static_cast<Folder*>(object)->expanded = expanded;
    if (kind == kProjectItem) static_cast<Project*>(object)->expanded = expanded;
}

bool CPrjView::selectObject(const void* object)
{
    if (!m_tree || !object) return false;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (reinterpret_cast<const void*>((*it)->data(0, kObjectRole).value<quintptr>()) ==
            object) {
            m_tree->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

bool CPrjView::selectProjectById(const QString& identifier)
{
    if (!m_tree || identifier.isEmpty()) return false;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->data(0, kKindRole).toInt() != kProjectItem) continue;
        const auto* project =
            reinterpret_cast<const Project*>((*it)->data(0, kObjectRole).value<quintptr>());
        if (Text(project->Identifier()) == identifier) {
            m_tree->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

QTreeWidgetItem* CPrjView::selectedItem() const
{
    if (!m_tree) return nullptr;
    const QList<QTreeWidgetItem*> items = m_tree->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

int CPrjView::selectedKind() const
{
    QTreeWidgetItem* item = selectedItem();
    return item ? item->data(0, kKindRole).toInt() : -1;
}

Project* CPrjView::selectedProject() const
{
    QTreeWidgetItem* item = selectedItem();
    if (!item || !IsProjectKind(item->data(0, kKindRole).toInt())) return nullptr;
    return reinterpret_cast<Project*>(item->data(0, kObjectRole).value<quintptr>());
}

Folder* CPrjView::selectedFolder() const
{
    QTreeWidgetItem* item = selectedItem();
    if (!item || !IsFolderKind(item->data(0, kKindRole).toInt())) return nullptr;
    return reinterpret_cast<Folder*>(item->data(0, kObjectRole).value<quintptr>());
}

void CPrjView::onSelectionChanged()
{
    if (m_rebuilding) return;
    QTreeWidgetItem* item = selectedItem();
    if (!item) return;
    m_lastSelected = reinterpret_cast<const void*>(item->data(0, kObjectRole).value<quintptr>());
    if (Project* project = selectedProject())
        setCurrentProject(project, UpdateHint::CurrentProjectChanged);
}

void CPrjView::setCurrentProject(Project* project, UpdateHint hint)
{
    if (project == m_current && hint == UpdateHint::General) return;
    m_current = project;
    m_doc->updateAllViews(this, hint, project);
    if (project) WriteProfileString(workspaceTitle(), kCurrentKey, Text(project->Identifier()));
}

void CPrjView::onInitialUpdate()
{
    createControls();
    rebuildTree();
    QString identifier;
    if (m_frame && !m_frame->startProjectName().isEmpty() && !m_pendingId.isEmpty()) {
        identifier = m_pendingId;
        m_pendingId.clear();
    } else {
        identifier = ProfileString(workspaceTitle(), kCurrentKey);
    }
    if (!identifier.isEmpty()) selectProjectById(identifier);
}

void CPrjView::onUpdate(View*, UpdateHint hint, void*)
{
    if (hint == UpdateHint::WorkspaceChanged) rebuildTree();
}

void CPrjView::onReset()
{
    m_current = nullptr;
    m_lastSelected = nullptr;
    if (m_tree) {
        m_rebuilding = true;
        m_tree->clear();
        m_rebuilding = false;
    }
}

bool CPrjView::event(QEvent* event)
{
    if (event->type() == kStartupChecksEvent) {
        runStartupChecks();
        return true;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------- commands

std::optional<bool> CPrjView::commandEnabled(int id) const
{
    const int kind = selectedKind();
    const bool anyItem = kind >= kWorkspaceItem && kind != kFolderScoreItem;
    switch (id) {
        case cmd::kAddProject:
        case cmd::kAddMultipleProjects:
            return !m_building;
        case cmd::kBuild:
        case cmd::kRebuildAll:
            return !m_building && (IsFolderKind(kind) || IsProjectKind(kind) || m_current);
        case cmd::kNewFolder:
        case cmd::kDelete:
        case cmd::kProperties:
            return !m_building && anyItem;
        default:
            return std::nullopt;
    }
}

bool CPrjView::handleCommand(int id)
{
    if (m_building) return false;
    switch (id) {
        case cmd::kAddProject:
            addProject();
            return true;
        case cmd::kAddMultipleProjects:
            addMultipleProjects();
            return true;
        case cmd::kNewFolder:
            newFolder();
            return true;
        case cmd::kDelete:
            deleteItem();
            return true;
        case cmd::kProperties:
            properties();
            return true;
        case cmd::kBuild:
            build(false);
            return true;
        case cmd::kRebuildAll:
            build(true);
            return true;
        default:
            return false;
    }
}

QMenu* CPrjView::contextMenuFor(QTreeWidgetItem* item)
{
    if (!item) return nullptr;
    const int kind = item->data(0, kKindRole).toInt();
    auto* menu = new QMenu(this);
    auto add = [this, menu](const QString& text, int id) {
        QAction* action = menu->addAction(text);
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { handleCommand(id); });
        return action;
    };
    const bool hasProjects = m_doc->root().CountProjects(true) > 0;
    if (kind == kWorkspaceItem) {
        menu->setObjectName(QStringLiteral("menu134"));
        add(QStringLiteral("New &folder..."), cmd::kNewFolder);
        menu->addSeparator();
        add(QStringLiteral("&Build projects"), cmd::kBuild)->setEnabled(hasProjects);
        add(QStringLiteral("&Rebuild all projects"), cmd::kRebuildAll)->setEnabled(hasProjects);
    } else if (kind == kFolderItem) {
        menu->setObjectName(QStringLiteral("menu133"));
        add(QStringLiteral("&Add project..."), cmd::kAddProject);
        add(QStringLiteral("Add &multiple projects..."), cmd::kAddMultipleProjects);
        add(QStringLiteral("New &folder..."), cmd::kNewFolder);
        add(QStringLiteral("&Delete\tDel"), cmd::kDelete);
        menu->addSeparator();
        add(QStringLiteral("&Build projects"), cmd::kBuild)->setEnabled(hasProjects);
        add(QStringLiteral("&Rebuild all projects"), cmd::kRebuildAll)->setEnabled(hasProjects);
        menu->addSeparator();
        add(QStringLiteral("Prop&erties..."), cmd::kProperties);
    } else if (kind == kProjectItem) {
        menu->setObjectName(QStringLiteral("menu132"));
        add(QStringLiteral("&Build"), cmd::kBuild)->setEnabled(hasProjects);
        add(QStringLiteral("&Rebuild All"), cmd::kRebuildAll)->setEnabled(hasProjects);
        add(QStringLiteral("&Delete\tDel"), cmd::kDelete);
        menu->addSeparator();
        add(QStringLiteral("Pr&operties..."), cmd::kProperties);
    } else {
        delete menu;
        return nullptr;
    }
    return menu;
}

void CPrjView::onContextMenu(const QPoint& pos)
{
    QTreeWidgetItem* item = m_tree->itemAt(pos);
    if (!item) return;
    m_tree->setCurrentItem(item);
    QMenu* menu = contextMenuFor(item);
    if (!menu) return;
    menu->exec(m_tree->viewport()->mapToGlobal(pos));
    menu->deleteLater();
}

Folder* CPrjView::targetFolder() const
{
    if (Folder* folder = selectedFolder()) return folder;
    if (Project* project = selectedProject()) return project->parent;
    return &m_doc->root();
}

void CPrjView::addProject()
{
    Folder* folder = targetFolder();
    ProjectDialog dialog(m_doc->settings(), nullptr, folder, this);
    if (Ui().execDialog(&dialog) != QDialog::Accepted) return;
    std::unique_ptr<Project> created = dialog.takeProject();
    if (!created) return;
    Project* project = folder->AddProject(std::move(created));
    m_doc->setModifiedFlag(true);
    rebuildTree();
    selectProjectById(Text(project->Identifier()));
    if (const QString hint = buildHint({project}); !hint.isEmpty()) setStatusText(hint.mid(1));
}

void CPrjView::addMultipleProjects()
{
    MultiProjectDialog dialog(m_doc->settings(), targetFolder(), this);
    if (Ui().execDialog(&dialog) != QDialog::Accepted) return;
    m_doc->setModifiedFlag(true);
    rebuildTree();
}

void CPrjView::newFolder()
{
    Folder* parent = selectedFolder();
    if (!parent) return;
    FolderDialog dialog(parent, nullptr, this);
    if (Ui().execDialog(&dialog) != QDialog::Accepted) return;
    std::unique_ptr<Folder> created = dialog.takeFolder();
    if (!created) return;
    m_doc->setModifiedFlag(true);
    parent->AddSubfolder(std::move(created));
    rebuildTree();
}

void CPrjView::properties()
{
    if (Project* project = selectedProject()) {
        ProjectDialog dialog(m_doc->settings(), project, project->parent, this);
        // The dialog may build the project: the city must not draw the records
        // that build replaces until the views have the new ones.
        CCodeburgView* city = m_frame ? m_frame->cityView() : nullptr;
        if (city) city->setBuilding(true);
        const bool accepted = Ui().execDialog(&dialog) == QDialog::Accepted;
        if (accepted) {
            m_doc->setModifiedFlag(true);
            rebuildTree();
            // Built by the dialog, the current project has new records, perhaps
            // under the stamp of the same second.
            const bool rebuilt = project == m_current && dialog.built();
            m_doc->updateAllViews(
                nullptr, rebuilt ? UpdateHint::ProjectRebuilt : UpdateHint::General, nullptr);
        }
        if (city) city->setBuilding(false);
        if (!accepted) return;
        if (const QString hint = buildHint({project}); !hint.isEmpty()) setStatusText(hint.mid(1));
        return;
    }
    if (Folder* folder = selectedFolder()) {
        FolderDialog dialog(nullptr, folder, this);
        if (Ui().execDialog(&dialog) != QDialog::Accepted) return;
        m_doc->setModifiedFlag(true);
        rebuildTree();
    }
}

void CPrjView::deleteItem()
{
    Folder& root = m_doc->root();
    if (Folder* folder = selectedFolder()) {
        // The workspace item stands for the root, which cannot go; asking
        // about it would only lead to a removal that finds nothing.
        if (folder == &root) return;
        if (!AskYesNo(this,
                      QStringLiteral("Do you really want to delete folder \"%1\" ?")
                          .arg(Text(folder->name)),
                      QStringLiteral("Confirm"))) {
            return;
        }
        if (m_current && folder->RemoveProject(m_current, true))
            setCurrentProject(nullptr, UpdateHint::General);
        m_doc->setModifiedFlag(true);
        if (m_lastSelected == folder) m_lastSelected = nullptr;
        root.RemoveSubfolder(folder);
        rebuildTree();
        return;
    }
    if (Project* project = selectedProject()) {
        if (!AskYesNo(this,
                      QStringLiteral("Do you really want to delete project \"%1\" ?")
                          .arg(Text(project->name)),
                      QStringLiteral("Confirm"))) {
            return;
        }
        if (project == m_current) setCurrentProject(nullptr, UpdateHint::General);
        m_doc->setModifiedFlag(true);
        if (m_lastSelected == project) m_lastSelected = nullptr;
        root.RemoveProject(project, false);
        rebuildTree();
    }
}

// ------------------------------------------------------------------- build

void CPrjView::setStatusText(const QString& text)
{
    if (m_frame) m_frame->setMessageText(text);
}

void CPrjView::pumpEvents()
{
    // The build runs on this thread; letting the loop run now and then keeps
    // the window alive and lets the Cancel button and Esc through. The input
    // gate drops all other input to the window, and the frame refuses
    // commands while busy, so nothing else reaches the workspace meanwhile.
    if (m_pumpTimer.isValid() && m_pumpTimer.elapsed() < 25) return;
    m_pumpTimer.restart();
    QCoreApplication::processEvents();
}

void CPrjView::build(bool force)
{
    Project* project = selectedProject();
    Folder* folder = project ? nullptr : selectedFolder();
    if (!project && !folder) project = m_current;
    if (!project && !folder) return;

    m_building = true;
    m_stopRequested = false;
    if (m_frame) m_frame->setBusy(true);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    createControls();
    m_progress->setRange(0, 0);
    m_progress->setValue(0);
    m_progress->show();
    m_cancel->setEnabled(true);
    m_cancel->show();
    layoutControls();
    repaint();
    m_fileCounter = 0;
    m_pumpTimer.invalidate();

    const bool affected =
        m_current && (project == m_current || (folder && folder->RemoveProject(m_current, true)));
    CCodeburgView* city = m_frame ? m_frame->cityView() : nullptr;
    if (city) {
        if (affected)
            city->SetFilter(FilterKind::None, std::string(), std::string(), std::string());
        // The build replaces records the city draws from: it shows its last
        // picture until the views have been given the new ones.
        city->setBuilding(true);
    }

    int result = 0;
    {
        const BuildInputGate gate(window(), m_cancel, [this] { requestStop(); });
        BuildOptions options;
        options.reportPath = TextReportPath(QCoreApplication::applicationFilePath().toStdString());
        result = project ? BuildIfNeeded(*project, this, force, true, &Ui(), options)
                         : BuildAll(*folder, this, force, true, &Ui(), options);
        // Showing the freshly built project refreshes every view in turn.
        m_doc->setBetweenUpdates([this] { pumpEvents(); });
        // A stopped folder build has finished the projects before the one it
        // stopped in: the tree shows their new figures.
        if (result == 0 || result == kBuildStopped) rebuildTree();
        // Whatever the outcome, a view may hold records that the build replaced.
        if (affected) setCurrentProject(m_current, UpdateHint::ProjectRebuilt);
        m_doc->setBetweenUpdates({});
    }
    if (city) city->setBuilding(false);

    m_progress->hide();
    m_cancel->hide();
    layoutControls();
    if (result == kBuildStopped) {
        setStatusText(QStringLiteral("Build cancelled."));
    } else {
        std::vector<Project*> built{project};
        if (folder) {
            built.clear();
            folder->CollectProjects(built);
        }
        setStatusText(QStringLiteral("Build complete.") + SkippedStatus(project, folder) +
                      buildHint(built));
    }
    QApplication::restoreOverrideCursor();
    if (m_frame) m_frame->setBusy(false);
    m_building = false;
}

QString CPrjView::buildHint(const std::vector<Project*>& built) const
{
    // Projects loaded from their files count no skipped bodies: only those
    // built now can qualify. Told once, for the first of them.
    for (const Project* project : built) {
        if (!project || !project->stats) continue;
        const QString hint = ModernRuleHint(*project->stats);
        if (!hint.isEmpty()) return QStringLiteral(" %1: %2").arg(Text(project->name), hint);
    }
    return {};
}

void CPrjView::requestStop()
{
    if (!m_building || m_stopRequested) return;
    m_stopRequested = true;
    m_cancel->setEnabled(false);
    setStatusText(QStringLiteral("Cancelling the build..."));
}

void CPrjView::Status(const std::string& objectName, const std::string& verb)
{
    setStatusText(QStringLiteral("%1 %2...").arg(Text(verb), Text(objectName)));
    pumpEvents();
}

void CPrjView::FileStep(const std::string& name)
{
    if (m_progress->maximum() > 0) {
        m_progress->setValue(qMin(qMax(m_progress->value(), 0) + 1, m_progress->maximum()));
    }
    ++m_fileCounter;
    setStatusText(QStringLiteral("Building %1... (%2 files)").arg(Text(name)).arg(m_fileCounter));
    pumpEvents();
    emit buildStepped(m_progress->value());
}

void CPrjView::AddRange(int count)
{
    const int value = m_progress->value();
    m_progress->setRange(0, m_progress->maximum() + count);
    m_progress->setValue(qMax(value, 0));
    m_fileCounter = 0;
}

int CPrjView::Position()
{
    return qMax(m_progress->value(), 0);
}

void CPrjView::KeepAlive()
{
    pumpEvents();
}

// ---------------------------------------------------------------- start-up

void CPrjView::runStartupChecks()
{
    if (ProfileInt(QStringLiteral("MAIN"), QStringLiteral("FIRSTTIME"), 1) != 0) {
        WriteProfileInt(QStringLiteral("MAIN"), QStringLiteral("FIRSTTIME"), 0);
        if (m_doc->root().CountProjects(true) == 0) {
            WelcomeDialog welcome(this);
            if (Ui().execDialog(&welcome) == QDialog::Accepted) {
                Folder& root = m_doc->root();
                if (!root.subfolders.empty()) selectObject(root.subfolders.front().get());
                addProject();
            }
        }
    }
    if (!IdeToolsStartupCheck(ToolsRegistry(),
                              QCoreApplication::applicationFilePath().toStdString())) {
        IdeToolsDialog dialog(ToolsRegistry(), this);
        Ui().execDialog(&dialog);
        return;
    }
    if (m_frame) m_frame->showQuoteOfTheDay(true);
}

}  // namespace codeburg
