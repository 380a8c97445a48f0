#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/codeburg_app.h"
#include "app/help_window.h"
#include "app/main_frame.h"
#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/gui_test_support.h"
#include "gui/profile.h"
#include "views/control_view.h"
#include "views/detail_view.h"
#include "views/prj_view.h"
#include "views/stats_view.h"
#include "workspace/folder.h"
#include "workspace/project.h"

using namespace codeburg;

namespace {

// Records the hints it hears, tagged with its own name.
class RecordingView : public View {
public:
    RecordingView(QString name, QStringList* log) : m_name(std::move(name)), m_log(log) {}
    void onUpdate(View*, UpdateHint hint, void*) override
    {
        *m_log << m_name + QString::number(static_cast<int>(hint));
    }

private:
    QString m_name;
    QStringList* m_log;
};

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

QMenu* TopMenu(CMainFrame* frame, const QString& title)
{
    for (QAction* action : frame->menuBar()->actions()) {
        if (action->text() == title) return action->menu();
    }
    return nullptr;
}

}  // namespace

class AppTest : public QObject {
    Q_OBJECT

private:
    ScriptedInteraction m_ui;

    // An application whose start-up asks nothing: not the first start, no
    // quote, no reopening unless a test wants it.
    std::unique_ptr<CCodeburgApp> startQuietly(const QStringList& arguments = {})
    {
        WriteProfileInt("MAIN", "FIRSTTIME", 0);
        WriteProfileInt("Quote", "StartUp", 1);
        auto app = std::make_unique<CCodeburgApp>();
        const bool ok = app->initInstance(arguments);
        QCoreApplication::processEvents();
        return ok ? std::move(app) : nullptr;
    }

private slots:
    void init()
    {
        ClearProfile();
        m_ui = ScriptedInteraction();
        InstallInteraction(&m_ui);
        QFile::remove(CCodeburgApp::kMarkerFileName);
    }
    void cleanup() { InstallInteraction(nullptr); }

    void layoutRuleSplitsClientArea()
    {
        const PaneLayout layout = ComputePaneLayout(1000, 700, 20, 25);
        QCOMPARE(layout.tree, QRect(0, 0, 250, 680));
        QCOMPARE(layout.control, QRect(250, 0, 750, 80));
        QCOMPARE(layout.pane, QRect(250, 80, 750, 600));
        // The left width truncates toward zero.
        QCOMPARE(ComputePaneLayout(999, 700, 20, 25).tree.width(), 249);
    }

    void frameLaysOutItsPanesByTheRule()
    {
        auto app = startQuietly();
        CMainFrame* frame = app->mainFrame();
        frame->statusBar()->setFixedHeight(20);
        QWidget* client = frame->centralWidget();
        for (int i = 0; i < 3; ++i) {
            frame->resize(frame->width() + 1000 - client->width(),
                          frame->height() + 680 - client->height());
            QCoreApplication::processEvents();
        }
        QCOMPARE(client->size(), QSize(1000, 680));
        QCOMPARE(frame->treeView()->geometry(), QRect(0, 0, 250, 680));
        QCOMPARE(frame->controlView()->geometry(), QRect(250, 0, 750, 80));
        QCOMPARE(frame->cityView()->geometry(), QRect(250, 80, 750, 600));
        QVERIFY(frame->cityView()->isVisible());

        frame->layoutPanes(3);
        QVERIFY(frame->detailsView()->isVisible());
        QVERIFY(!frame->cityView()->isVisible());
        QCOMPARE(frame->detailsView()->geometry(), QRect(250, 80, 750, 600));
        QCOMPARE(frame->scoreView()->lastHint(), 2);
    }

    void menusCarryTheirTextsAndIds()
    {
        auto app = startQuietly();
        CMainFrame* frame = app->mainFrame();
        QCOMPARE(
            MenuTexts(TopMenu(frame, "&File")),
            QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-",
                         "Print pre&view...", "&Print...", "-", "Recent File", "-", "E&xit"}));
        QCOMPARE(MenuTexts(TopMenu(frame, "&Edit")),
                 QStringList({"&Add project...", "Add &multiple projects...", "New &folder...",
                              "&Delete\tDel", "-", "Prop&erties..."}));
        QCOMPARE(MenuTexts(TopMenu(frame, "&Build")),
                 QStringList({"&Build", "&Rebuild All", "-", "&Preferences..."}));
        QCOMPARE(
            MenuTexts(TopMenu(frame, "&Help")),
            QStringList({"&Quote of the Day...", "-", "&Help Topics", "-", "&About codeburg..."}));
        QCOMPARE(frame->menuAction(cmd::kDelete)->text(), QString("&Delete\tDel"));
        QCOMPARE(frame->menuAction(cmd::kViewpointMap)->text(), QString("&Map\tF4"));
        QCOMPARE(frame->accelerator(cmd::kMapView)->shortcut(), QKeySequence(Qt::Key_F4));
        QCOMPARE(frame->accelerator(cmd::kViewpoint1 + 8)->shortcut(), QKeySequence(Qt::Key_9));
        QVERIFY(frame->accelerator(cmd::kViewpointMap) == nullptr);

        // The quote item goes in once, however often the menu opens.
        frame->ensureQuoteItem();
        QCOMPARE(TopMenu(frame, "&Help")->actions().size(), 5);
        // Commands without a handler are greyed; the 3D ones need the city window.
        QCOMPARE(frame->commandEnabled(cmd::kFullScreen).value_or(false), false);
        QCOMPARE(frame->commandEnabled(cmd::kAddProject).value_or(false), true);
    }

    void titleShowsTheModifiedStar()
    {
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        doc.setTitle("work.cbw");
        doc.setModifiedFlag(true);
        QCOMPARE(doc.title(), QString("work.cbw*"));
        QCOMPARE(doc.titleWithoutStar(), QString("work.cbw"));
        doc.setModifiedFlag(true);
        QCOMPARE(doc.title(), QString("work.cbw*"));
        doc.setModifiedFlag(false);
        QCOMPARE(doc.title(), QString("work.cbw"));
        doc.setTitle("work.cbw - read only");
        doc.setModifiedFlag(false);
        QCOMPARE(doc.title(), QString("work.cbw"));
    }

    void backupReplacesTheExtension()
    {
        QCOMPARE(CCodeburgDoc::BackupPath("/a/b/work.cbw"), QString("/a/b/work.bak"));
        QCOMPARE(CCodeburgDoc::BackupPath("/a/b.d/work"), QString("/a/b.d/work.bak"));
    }

    void hintsReachViewsInCreationOrderButNotTheSender()
    {
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        QStringList log;
        RecordingView a("a", &log), b("b", &log), c("c", &log);
        doc.addView(&a);
        doc.addView(&b);
        doc.addView(&c);
        doc.updateAllViews(&b, UpdateHint::CurrentProjectChanged);
        doc.updateAllViews(nullptr, UpdateHint::ProjectRebuilt);
        QCOMPARE(log, QStringList({"a4", "c4", "a1", "b1", "c1"}));
    }

    void newWorkspaceHoldsOneFolder()
    {
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        doc.root().AddSubfolder(std::make_unique<Folder>("old"));
        QVERIFY(doc.newDocument(nullptr));
        QCOMPARE(int(doc.root().subfolders.size()), 1);
        QCOMPARE(QString::fromStdString(doc.root().subfolders[0]->name), QString("Projects"));
        QCOMPARE(doc.root().CountProjects(true), 0);
        QVERIFY(!doc.isModified());
    }

    void savingOverAReadOnlyFileKeepsTheDocumentModified()
    {
        QTemporaryDir dir;
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        doc.newDocument(nullptr);
        const QString path = dir.filePath("work.cbw");
        QVERIFY(doc.saveAs(nullptr, path));
        QCOMPARE(doc.title(), QString("work.cbw"));
        const QByteArray before = [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);

        doc.root().AddSubfolder(std::make_unique<Folder>("more"));
        doc.setModifiedFlag(true);
        QVERIFY(!doc.save(nullptr));
        QVERIFY(m_ui.saw("read-only"));
        QVERIFY(doc.isModified());
        QCOMPARE(doc.title(), QString("work.cbw*"));
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    // Another program changed the file since it was opened: saving asks
    // before overwriting, and a No keeps the other program's change.
    void savingAsksBeforeOverwritingAChangeOnDisk()
    {
        QTemporaryDir dir;
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        doc.newDocument(nullptr);
        const QString path = dir.filePath("work.cbw");
        QVERIFY(doc.saveAs(nullptr, path));
        doc.setModifiedFlag(true);
        QVERIFY(doc.save(nullptr));  // unchanged on disk: nothing asked
        QVERIFY(m_ui.messages.isEmpty());

        QFile other(path);
        QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Append));
        other.write("<!-- changed by another program, which adds a line -->\n");
        other.close();
        const QByteArray changed = [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        m_ui.answers = {QMessageBox::No};
        QVERIFY(!doc.save(nullptr));
        QVERIFY(m_ui.saw("was changed on disk"));
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), changed);

        m_ui.answers = {QMessageBox::Yes};
        QVERIFY(doc.save(nullptr));
        m_ui.messages.clear();
        QVERIFY(doc.save(nullptr));  // what this program wrote is no change of another's
        QVERIFY(m_ui.messages.isEmpty());
    }

    // A save that fails says so, with the file and the reason.
    void failedSaveShowsAMessage()
    {
        QTemporaryDir dir;
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        doc.newDocument(nullptr);
        QFile victim(dir.filePath("victim"));
        QVERIFY(victim.open(QIODevice::WriteOnly));
        victim.write("precious");
        victim.close();
        QVERIFY(QFile::link(dir.filePath("victim"), dir.filePath("link.cbw")));
        QVERIFY(!doc.saveAs(nullptr, dir.filePath("link.cbw")));
        QVERIFY(m_ui.saw("Unable to save"));
        QVERIFY(m_ui.saw("it is a symbolic link"));
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("precious"));
    }

    void openingSomethingElseIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("notes.cbw");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("just some notes, not a workspace\n");
        file.close();
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        doc.newDocument(nullptr);
        QVERIFY(!doc.openDocument(nullptr, path));
        QVERIFY(m_ui.saw("is not a workspace file"));
        QVERIFY(doc.path().isEmpty());
        QCOMPARE(int(doc.root().subfolders.size()), 1);
    }

    void savedWorkspaceOpensAgainWithItsBackup()
    {
        QTemporaryDir dir;
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        doc.newDocument(nullptr);
        QDir().mkpath(dir.filePath("src/core"));
        auto project = std::make_unique<Project>(&settings, doc.root().subfolders[0].get(), "core");
        project->directory = dir.filePath("src/core").toStdString();
        doc.root().subfolders[0]->AddProject(std::move(project));
        // A statistics file that is not one: the project opens without figures.
        QFile stats(dir.filePath("src/core/core.cbb"));
        QVERIFY(stats.open(QIODevice::WriteOnly));
        stats.write("garbage");
        stats.close();
        const QString path = dir.filePath("work.cbw");
        QVERIFY(doc.saveAs(nullptr, path));

        CCodeburgDoc reopened(&settings);
        QVERIFY(reopened.openDocument(nullptr, path));
        QVERIFY(!reopened.isModified());
        QCOMPARE(reopened.title(), QString("work.cbw"));
        QVERIFY(QFile::exists(dir.filePath("work.bak")));
        QCOMPARE(reopened.root().CountProjects(true), 1);
        QCOMPARE(int(reopened.root().subfolders[0]->projects[0]->stats->files.size()), 0);
    }

    void openingRepairsMovedProjects()
    {
        QTemporaryDir dir;
        ScoringSettings settings;
        CCodeburgDoc doc(&settings);
        doc.newDocument(nullptr);
        Folder* folder = doc.root().subfolders[0].get();
        for (const char* name : {"a", "b"}) {
            auto project = std::make_unique<Project>(&settings, folder, name);
            project->directory = dir.filePath(QString("old/src/") + name).toStdString();
            folder->AddProject(std::move(project));
        }
        const QString path = dir.filePath("moved.cbw");
        QVERIFY(doc.saveAs(nullptr, path));
        QDir().mkpath(dir.filePath("new/src/a"));
        QDir().mkpath(dir.filePath("new/src/b"));

        m_ui.answers = {QMessageBox::Yes, QMessageBox::Yes};  // browse, then the rule
        m_ui.directories = {dir.filePath("new/src/a")};
        CCodeburgDoc reopened(&settings);
        QVERIFY(reopened.openDocument(nullptr, path));
        QVERIFY(m_ui.saw("The following project directory is missing"));
        QVERIFY(reopened.isModified());
        QCOMPARE(reopened.title(), QString("moved.cbw*"));
        const Folder* projects = reopened.root().subfolders[0].get();
        QCOMPARE(QString::fromStdString(projects->projects[1]->directory),
                 dir.filePath("new/src/b"));
    }

    void closingAModifiedWorkspaceAsksToSave()
    {
        auto app = startQuietly();
        CMainFrame* frame = app->mainFrame();
        app->document()->setModifiedFlag(true);
        m_ui.answers = {QMessageBox::Cancel};
        QVERIFY(!frame->close());
        QVERIFY(m_ui.saw("Save changes to Untitled?"));
        QVERIFY(frame->isVisible());
        m_ui.answers = {QMessageBox::No};
        QVERIFY(frame->close());
    }

    void exitWritesPlacementAndLayout()
    {
        auto app = startQuietly();
        CMainFrame* frame = app->mainFrame();
        frame->setGeometry(40, 50, 700, 480);  // within the test screen of 800 x 600
        frame->layoutPanes(3);
        QVERIFY(frame->close());
        QCOMPARE(ProfileInt("MAINFRAME", "LAYOUT", 0), 3);
        QCOMPARE(ProfileInt("MAINFRAME", "PLEFT1", 0), 25);
        QCOMPARE(ProfileInt("MAINFRAME", "PTOP1", 0), 80);
        QCOMPARE(ProfileInt("MAINFRAME", "PLEFT2", 0), 50);
        QCOMPARE(ProfileInt("MAINFRAME", "PTOP2", 0), 50);
        QCOMPARE(ProfileInt("MAINFRAME", "MAXIMIZED", -1), 0);
        QCOMPARE(ProfileInt("MAINFRAME", "CX", 0), 700);
        QCOMPARE(ProfileInt("MAINFRAME", "CY", 0), 480);

        // The next start takes the layout and the size back.
        auto again = startQuietly();
        QCOMPARE(again->mainFrame()->currentLayout(), 3);
        QCOMPARE(again->mainFrame()->width(), 700);
    }

    void exitWhileMaximisedKeepsTheNormalPlacement()
    {
        WriteProfileInt("MAINFRAME", "CX", 700);
        auto app = startQuietly();
        app->mainFrame()->showMaximized();
        QCoreApplication::processEvents();
        QVERIFY(app->mainFrame()->close());
        QCOMPARE(ProfileInt("MAINFRAME", "MAXIMIZED", 0), 1);
        QCOMPARE(ProfileInt("MAINFRAME", "CX", 0), 700);
        QCOMPARE(ProfileInt("MAINFRAME", "X", -5), -5);  // never written
    }

    void storedPlacementIsUsedFieldByField()
    {
        WriteProfileInt("MAINFRAME", "X", 0);
        WriteProfileInt("MAINFRAME", "CX", 160);
        WriteProfileInt("MAINFRAME", "CY", 21);
        auto app = startQuietly();
        QCOMPARE(app->mainFrame()->height(),
                 21 > app->mainFrame()->minimumHeight() ? 21 : app->mainFrame()->height());
        QVERIFY(app->mainFrame()->width() != 160);
        ClearProfile();
        WriteProfileInt("MAINFRAME", "CX", 161);
        auto other = startQuietly();
        QCOMPARE(other->mainFrame()->width(), 161);
    }

    void settingsFileBesideTheProgramIsRead()
    {
        const QString path = CCodeburgApp::SettingsFilePath();
        QVERIFY(path.endsWith(QCoreApplication::applicationName().toLower() + ".ini") ||
                path.endsWith(".ini"));
        QFile::remove(path);
        QCOMPARE(CCodeburgApp().settings().lineCount, 25);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[SCORING]\nLINECOUNT=40\n[SNAPSHOT]\nQUALITY=60\n");
        file.close();
        CCodeburgApp app;
        QFile::remove(path);
        QCOMPARE(app.settings().lineCount, 40);
        QCOMPARE(app.settings().snapshotQuality, 60);
    }

    void commandLineOptionsAreFoundAnywhere()
    {
        auto app = startQuietly({"-no3d", "-prj=core"});
        QVERIFY(app->no3d());
        QCOMPARE(app->startProjectName(), QString("core"));
        auto plain = startQuietly();
        QVERIFY(!plain->no3d());
        QVERIFY(plain->startProjectName().isEmpty());
    }

    void markerSkipsExactlyOneReopening()
    {
        QTemporaryDir dir;
        const QString recent = dir.filePath("last.cbw");
        QFile file(recent);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<workspace name=\"\">\n</workspace>\n");
        file.close();
        WriteProfileString("Recent File List", "File1", recent);

        QFile marker(CCodeburgApp::kMarkerFileName);
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        auto first = startQuietly();
        QVERIFY(first->document()->path().isEmpty());
        QVERIFY(!QFile::exists(CCodeburgApp::kMarkerFileName));
        first.reset();

        auto second = startQuietly();
        // The reopening was tried this time (it may fail while the reader
        // is missing, but it never leaves the marker behind).
        QVERIFY(second->document()->path() == recent || m_ui.saw("not a workspace"));
        QVERIFY(!QFile::exists(CCodeburgApp::kMarkerFileName));
    }

    void noReopeningWhenSwitchedOff()
    {
        WriteProfileInt("MAIN", "LOADMOSTRECENT", 0);
        WriteProfileString("Recent File List", "File1", "/nowhere/last.cbw");
        auto app = startQuietly();
        QVERIFY(app->document()->path().isEmpty());
        QCOMPARE(int(app->document()->root().subfolders.size()), 1);
        QVERIFY(m_ui.messages.isEmpty());
    }

    void fileOnTheCommandLineLeavesTheMarkerAlone()
    {
        QFile marker(CCodeburgApp::kMarkerFileName);
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        auto app = startQuietly({"/nowhere/missing.cbw"});
        QVERIFY(app == nullptr);  // a file that cannot be opened ends the start-up
        QVERIFY(QFile::exists(CCodeburgApp::kMarkerFileName));
    }

    void helpIsFoundBesideTheProgramOrWarned()
    {
        QCOMPARE(CMainFrame::HelpDirectory("/x/Release/bin"), QString("/x/bin/"));
        QCOMPARE(CMainFrame::HelpDirectory("/x/Src/debug"), QString("/x/Src/"));
        auto app = startQuietly();
        QTemporaryDir empty;
        app->mainFrame()->openHelp("/UserGuide/toc.htm", empty.path());
        QCOMPARE(m_ui.messages.last(),
                 QString("Unable to locate /UserGuide/toc.htm in %1/hlp/codeburg.qch.")
                     .arg(empty.path()));
        QCOMPARE(m_ui.captions.last(), QString("Codeburg Warning"));

        // The build puts the compiled guide beside the test programs too.
        const QString buildApp = QStringLiteral(CODEBURG_BINARY_DIR "/app");
        m_ui.messages.clear();
        app->mainFrame()->openHelp("/UserGuide/toc.htm", buildApp);
        QVERIFY2(m_ui.messages.isEmpty(), qPrintable(m_ui.messages.join('\n')));
        QVERIFY(HelpWindow::Instance());
        QVERIFY(HelpWindow::Instance()->source().toString().endsWith("UserGuide/toc.htm"));
        QVERIFY(HelpWindow::Instance()->toPlainText().contains("Codeburg User Guide"));
        HelpWindow::Instance()->grab().save(
            QStringLiteral(CODEBURG_BINARY_DIR "/screenshots/help.png"));
        // Closed as windows of their own are: Esc, Ctrl+W.
        for (QKeySequence keys : {QKeySequence(Qt::Key_Escape), QKeySequence("Ctrl+W")}) {
            HelpWindow::Instance()->show();
            HelpWindow::Instance()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(HelpWindow::Instance()));
            QTest::keySequence(HelpWindow::Instance(), keys);
            QTRY_VERIFY(!HelpWindow::Instance()->isVisible());
        }
    }

    void placementFitsTheScreen()
    {
        const QMargins decoration(4, 30, 4, 4);
        const QRect screen(0, 0, 1280, 800);
        // Nothing stored: the size asked for, centred, the title bar on screen.
        QCOMPARE(FitFramePlacement(QRect(0, 0, 1100, 760), {}, screen, decoration),
                 QRect(90, 33, 1100, 760));
        // A display at scale 1.5 gives fewer logical pixels than were stored.
        const QRect scaled(0, 0, 1280, 853);
        QCOMPARE(FitFramePlacement(QRect(0, 0, 800, 600), {50, 40, 1900, 1200}, scaled, decoration),
                 QRect(4, 30, 1272, 819));
        // Off the right and bottom edges: moved back in; stored values of the
        // wrong sort are ignored field by field as before.
        QCOMPARE(FitFramePlacement(QRect(0, 0, 800, 600), {1200, 700, 160, 20}, screen, decoration),
                 QRect(476, 196, 800, 600));
        // A second screen to the right: its own area counts.
        QCOMPARE(FitFramePlacement(QRect(0, 0, 800, 600), {1400, 100, 900, 500},
                                   QRect(1280, 0, 1024, 768), decoration),
                 QRect(1400, 100, 900, 500));
        QCOMPARE(FirstFrameSize(766, 25), QSize(1022, 715));
        QCOMPARE(FirstFrameSize(100, 25), QSize(800, 600));

        // The first start on a 1280 x 800 screen shows the whole strip.
        auto app = startQuietly();
        CMainFrame* frame = app->mainFrame();
        frame->applyStoredPlacement(screen);
        frame->layoutPanes(0);
        QVERIFY(frame->x() >= 0 && frame->y() >= 30);
        QVERIFY(frame->controlView()->width() >= frame->controlView()->stripWidth());
        QVERIFY(frame->geometry().bottom() < 800);
    }

    void ctrlQQuits()
    {
        auto app = startQuietly();
        QAction* exit = nullptr;
        for (QAction* action : app->mainFrame()->actions())
            if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Q)) exit = action;
        QVERIFY(exit);
        QCOMPARE(exit->data().toInt(), int(cmd::kAppExit));
        app->mainFrame()->show();
        exit->trigger();
        QVERIFY(!app->mainFrame()->isVisible());
    }

    void mainWindowScreenshot()
    {
        auto app = startQuietly();
        CMainFrame* frame = app->mainFrame();
        frame->resize(1000, 700);
        QCoreApplication::processEvents();
        QDir().mkpath(QStringLiteral(CODEBURG_BINARY_DIR "/screenshots"));
        QVERIFY(frame->grab().save(
            QStringLiteral(CODEBURG_BINARY_DIR "/screenshots/main_window_empty.png")));
    }
};

CB_GUI_TEST_MAIN(AppTest)
#include "app_test.moc"
