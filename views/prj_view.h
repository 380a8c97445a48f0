#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>
#include <optional>

#include "gui/document.h"
#include "records/build_progress_sink.h"

class QMenu;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace codeburg {

class CCodeburgDoc;
class ViewFrame;
class Folder;
class Project;

// The workspace tree: folders, projects and a few lines of each project's
// settings and totals. It names the current project, which every other view
// shows, carries the workspace commands and reports the progress of builds.
class CPrjView : public QWidget, public View, public BuildProgressSink {
    Q_OBJECT
public:
    enum ItemKind {
        kWorkspaceItem = 0,
        kFolderItem = 1,
        kFolderScoreItem = 2,
        kProjectItem = 3,
        kDirectoryLine = 4,
        kExcludedDirsLine = 5,
        kExcludedFilesLine = 6,
        kExtensionsLine = 7,
        kLastBuildLine = 8,
        kFilesLine = 9,
        kElocLine = 10,
    };
    static constexpr QEvent::Type kStartupChecksEvent =
        static_cast<QEvent::Type>(QEvent::User + 456);
    static constexpr int kKindRole = Qt::UserRole;
    static constexpr int kObjectRole = Qt::UserRole + 1;

    // The application may be null (tests of the view alone); the frame too.
    CPrjView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent = nullptr);
    ~CPrjView() override;

    void onInitialUpdate() override;
    void onUpdate(View* sender, UpdateHint hint, void* object) override;
    void onReset() override;

    bool handleCommand(int id);
    std::optional<bool> commandEnabled(int id) const;

    Project* selectedProject() const;
    Folder* selectedFolder() const;
    Project* currentProject() const { return m_current; }
    void setCurrentProject(Project* project, UpdateHint hint);
    bool selectObject(const void* object);
    bool selectProjectById(const QString& identifier);
    void rebuildTree();
    // The popup for the item under "item" (nullptr when its kind has none),
    // with its items enabled; the caller owns it.
    QMenu* contextMenuFor(QTreeWidgetItem* item);

    QTreeWidget* tree() const { return m_tree; }
    QProgressBar* progressBar() const { return m_progress; }
    // Beside the progress bar while a build runs; Esc does the same.
    QPushButton* cancelButton() const { return m_cancel; }
    // Asks the running build to stop; it then leaves the project it was
    // building as it was.
    void requestStop();
    static QString ItemText(int kind, const void* object, const QString& workspaceTitle);

    void build(bool force);
    void runStartupChecks();

    // BuildProgressSink
    void Status(const std::string& objectName, const std::string& verb) override;
    void FileStep(const std::string& name) override;
    void AddRange(int count) override;
    int Position() override;
    void KeepAlive() override;
    bool StopRequested() override { return m_stopRequested; }

signals:
    // Raised while a build passes a file, after the window had a chance to
    // repaint: tests watch the progress through it.
    void buildStepped(int position);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void layoutControls();
    void insertFolder(QTreeWidgetItem* parent, Folder& folder);
    void insertProject(QTreeWidgetItem* parent, Project& project);
    QTreeWidgetItem* addItem(QTreeWidgetItem* parent, int kind, void* object);
    QTreeWidgetItem* selectedItem() const;
    int selectedKind() const;
    void onSelectionChanged();
    void onItemExpansion(QTreeWidgetItem* item, bool expanded);
    void onContextMenu(const QPoint& pos);
    void setStatusText(const QString& text);
    // " NAME: ..." about the modern method rule after a build, or empty.
    QString buildHint(const std::vector<Project*>& built) const;
    void pumpEvents();

    void addProject();
    void addMultipleProjects();
    void newFolder();
    void deleteItem();
    void properties();
    Folder* targetFolder() const;
    QString workspaceTitle() const;

    CCodeburgDoc* m_doc;
    ViewFrame* m_frame;
    QTreeWidget* m_tree = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    Project* m_current = nullptr;
    const void* m_lastSelected = nullptr;
    QString m_pendingId;
    bool m_rebuilding = false;
    bool m_building = false;
    bool m_stopRequested = false;
    int m_fileCounter = 0;
    QElapsedTimer m_pumpTimer;
};

}  // namespace codeburg
