#pragma once

#include <QFont>
#include <QMainWindow>
#include <QRect>
#include <optional>

// The city pane is used through the frame's accessor by callers that know
// only the frame.
#include "views/codeburg_view.h"
#include "views/view_frame.h"

class QAction;
class QLabel;
class QMenu;

namespace codeburg {

class CCodeburgApp;
class CCodeburgDoc;
class CControlView;
class CDetailView;
class CDevView;
class CPrjView;
class CStatsView;
class RecentFiles;

// Where the three kinds of pane go for a frame client of width x height of
// which the status bar takes statusHeight at the bottom.
struct PaneLayout {
    QRect tree;
    QRect control;
    QRect pane;
};
PaneLayout ComputePaneLayout(int width, int height, int statusHeight, int leftPercent);

// The placement values kept in the profile; -1 where none is stored.
struct StoredPlacement {
    int x = -1, y = -1, cx = -1, cy = -1;
};
// Where the frame's client area goes: the stored fields that pass their
// checks (X, Y when > 0, CX when > 160, CY when > 20) over "frame", then the
// size cut to the available screen area and the window, with what the window
// manager adds around it ("decoration"), moved into that area. A position not
// stored is centred.
QRect FitFramePlacement(QRect frame, const StoredPlacement& stored, const QRect& available,
                        const QMargins& decoration);
// The first size of the frame: wide enough that the right-hand side, which
// gets (100 - leftPercent) % of it, holds the whole control strip.
QSize FirstFrameSize(int stripWidth, int leftPercent);

// The main window: six panes laid out by a fixed rule (no splitters), the
// menus, accelerators and status bar, the shared fonts and the help.
class CMainFrame : public QMainWindow, public ViewFrame {
    Q_OBJECT
public:
    // The document and the recent-file list are the application's.
    CMainFrame(CCodeburgApp* app, CCodeburgDoc* doc, RecentFiles* recent,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // n = 1..4 picks the large pane; 0 keeps the current one.
    void layoutPanes(int n = 0) override;
    int currentLayout() const override { return m_layout; }

    CPrjView* treeView() const override { return m_treeView; }
    CCodeburgView* cityView() const override { return m_cityView; }
    CControlView* controlView() const override { return m_controlView; }
    CStatsView* scoreView() const { return m_scoreView; }
    CDetailView* detailsView() const { return m_detailsView; }
    CDevView* devView() const { return m_devView; }

    const QFont& largeFont() const override { return m_largeFont; }
    const QFont& textFont() const override { return m_textFont; }
    const QFont& smallFont() const override { return m_smallFont; }

    void setMessageText(const QString& text) override;
    QString messageText() const;

    // Runs a command as a menu or accelerator would; false when nothing
    // handled it.
    bool onCommand(int id) override;
    // nullopt when no handler exists (the item is then greyed).
    std::optional<bool> commandEnabled(int id) const;
    QAction* menuAction(int id) const;
    QAction* accelerator(int id) const;

    // Opens the help file at a topic, or warns when it cannot be found.
    void openHelp(const QString& topic);
    void openHelp(const QString& topic, const QString& executableDir);
    static QString HelpDirectory(const QString& executableDir);

    // Puts "&Quote of the Day..." at the top of the Help menu.
    void ensureQuoteItem();
    // Restores "X", "Y", "CX", "CY" field by field (before showing), fitted
    // into the available area of the screen; without them the frame takes a
    // size that shows the whole control strip, centred.
    void applyStoredPlacement();
    // The same on a given free screen area, for the tests.
    void applyStoredPlacement(const QRect& available);
    // Writes the placement and the layout values; done once on close.
    void storeProfile();

    bool isBusy() const { return m_busy; }
    void setBusy(bool busy) override { m_busy = busy; }

    // The application's side of the views' frame.
    bool no3d() const override;
    QString startProjectName() const override;
    int snapshotQuality() const override;
    void showQuoteOfTheDay(bool atStartup) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void createAccelerators();
    void createStatusBar();
    void createPanes();
    QAction* addItem(QMenu* menu, const QString& text, int id);
    void updateMenu(QMenu* menu);
    void rebuildRecentItems(QMenu* fileMenu);
    void updateTitle();

    CCodeburgApp* m_app;
    CCodeburgDoc* m_doc;
    RecentFiles* m_recent;
    QFont m_largeFont;
    QFont m_textFont;
    QFont m_smallFont;
    CControlView* m_controlView = nullptr;
    CPrjView* m_treeView = nullptr;
    CCodeburgView* m_cityView = nullptr;
    CStatsView* m_scoreView = nullptr;
    CDetailView* m_detailsView = nullptr;
    CDevView* m_devView = nullptr;
    QWidget* m_client = nullptr;
    QLabel* m_message = nullptr;
    int m_layout = 1;
    int m_leftWidth = 25;
    int m_topValue = 80;
    int m_leftValue2 = 50;
    int m_topValue2 = 50;
    bool m_preview = false;
    bool m_busy = false;
    bool m_profileStored = false;
    QList<QAction*> m_menuActions;
    QList<QAction*> m_accelerators;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentAnchor = nullptr;
    QList<QAction*> m_recentItems;
};

}  // namespace codeburg
