#include "views/prj_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "app/codeburg_app.h"
#include "app/main_frame.h"
#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/gui_test_support.h"
#include "gui/profile.h"
#include "ide/ide_registry.h"
#include "ide/ide_tools.h"
#include "ide/ide_tools_dialog.h"
#include "platform/registry.h"
#include "records/file_stats.h"
#include "views/control_view.h"
#include "views/detail_view.h"
#include "views/folder_dialog.h"
#include "views/multi_project_dialog.h"
#include "views/project_dialog.h"
#include "views/quote_dialog.h"
#include "views/welcome_dialog.h"
#include "workspace/folder.h"
#include "workspace/project.h"

using namespace codeburg;

namespace {

const QString kShots = QStringLiteral(CODEBURG_BINARY_DIR "/screenshots/");

void MakeSources(const QString& directory, int files)
{
    QDir().mkpath(directory);
    for (int i = 0; i < files; ++i) {
        QFile file(QStringLiteral("%1/unit%2.cpp").arg(directory).arg(i));
        file.open(QIODevice::WriteOnly);
        file.write("// a unit\nint Twice(int x)\n{\n    return 2 * x;\n}\n");
    }
}

QStringList ChildTexts(QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& text)
{
    const auto items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.first();
}

void Shoot(QWidget* widget, const QString& name)
{
    QDir().mkpath(kShots);
    if (qobject_cast<QDialog*>(widget)) widget->adjustSize();
    widget->grab().save(kShots + name + QStringLiteral(".png"));
}

}  // namespace

class PrjViewTest : public QObject {
    Q_OBJECT

private:
    ScriptedInteraction m_ui;
    std::unique_ptr<CCodeburgApp> m_app;
    QTemporaryDir m_sources;

    CPrjView* view() const { return m_app->mainFrame()->treeView(); }
    QTreeWidget* tree() const { return view()->tree(); }
    Folder& root() const { return m_app->document()->root(); }

    void start(const QStringList& arguments = {})
    {
        WriteProfileInt("MAIN", "FIRSTTIME", 0);
        WriteProfileInt("MAIN", "LOADMOSTRECENT", 0);
        WriteProfileInt("Quote", "StartUp", 1);
        m_app = std::make_unique<CCodeburgApp>();
        QVERIFY(m_app->initInstance(arguments));
        QCoreApplication::processEvents();
    }

    // Adds a project through the real dialog, filled the way a user would.
    Project* addProject(const QString& name, const QString& directory, bool buildIt = false)
    {
        m_ui.onDialog = [&](QDialog* dialog) {
            auto* d = qobject_cast<ProjectDialog*>(dialog);
            d->directoryEdit()->setText(directory);
            d->nameEdit()->setText(name);
            d->buildCheck()->setChecked(buildIt);
            return PressOk(d);
        };
        view()->handleCommand(cmd::kAddProject);
        m_ui.onDialog = nullptr;
        return view()->selectedProject();
    }

private slots:
    void init()
    {
        ClearProfile();
        m_ui = ScriptedInteraction();
        InstallInteraction(&m_ui);
        start();
    }
    void cleanup()
    {
        m_app.reset();
        InstallInteraction(nullptr);
        InstallToolsRegistry(nullptr);
    }

    void emptyWorkspaceShowsItsItems()
    {
        QTreeWidgetItem* workspace = tree()->topLevelItem(0);
        QCOMPARE(workspace->text(0), QString("Workspace 'Untitled': 0 project(s)"));
        QVERIFY(workspace->isExpanded());
        QCOMPARE(ChildTexts(workspace), QStringList({"Projects"}));
        QCOMPARE(ChildTexts(workspace->child(0)), QStringList({"Overall = 0%"}));

        // Build and Rebuild are greyed in the popup while there is no project.
        std::unique_ptr<QMenu> menu(view()->contextMenuFor(workspace));
        QCOMPARE(menu->objectName(), QString("menu134"));
        const auto actions = menu->actions();
        QCOMPARE(actions[2]->text(), QString("&Build projects"));
        QVERIFY(!actions[2]->isEnabled());
        QVERIFY(!actions[3]->isEnabled());
        QVERIFY(!view()->contextMenuFor(workspace->child(0)->child(0)));
    }

    void addingAProjectShowsItsLinesAndSelectsIt()
    {
        const QString dir = m_sources.filePath("core");
        MakeSources(dir, 3);
        tree()->setCurrentItem(FindItem(tree(), "Projects"));
        Project* project = addProject("core", dir);
        QVERIFY(project);
        QCOMPARE(QString::fromStdString(project->parent->name), QString("Projects"));
        QCOMPARE(view()->currentProject(), project);
        QCOMPARE(QString::fromStdString(project->extensions), QString("cpp,cc"));
        QVERIFY(m_app->document()->title().endsWith('*'));

        QTreeWidgetItem* item = FindItem(tree(), "core (0%)");
        QVERIFY(item);
        QCOMPARE(ChildTexts(item),
                 QStringList({"Directory = " + dir,
                              "Excluded directories = ", "Excluded files = stdafx.cpp",
                              "Extensions = cpp,cc", "Last build = ", "Files = 0", "eLoc = 0"}));
        QCOMPARE(tree()->topLevelItem(0)->text(0), QString("Workspace 'Untitled': 1 project(s)"));
        QCOMPARE(ProfileString("Untitled", "CURRENTPRJID"), QString("core0"));
        FindItem(tree(), "core (0%)")->setExpanded(true);
        m_app->mainFrame()->resize(1000, 700);
        QCoreApplication::processEvents();
        Shoot(m_app->mainFrame(), "main_window");
    }

    void projectDialogValidatesAndNamesFromTheBrowsedDirectory()
    {
        ProjectDialog dialog(&m_app->settings(), nullptr, &root(), nullptr);
        QCOMPARE(dialog.windowTitle(), QString("Add project in \"workspace (no folder)\""));
        QCOMPARE(dialog.excludedFilesEdit()->text(), QString("stdafx.cpp"));
        QVERIFY(dialog.buildCheck()->isChecked());
        QCOMPARE(PressOk(&dialog), int(QDialog::Rejected));
        QCOMPARE(m_ui.messages.last(), QString("Please enter a project name"));
        dialog.nameEdit()->setText("x");
        QCOMPARE(PressOk(&dialog), int(QDialog::Rejected));
        QVERIFY(m_ui.messages.last().startsWith("Please enter a project directory."));

        m_ui.directories = {"/somewhere/src/alpha"};
        dialog.browse();
        QCOMPARE(dialog.directoryEdit()->text(), QString("/somewhere/src/alpha"));
        QCOMPARE(dialog.nameEdit()->text(), QString("alpha"));
        dialog.extensionsEdit()->clear();
        dialog.buildCheck()->setChecked(false);
        Shoot(&dialog, "project_dialog");
        QCOMPARE(PressOk(&dialog), int(QDialog::Accepted));
        auto project = dialog.takeProject();
        QCOMPARE(QString::fromStdString(project->extensions), QString("c,cpp,cc,java"));
        QVERIFY(project->expanded);
    }

    void editingAProjectKeepsItsPlaceAndBuildsOnlyWhenAsked()
    {
        Project* project = addProject("core", m_sources.path());
        ProjectDialog dialog(&m_app->settings(), project, project->parent, nullptr);
        QCOMPARE(dialog.windowTitle(), QString("Edit project \"core\""));
        QCOMPARE(dialog.buildCheck()->text(), QString("Rebuild project"));
        QVERIFY(!dialog.buildCheck()->isChecked());
        dialog.developerEdit()->setText("Ada");
        QCOMPARE(PressOk(&dialog), int(QDialog::Accepted));
        QVERIFY(!dialog.takeProject());
        QCOMPARE(QString::fromStdString(project->developer), QString("Ada"));
        QVERIFY(project->lastBuild.empty());
    }

    void methodRuleCheckBoxRebuildsAndTheHintNamesIt()
    {
        const QString dir = m_sources.filePath("ns");
        QDir().mkpath(dir);
        QFile file(dir + QStringLiteral("/ns.cpp"));
        file.open(QIODevice::WriteOnly);
        for (int i = 0; i < 30; ++i)
            file.write(QStringLiteral("namespace n {\nint f%1() {\n    return 1;\n}\nint x;\n}\n")
                           .arg(i)
                           .toUtf8());
        file.close();
        Project* project = addProject("ns", dir);
        view()->handleCommand(cmd::kRebuildAll);
        const QString message = m_app->mainFrame()->messageText();
        QVERIFY2(message.startsWith("Build complete. ns: 30 function bodies inside namespaces or "
                                    "class bodies were not counted as methods; tick \"Find "
                                    "methods inside namespaces and class bodies\""),
                 qPrintable(message));
        QCOMPARE(project->stats->measures.totalMethods, 0);
        CDetailView* details = m_app->mainFrame()->detailsView();
        details->resize(900, 300);
        Shoot(details, "details_view_hint");

        ProjectDialog dialog(&m_app->settings(), project, project->parent, nullptr);
        QCOMPARE(dialog.methodRuleCheck()->text(),
                 QString("Find methods inside namespaces and class bodies"));
        QVERIFY(!dialog.methodRuleCheck()->toolTip().isEmpty());
        QVERIFY(!dialog.methodRuleCheck()->isChecked());
        QVERIFY(!dialog.buildCheck()->isChecked());
        dialog.methodRuleCheck()->setChecked(true);
        project->lastBuild.clear();
        QCOMPARE(PressOk(&dialog), int(QDialog::Accepted));
        QCOMPARE(project->methods, MethodRule::Modern);
        QVERIFY(!project->lastBuild.empty());  // rebuilt without being asked
        QCOMPARE(project->stats->measures.totalMethods, 30);
        QVERIFY(ModernRuleHint(*project->stats).isEmpty());

        ProjectDialog again(&m_app->settings(), project, project->parent, nullptr);
        QVERIFY(again.methodRuleCheck()->isChecked());
        project->lastBuild.clear();
        QCOMPARE(PressOk(&again), int(QDialog::Accepted));
        QVERIFY(project->lastBuild.empty());  // nothing changed, nothing built
    }

    // A rule changed in the project's properties rebuilds it: every view is
    // then given the new records, not only those of a build asked for.
    void ruleChangedInPropertiesRefreshesTheViews()
    {
        const QString dir = m_sources.filePath("props");
        QDir().mkpath(dir);
        QFile file(dir + QStringLiteral("/ns.cpp"));
        file.open(QIODevice::WriteOnly);
        file.write("namespace n {\nint f() {\n    return 1;\n}\nint g() {\n    return 2;\n}\n}\n");
        file.close();
        addProject("props", dir, true);
        QComboBox* methods = m_app->mainFrame()->controlView()->methodList();
        QCOMPARE(methods->count(), 1);  // "<all>" only

        m_ui.onDialog = [&](QDialog* dialog) {
            auto* d = qobject_cast<ProjectDialog*>(dialog);
            d->methodRuleCheck()->setChecked(true);
            return PressOk(d);
        };
        view()->handleCommand(cmd::kProperties);
        m_ui.onDialog = nullptr;
        QCOMPARE(methods->count(), 3);
    }

    void deletingAProjectAsksFirst()
    {
        Project* project = addProject("core", m_sources.path());
        QCOMPARE(view()->currentProject(), project);
        m_ui.answers = {QMessageBox::No};
        view()->handleCommand(cmd::kDelete);
        QCOMPARE(m_ui.messages.last(), QString("Do you really want to delete project \"core\" ?"));
        QCOMPARE(m_ui.captions.last(), QString("Confirm"));
        QCOMPARE(root().CountProjects(true), 1);

        m_ui.answers = {QMessageBox::Yes};
        view()->handleCommand(cmd::kDelete);
        QCOMPARE(root().CountProjects(true), 0);
        QCOMPARE(view()->currentProject(), nullptr);
        QVERIFY(!FindItem(tree(), "core (0%)"));
    }

    void deletingTheFolderOfTheCurrentProjectClearsIt()
    {
        tree()->setCurrentItem(FindItem(tree(), "Projects"));
        addProject("core", m_sources.path());
        QVERIFY(view()->currentProject());
        tree()->setCurrentItem(FindItem(tree(), "Projects"));
        m_ui.answers = {QMessageBox::Yes};
        view()->handleCommand(cmd::kDelete);
        QCOMPARE(m_ui.messages.last(),
                 QString("Do you really want to delete folder \"Projects\" ?"));
        QCOMPARE(view()->currentProject(), nullptr);
        QVERIFY(root().subfolders.empty());
        QCOMPARE(m_app->mainFrame()->cityView()->lastHint(), 0);
    }

    void newFolderAsksAboutAnEmptyBaseDirectory()
    {
        tree()->setCurrentItem(tree()->topLevelItem(0));
        m_ui.onDialog = [&](QDialog* dialog) {
            auto* d = qobject_cast<FolderDialog*>(dialog);
            d->nameEdit()->setText("tools");
            m_ui.answers = {QMessageBox::No};
            if (PressOk(d) == QDialog::Accepted) return int(QDialog::Accepted);
            m_ui.answers = {QMessageBox::Yes};
            Shoot(d, "folder_dialog");
            return PressOk(d);
        };
        view()->handleCommand(cmd::kNewFolder);
        QVERIFY(m_ui.saw("Do you really want to leave it empty ?"));
        QCOMPARE(int(root().subfolders.size()), 2);
        QCOMPARE(QString::fromStdString(root().subfolders[1]->name), QString("tools"));
        QVERIFY(FindItem(tree(), "tools")->isExpanded() || root().subfolders[1]->expanded);

        FolderDialog unnamed(&root(), nullptr, nullptr);
        QCOMPARE(PressOk(&unnamed), int(QDialog::Rejected));
        QCOMPARE(m_ui.messages.last(), QString("Please enter a folder name"));
    }

    void addMultipleProjectsAtLevelOneAndTwo()
    {
        QTemporaryDir rootDir;
        for (const char* path : {"a/x", "a/y", "b", ".git/z"})
            QDir().mkpath(rootDir.filePath(path));
        const QStringList level1 = ProjectsToAddDialog::Candidates(rootDir.path(), 1);
        QCOMPARE(level1.size(), 2);  // a and b, not .git

        ProjectsToAddDialog companion(rootDir.path(), 2, nullptr);
        QCOMPARE(companion.list()->count(), 2);
        QCOMPARE(companion.selectedPaths().size(), 2);
        companion.selectNone();
        QVERIFY(companion.selectedPaths().isEmpty());
        Shoot(&companion, "projects_to_add_dialog");

        tree()->setCurrentItem(FindItem(tree(), "Projects"));
        m_ui.onDialog = [&](QDialog* dialog) {
            if (auto* multi = qobject_cast<MultiProjectDialog*>(dialog)) {
                multi->rootEdit()->setText(rootDir.path());
                multi->level2()->setChecked(true);
                multi->methodRuleCheck()->setChecked(true);
                Shoot(multi, "multi_project_dialog");
                return PressOk(multi);
            }
            auto* list = qobject_cast<ProjectsToAddDialog*>(dialog);
            list->selectNone();
            list->list()->item(0)->setSelected(true);  // a/x only
            return PressOk(list);
        };
        view()->handleCommand(cmd::kAddMultipleProjects);
        Folder* projects = root().subfolders[0].get();
        QCOMPARE(int(projects->subfolders.size()), 2);  // a and b, b without projects
        // Folders come in the order the file system lists the directories.
        const bool aFirst = projects->subfolders[0]->name == "a";
        Folder* a = projects->subfolders[aFirst ? 0 : 1].get();
        Folder* b = projects->subfolders[aFirst ? 1 : 0].get();
        QCOMPARE(QString::fromStdString(b->name), QString("b"));
        QCOMPARE(a->CountProjects(false), 1);
        QCOMPARE(QString::fromStdString(a->projects[0]->name), QString("x"));
        QCOMPARE(a->projects[0]->methods, MethodRule::Modern);
        QCOMPARE(b->CountProjects(false), 0);
        QCOMPARE(b->baseDirectory, rootDir.filePath("b").toStdString());
        QVERIFY(m_app->document()->isModified());
    }

    void buildShowsProgressAndKeepsTheSelection()
    {
        const QString dir = m_sources.filePath("big");
        MakeSources(dir, 40);
        Project* project = addProject("big", dir);
        struct ShowWatcher : QObject {
            bool shown = false;
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == QEvent::Show) shown = true;
                return false;
            }
        } watcher;
        view()->progressBar()->installEventFilter(&watcher);
        QSignalSpy steps(view(), &CPrjView::buildStepped);
        view()->handleCommand(cmd::kRebuildAll);
        QVERIFY(watcher.shown);
        // Each scanned file moves the bar on (when the pipeline reports files).
        for (int i = 1; i < steps.count(); ++i) {
            QVERIFY(steps[i][0].toInt() >= steps[i - 1][0].toInt());
        }
        QVERIFY(!view()->progressBar()->isVisible());
        QCOMPARE(m_app->mainFrame()->messageText(), QString("Build complete."));
        QCOMPARE(view()->selectedProject(), project);
        QVERIFY(!project->lastBuild.empty());
        QVERIFY(FindItem(tree(), "Last build = " + QString::fromStdString(project->lastBuild)));
        QCOMPARE(m_app->mainFrame()->cityView()->lastHint(), 1);
        QVERIFY(!m_app->mainFrame()->isBusy());
        FindItem(tree(), QString::fromStdString(project->name) + " (" +
                             QString::number(project->Percent()) + "%)")
            ->setExpanded(true);
        m_app->mainFrame()->resize(1000, 700);
        QCoreApplication::processEvents();
        Shoot(m_app->mainFrame(), "main_window_built");
    }

    // A measurement rather than a test: run by bench/gui_build_bench.sh with a
    // large source tree. A 10 ms timer stands for the window's repaints: it
    // can only fire when the build lets the event loop run.
    void responsivenessDuringALargeBuild()
    {
        const QByteArray dir = qgetenv("CODEBURG_BENCH_BUILD_DIR");
        if (dir.isEmpty()) QSKIP("set CODEBURG_BENCH_BUILD_DIR (bench/gui_build_bench.sh)");
        Project* project = addProject("bench", QString::fromLocal8Bit(dir));
        QVERIFY(project);
        const QByteArray ext = qgetenv("CODEBURG_BENCH_BUILD_EXT");
        if (!ext.isEmpty()) project->extensions = ext.toStdString();

        QElapsedTimer clock;
        qint64 last = 0, longest = 0, ticks = 0, over100 = 0, paints = 0;
        QTimer timer;
        QString lastText;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            const QString text = m_app->mainFrame()->messageText();
            longest = qMax(longest, now - last);
            if (now - last > 100) {
                ++over100;
                std::printf("  %lld ms from \"%s\" to \"%s\"\n", now - last, qPrintable(lastText),
                            qPrintable(text));
            }
            last = now;
            lastText = text;
            ++ticks;
        });
        struct PaintCounter : QObject {
            qint64* count;
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == QEvent::Paint) ++*count;
                return false;
            }
        } counter;
        counter.count = &paints;
        view()->progressBar()->installEventFilter(&counter);
        clock.start();
        timer.start(10);
        view()->handleCommand(cmd::kRebuildAll);
        const qint64 total = clock.elapsed();
        timer.stop();
        longest = qMax(longest, total - last);
        if (total - last > 100)
            std::printf("  %lld ms from \"%s\" to the end\n", total - last, qPrintable(lastText));
        std::printf(
            "build %.2f s, %lld timer ticks, longest interval without the event loop "
            "%lld ms, %lld intervals over 100 ms, %lld progress bar paints\n",
            total / 1000.0, ticks, longest, over100, paints);
        QCOMPARE(m_app->mainFrame()->messageText(), QString("Build complete."));
    }

    // A save that fails is shown, and the project keeps its last build;
    // files left out are counted in the status bar.
    void failedSaveAndLeftOutFilesAreShown()
    {
        const QString dir = m_sources.filePath("full");
        MakeSources(dir, 3);
        QFile huge(dir + "/huge.cpp");
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize((qint64(1) << 30) + 1));  // sparse: costs no room
        huge.close();
        Project* project = addProject("full", dir);
        QVERIFY(project);
        QVERIFY(QDir().mkpath(dir + "/full.cbb"));
        view()->handleCommand(cmd::kBuild);
        QVERIFY(m_ui.saw("cannot write statistics file " + dir + "/full.cbb: it is a directory"));
        QVERIFY(project->lastBuild.empty());

        QVERIFY(QDir(dir + "/full.cbb").removeRecursively());
        view()->handleCommand(cmd::kBuild);
        QVERIFY(!project->lastBuild.empty());
        const QString status = m_app->mainFrame()->messageText();
        QVERIFY2(status.startsWith("Build complete. 1 file or folder was left out: " + dir +
                                   "/huge.cpp (file too large"),
                 qPrintable(status));
    }

    void cancelLeavesTheOldStatistics()
    {
        const QString dir = m_sources.filePath("cancel");
        MakeSources(dir, 60);
        Project* project = addProject("cancel", dir);
        view()->handleCommand(cmd::kRebuildAll);
        const std::string stamp = project->lastBuild;
        const FileStats* first = project->stats->files.front().get();
        QFile saved(QString::fromStdString(project->StatisticsPath()));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        saved.close();

        // Cancel by its button, then by Esc, a few files into the build.
        for (bool escape : {false, true}) {
            MakeSources(dir + (escape ? "/more" : "/extra"), 5);
            bool clicked = false;
            auto connection = connect(view(), &CPrjView::buildStepped, this, [&](int position) {
                if (clicked || position < 3) return;
                clicked = true;
                QVERIFY(view()->cancelButton()->isVisible());
                // Other clicks and keys of the window go nowhere meanwhile.
                QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
                QTest::keyClick(tree(), Qt::Key_Down);
                if (escape)
                    QTest::keyClick(tree(), Qt::Key_Escape);
                else
                    QTest::mouseClick(view()->cancelButton(), Qt::LeftButton);
            });
            view()->handleCommand(cmd::kRebuildAll);
            disconnect(connection);
            QVERIFY(clicked);
            QCOMPARE(m_app->mainFrame()->messageText(), QString("Build cancelled."));
            QCOMPARE(project->lastBuild, stamp);
            QCOMPARE(project->stats->files.size(), size_t(60));
            QCOMPARE(project->stats->files.front().get(), first);
            QCOMPARE(view()->selectedProject(), project);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), bytes);
            saved.close();
            QVERIFY(!view()->cancelButton()->isVisible());
            QVERIFY(!m_app->mainFrame()->isBusy());
        }
        // Not cancelled, the next build takes the new files.
        view()->handleCommand(cmd::kRebuildAll);
        QCOMPARE(m_app->mainFrame()->messageText(), QString("Build complete."));
        QCOMPARE(project->stats->files.size(), size_t(70));
    }

    void buildOfAMissingDirectoryStillEndsCleanly()
    {
        addProject("gone", m_sources.filePath("nowhere"));
        view()->handleCommand(cmd::kBuild);
        QCOMPARE(m_app->mainFrame()->messageText(), QString("Build complete."));
        QVERIFY(!view()->progressBar()->isVisible());
        QVERIFY(!m_app->mainFrame()->isBusy());
    }

    void startProjectIsSelectedByNameWithoutRegardToCase()
    {
        m_app.reset();
        start({"-prj=CORE"});
        addProject("other", m_sources.path());
        auto core = std::make_unique<Project>(&m_app->settings(), &root(), "core");
        Project* added = root().AddProject(std::move(core));
        view()->onInitialUpdate();
        QCOMPARE(view()->currentProject(), added);
    }

    void currentProjectComesBackFromTheProfile()
    {
        addProject("core", m_sources.path());
        QCOMPARE(ProfileString("Untitled", "CURRENTPRJID"), QString("core0"));
        tree()->setCurrentItem(tree()->topLevelItem(0));
        view()->onReset();
        QCOMPARE(view()->currentProject(), nullptr);
        view()->onInitialUpdate();
        QCOMPARE(QString::fromStdString(view()->currentProject()->name), QString("core"));
    }

    void firstStartWelcomesAndOffersTheQuote()
    {
        WriteProfileInt("MAIN", "FIRSTTIME", 1);
        WriteProfileInt("Quote", "StartUp", 0);
        m_ui.onDialog = [&](QDialog* dialog) {
            Shoot(dialog, dialog->objectName().toLower());
            return int(QDialog::Rejected);
        };
        view()->runStartupChecks();
        QCOMPARE(m_ui.dialogs, QStringList({"WelcomeDialog", "QuoteDialog"}));
        QCOMPARE(ProfileInt("MAIN", "FIRSTTIME", 1), 0);

        // Not the first start any more, and the quote switched off.
        m_ui.dialogs.clear();
        WriteProfileInt("Quote", "StartUp", 1);
        const int index = ProfileInt("Quote", "Index", 0);
        view()->runStartupChecks();
        QVERIFY(m_ui.dialogs.isEmpty());
        QCOMPARE(ProfileInt("Quote", "Index", 0), (index + 1) % kQuoteCount);
    }

    void welcomeLeadsIntoAddingTheFirstProject()
    {
        WriteProfileInt("MAIN", "FIRSTTIME", 1);
        QString title;
        m_ui.onDialog = [&](QDialog* dialog) {
            if (qobject_cast<WelcomeDialog*>(dialog)) return int(QDialog::Accepted);
            if (auto* d = qobject_cast<ProjectDialog*>(dialog)) {
                title = d->windowTitle();
                d->nameEdit()->setText("first");
                d->directoryEdit()->setText(m_sources.path());
                d->buildCheck()->setChecked(false);
                return PressOk(d);
            }
            return int(QDialog::Rejected);
        };
        view()->runStartupChecks();
        QCOMPARE(title, QString("Add project in \"Projects\""));
        QCOMPARE(root().subfolders[0]->CountProjects(false), 1);
    }

    void quoteRotatesAndRemembersTheCheckBox()
    {
        WriteProfileInt("Quote", "Index", 41);
        {
            QuoteDialog dialog;
            QCOMPARE(dialog.quote(), QString::fromUtf8(QuoteText(41)));
            dialog.nextQuote();
            QCOMPARE(dialog.quote(), QString::fromUtf8(QuoteText(0)));
            QVERIFY(!dialog.startupCheck()->isChecked());  // StartUp = 1 from init
            dialog.startupCheck()->setChecked(true);
            dialog.accept();
        }
        QCOMPARE(ProfileInt("Quote", "Index", -1), 1);
        QCOMPARE(ProfileInt("Quote", "StartUp", -1), 0);
        QuoteDialog again;
        again.startupCheck()->setChecked(false);
        again.accept();
        QCOMPARE(ProfileInt("Quote", "StartUp", -1), 1);
        for (int i = 0; i < kQuoteCount; ++i) QVERIFY(QString(QuoteText(i)).contains("\n\n"));
    }

    void ideToolsCheckAgainstAnInInMemoryRegistry()
    {
        InMemoryRegistry registry;
        const std::string exe = "/opt/codeburg/codeburg";
        // Neither environment: nothing to ask, nothing written.
        QVERIFY(IdeToolsStartupCheck(registry, exe));
        QCOMPARE(ProfileInt("MAIN", "TOOLDONTASK", -1), -1);

        const std::string vc6 = IdeKey(Ide::Vc6);
        const std::string vc7 = IdeKey(Ide::Vc7);
        registry.CreateKey(vc6);
        registry.CreateKey(vc7);
        registry.WriteInteger(vc6, "NumTools", 0);
        registry.WriteInteger(vc7, "ToolNumKeys", 2);
        registry.WriteString(vc7, "ToolTitle0", "Other");
        registry.WriteString(vc7, "ToolTitle1", "Codeburg");
        QVERIFY(!IdeToolsStartupCheck(registry, exe));  // 6.0 lacks the entry
        // 7.0 already had it: refreshed in place, count unchanged.
        QCOMPARE(registry.ReadString(vc7, "ToolCmd1").value_or(""), exe);
        QCOMPARE(registry.ReadInteger(vc7, "ToolNumKeys").value_or(0), 2u);
        QCOMPARE(registry.ReadInteger(vc7, "ToolOpt1").value_or(0), 17u);

        InstallToolsRegistry(&registry);
        IdeToolsDialog dialog(registry, nullptr);
        QVERIFY(dialog.vc6Check()->isEnabled() && dialog.vc7Check()->isEnabled());
        Shoot(&dialog, "ide_tools_dialog");
        dialog.vc6Check()->setChecked(false);
        dialog.vc7Check()->setChecked(false);
        dialog.accept();
        QCOMPARE(m_ui.messages.last(), QString("Please select at least one environment"));
        dialog.vc6Check()->setChecked(true);
        dialog.accept();
        QCOMPARE(registry.ReadInteger(vc6, "NumTools").value_or(0), 1u);
        QCOMPARE(registry.ReadString(vc6, "MenuName#0").value_or(""), std::string("Codeburg"));
        QCOMPARE(registry.ReadString(vc6, "DefaultArguments#0").value_or(""),
                 std::string("-prj=$(TargetName)"));
        QCOMPARE(registry.ReadInteger(vc6, "GUITool#0").value_or(0), 1u);
        QCOMPARE(ProfileInt("MAIN", "TOOLDONTASK", -1), 0);
        QVERIFY(IdeToolsStartupCheck(registry, exe));

        // "Don't ask me again" on Cancel stops the questions.
        InMemoryRegistry fresh;
        fresh.CreateKey(vc7);
        fresh.WriteInteger(vc7, "ToolNumKeys", 0);
        IdeToolsDialog cancel(fresh, nullptr);
        QVERIFY(!cancel.vc6Check()->isEnabled());
        cancel.dontAskCheck()->setChecked(true);
        cancel.reject();
        QVERIFY(IdeToolsStartupCheck(fresh, exe));
    }
};

CB_GUI_TEST_MAIN(PrjViewTest)
#include "prj_view_test.moc"
