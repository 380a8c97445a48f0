#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include "app/codeburg_app.h"
#include "app/main_frame.h"
#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/gui_test_support.h"
#include "gui/profile.h"
#include "platform/ini_file.h"
#include "scoring/scoring_settings.h"
#include "views/city_view_interface.h"
#include "views/control_view.h"
#include "views/desktop_opener.h"
#include "views/detail_view.h"
#include "views/dev_view.h"
#include "views/methods_dialog.h"
#include "views/preferences_dialog.h"
#include "views/print_job.h"
#include "views/prj_view.h"
#include "views/stats_view.h"
#include "views/view_support.h"
#include "workspace/folder.h"
#include "workspace/project.h"

using namespace codeburg;

namespace {

const QString kShots = QStringLiteral(CODEBURG_BINARY_DIR "/screenshots/");

void Shoot(QWidget* widget, const QString& name)
{
    QDir().mkpath(kShots);
    widget->grab().save(kShots + name + QStringLiteral(".png"));
}

struct FileSpec {
    const char* name;
    int lines, comments, asserts, empty, includes;
    std::vector<std::tuple<const char*, const char*, int, int>>
        methods;  // class, name, params, eloc
};

QStringList Column(QTreeWidget* list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

QString RunTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Records what the control strip asks of the city.
struct FakeCity : CityViewInterface {
    QStringList calls;
    std::optional<std::string> viewpoint = "10 20 30";
    void SetFilter(FilterKind kind, const std::string& file, const std::string& cls,
                   const std::string& method) override
    {
        calls << QString("filter %1 %2|%3|%4")
                     .arg(static_cast<int>(kind))
                     .arg(QString::fromStdString(file), QString::fromStdString(cls),
                          QString::fromStdString(method));
    }
    std::optional<std::string> CurrentViewpoint() const override { return viewpoint; }
    void MoveToViewpoint(const std::string& text) override
    {
        calls << "move " + QString::fromStdString(text);
    }
    bool IsInitialised() const override { return true; }
    void ShowMap() override { calls << "map"; }
};

QStringList Items(QComboBox* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    return texts;
}

void Pick(QComboBox* list, const QString& text, int occurrence = 0)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemText(i) == text && occurrence-- == 0) {
            list->setCurrentIndex(i);
            emit list->activated(i);
            return;
        }
    }
    QFAIL(qPrintable("no item " + text));
}

}  // namespace

class PanesTest : public QObject {
    Q_OBJECT

private:
    ScriptedInteraction m_ui;
    std::unique_ptr<CCodeburgApp> m_app;
    QTemporaryDir m_sources;
    QStringList m_opened;

    CMainFrame* frame() const { return m_app->mainFrame(); }
    CPrjView* tree() const { return frame()->treeView(); }
    CDetailView* details() const { return frame()->detailsView(); }
    Folder& root() const { return m_app->document()->root(); }

    Project* addProject(Folder& folder, const std::string& name, const std::string& developer,
                        const std::vector<FileSpec>& files)
    {
        auto project = std::make_unique<Project>(&m_app->settings(), &folder, name);
        project->developer = developer;
        project->directory = m_sources.filePath(QString::fromStdString(name)).toStdString();
        project->lastBuild = "12/01/26 at 10:00:00";
        QDir().mkpath(QString::fromStdString(project->directory));
        for (const FileSpec& fileSpec : files) {
            auto file = std::make_unique<FileStats>(fileSpec.name, 25, 0u);
            file->lines = fileSpec.lines;
            file->commentLines = fileSpec.comments;
            file->asserts = fileSpec.asserts;
            file->emptyLines = fileSpec.empty;
            file->includes = fileSpec.includes;
            for (const auto& [cls, method, params, eloc] : fileSpec.methods) {
                file->FindOrCreateClass(cls);
                file->AddMethod(cls, method, params);
                file->FinishMethod(eloc, 1, 0, 1);
            }
            project->stats->files.push_back(std::move(file));
            QFile source(QString::fromStdString(project->directory + "/" + fileSpec.name));
            source.open(QIODevice::WriteOnly);
        }
        project->stats->ComputeMeasures(false);
        Project* added = folder.AddProject(std::move(project));
        m_app->document()->updateAllViews(nullptr, UpdateHint::WorkspaceChanged);
        return added;
    }

    Project* demoProject()
    {
        return addProject(
            root(), "demo", "Ada",
            {{"b.cpp", 100, 20, 2, 10, 3, {{"B", "run", 2, 30}, {"", "helper", 0, 12}}},
             {"a.cpp", 40, 0, 0, 4, 1, {{"A", "go", 1, 20}}},
             {"C.cpp", 300, 30, 9, 30, 7, {{"B", "stop", 3, 60}}},
             {"empty.cpp", 5, 3, 1, 1, 0, {}}});
    }

    void makeCurrent(Project* project)
    {
        tree()->setCurrentProject(project, UpdateHint::CurrentProjectChanged);
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        ClearProfile();
        m_ui = ScriptedInteraction();
        m_opened.clear();
        InstallInteraction(&m_ui);
        SetSourceOpener([this](const QString& path) {
            m_opened << path;
            return true;
        });
        WriteProfileInt("MAIN", "FIRSTTIME", 0);
        WriteProfileInt("MAIN", "LOADMOSTRECENT", 0);
        WriteProfileInt("Quote", "StartUp", 0);
        m_app = std::make_unique<CCodeburgApp>();
        QVERIFY(m_app->initInstance({}));
        frame()->resize(1100, 720);
        QCoreApplication::processEvents();
        m_ui.dialogs.clear();  // the start-up checks had their turn
        m_ui.messages.clear();
    }
    void cleanup()
    {
        m_app.reset();
        SetSourceOpener(nullptr);
        InstallInteraction(nullptr);
    }

    void detailsListShowsFilesAndTotal()
    {
        QCOMPARE(details()->list()->topLevelItemCount(), 0);  // no current project
        makeCurrent(demoProject());
        QTreeWidget* list = details()->list();
        QCOMPARE(Column(list, 0), QStringList({"C.cpp", "a.cpp", "b.cpp", "empty.cpp", "TOTAL"}));
        QTreeWidgetItem* b = list->topLevelItem(2);
        // Meth, Lines, Eloc (100 - 2 - 20 - 10), ..., eloc/meth 42 / 2.
        QCOMPARE(b->text(1), QString("2"));
        QCOMPARE(b->text(3), QString("68"));
        QCOMPARE(b->text(8), QString("1"));  // "B"; a method without class adds none
        QCOMPARE(b->text(10), QString("21.0"));
        QCOMPARE(b->text(11), QString("29"));
        QCOMPARE(b->text(12), QString("2.9"));
        QTreeWidgetItem* empty = list->topLevelItem(3);
        QCOMPARE(empty->text(1), QString("0"));
        QCOMPARE(empty->text(3), QString("0"));
        QCOMPARE(empty->text(10), QString("0.0"));
        QCOMPARE(empty->text(11), QString("0"));
        QCOMPARE(empty->text(12), QString("0.0"));
        QTreeWidgetItem* total = list->topLevelItem(4);
        QCOMPARE(total->text(1), QString("4"));
        QCOMPARE(total->text(2), QString("445"));
        QCOMPARE(total->text(9), QString("60"));
        QVERIFY(total->text(12).contains('.'));
        QCOMPARE(total->text(12).split('.').last().size(), 2);
        details()->resize(900, 500);
        Shoot(details(), "details_view");
    }

    void projectNeverBuiltShowsOnlyTotals()
    {
        Project* project = addProject(root(), "fresh", "", {});
        project->lastBuild.clear();
        makeCurrent(project);
        QCOMPARE(Column(details()->list(), 0), QStringList({"TOTAL"}));
        QCOMPARE(details()->list()->topLevelItem(0)->text(2), QString("0"));
        details()->openMethods();  // the TOTAL row has no methods to show
        QVERIFY(m_ui.dialogs.isEmpty());
        details()->resize(300, 4);  // a pane a few pixels high
        Shoot(details(), "details_view_tiny");
        makeCurrent(nullptr);
        QCOMPARE(details()->list()->topLevelItemCount(), 0);
    }

    void everyDetailsColumnSortsBothWaysWithTotalLast()
    {
        makeCurrent(demoProject());
        QTreeWidget* list = details()->list();
        for (int column = 0; column < CDetailView::kColumns; ++column) {
            for (int pass = 0; pass < 2; ++pass) {
                details()->onHeaderClicked(column);
                const bool descending = details()->sortState().descending();
                QCOMPARE(list->topLevelItem(4)->text(0), QString("TOTAL"));
                for (int row = 0; row + 1 < 4; ++row) {
                    auto* a = details()->list()->topLevelItem(row);
                    auto* b = details()->list()->topLevelItem(row + 1);
                    if (column == 0) {
                        const int order = a->text(0).toUtf8().compare(b->text(0).toUtf8());
                        QVERIFY(descending ? order >= 0 : order <= 0);
                    } else {
                        const double x = a->text(column).toDouble(), y = b->text(column).toDouble();
                        QVERIFY2(descending ? x >= y : x <= y,
                                 qPrintable(QString("column %1 row %2").arg(column).arg(row)));
                    }
                }
            }
        }
        // The last sort column goes to the profile with the view.
        m_app.reset();
        QCOMPARE(ProfileInt("DETAILVIEW", "SORTIDX", -1), 12);
    }

    void storedSortColumnOrdersTheFirstFill()
    {
        m_app.reset();  // the view writes its sort column as it goes
        WriteProfileInt("DETAILVIEW", "SORTIDX", 2);
        m_app = std::make_unique<CCodeburgApp>();
        QVERIFY(m_app->initInstance({}));
        makeCurrent(demoProject());
        QCOMPARE(Column(details()->list(), 2), QStringList({"5", "40", "100", "300", "445"}));
    }

    void rebuildKeepsTheSelectedFileByName()
    {
        Project* project = demoProject();
        makeCurrent(project);
        QTreeWidget* list = details()->list();
        list->setCurrentItem(list->findItems("b.cpp", Qt::MatchExactly).first());
        QVERIFY(details()->editButton()->isEnabled());
        QVERIFY(details()->methodsButton()->isEnabled());
        // Same project, same build: the list keeps its rows.
        QTreeWidgetItem* before = list->topLevelItem(0);
        m_app->document()->updateAllViews(nullptr, UpdateHint::General);
        QCOMPARE(list->topLevelItem(0), before);
        // A new build stamp refills, the selection follows the name.
        std::rotate(project->stats->files.begin(), project->stats->files.begin() + 1,
                    project->stats->files.end());
        project->lastBuild = "12/02/26 at 11:00:00";
        tree()->setCurrentProject(project, UpdateHint::ProjectRebuilt);
        QCOMPARE(list->currentItem()->text(0), QString("b.cpp"));
        QVERIFY(list->currentItem()->isSelected());
        QCOMPARE(details()->selectedFile()->name, std::string("b.cpp"));
    }

    void editSourceOpensOrWarnsWhenMoved()
    {
        Project* project = demoProject();
        makeCurrent(project);
        QTreeWidget* list = details()->list();
        list->setCurrentItem(list->findItems("a.cpp", Qt::MatchExactly).first());
        details()->editSourceCode();
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(m_opened.first().endsWith("/demo/a.cpp"));
        QFile::remove(QString::fromStdString(project->directory + "/a.cpp"));
        details()->editSourceCode();
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_ui.messages.last(),
                 QString("a.cpp does not exist anymore. Please rebuild the project."));
        // The "TOTAL" row opens nothing and asks nothing.
        list->setCurrentItem(list->findItems("TOTAL", Qt::MatchExactly).first());
        details()->editSourceCode();
        QCOMPARE(m_ui.messages.size(), 1);
    }

    void editSourceFallsBackWhenTheDesktopHasNoProgram()
    {
        makeCurrent(demoProject());
        QTreeWidget* list = details()->list();
        list->setCurrentItem(list->findItems("a.cpp", Qt::MatchExactly).first());
        SetSourceOpener({});
        SetDesktopOpener([](const QString&) { return false; });
        QList<LaunchCommand> started;
        SetCommandStarter([&](const LaunchCommand& command) {
            started << command;
            return true;
        });
        qputenv("VISUAL", "myedit --wait");
        details()->editSourceCode();
        QCOMPARE(started.size(), 1);
        QVERIFY(started[0].arguments.last().endsWith("/demo/a.cpp"));
        QVERIFY(started[0].arguments.contains("myedit --wait \"$1\""));
        QVERIFY(
            m_ui.messages.last().startsWith("The desktop has no program set up to open a.cpp."));
        QVERIFY(m_ui.messages.last().contains("myedit --wait"));
        // Without an editor of the user's own, the box says how to get one.
        qunsetenv("VISUAL");
        const QByteArray editor = qgetenv("EDITOR");
        qunsetenv("EDITOR");
        details()->editSourceCode();
        QCOMPARE(started.size(), 1);
        QVERIFY(m_ui.messages.last().contains("VISUAL or EDITOR"));
        if (!editor.isEmpty()) qputenv("EDITOR", editor);
        SetDesktopOpener({});
        SetCommandStarter({});
    }

    void editorCommandRunsInATerminalWithThePathApart()
    {
        QProcessEnvironment env;
        auto none = [](const QString&) { return QString(); };
        QVERIFY(!EditorCommand("/p/a.cpp", env, none));
        env.insert("EDITOR", "vi");
        auto command = EditorCommand("/p/a b;rm.cpp", env, none);
        QVERIFY(command);
        QCOMPARE(command->program, QString("sh"));
        QCOMPARE(command->arguments, QStringList({"-c", "vi \"$1\"", "sh", "/p/a b;rm.cpp"}));
        env.insert("VISUAL", "gvim -f");  // VISUAL before EDITOR
        auto terminal = [](const QString& name) {
            return name == "xterm" ? QString("/usr/bin/xterm") : QString();
        };
        command = EditorCommand("/p/a.cpp", env, terminal);
        QCOMPARE(command->program, QString("/usr/bin/xterm"));
        QCOMPARE(command->arguments,
                 QStringList({"-e", "sh", "-c", "gvim -f \"$1\"", "sh", "/p/a.cpp"}));
        env.insert("TERMINAL", "kitty");
        auto kitty = [](const QString& name) {
            return name == "kitty" ? QString("/opt/kitty") : QString("/usr/bin/") + name;
        };
        QCOMPARE(EditorCommand("/p/a.cpp", env, kitty)->program, QString("/opt/kitty"));

        // A method's line goes to editors that take one, and to no other.
        QCOMPARE(EditorCommand("/p/a.cpp", env, none, 42)->arguments,
                 QStringList({"-c", "gvim -f +42 \"$1\"", "sh", "/p/a.cpp"}));
        env.insert("VISUAL", "/usr/local/bin/nano");
        QCOMPARE(EditorCommand("/p/a.cpp", env, none, 7)->arguments[1],
                 QString("/usr/local/bin/nano +7 \"$1\""));
        env.insert("VISUAL", "code --wait");
        QCOMPARE(EditorCommand("/p/a.cpp", env, none, 7)->arguments[1],
                 QString("code --wait \"$1\""));
        env.insert("VISUAL", "vim");
        QCOMPARE(EditorCommand("/p/a.cpp", env, none, 0)->arguments[1], QString("vim \"$1\""));
    }

    void newWorkspaceClearsTheScoreSheet()
    {
        makeCurrent(demoProject());
        frame()->layoutPanes(2);
        QCoreApplication::processEvents();
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == QEvent::Paint) ++paints;
                return false;
            }
        } counter;
        frame()->scoreView()->installEventFilter(&counter);
        m_app->document()->setModifiedFlag(false);
        QVERIFY(frame()->onCommand(cmd::kFileNew));
        QCoreApplication::processEvents();
        QVERIFY(counter.paints > 0);
        QCOMPARE(CurrentProject(frame()), nullptr);
        frame()->scoreView()->removeEventFilter(&counter);
    }

    void columnsFitTheirHeadersAndShowTheSortArrow()
    {
        makeCurrent(demoProject());
        QTreeWidget* list = details()->list();
        QHeaderView* header = list->header();
        for (int c = 0; c < header->count(); ++c)
            QVERIFY2(list->columnWidth(c) >= header->sectionSizeHint(c),
                     qPrintable(list->headerItem()->text(c)));
        QCOMPARE(header->sortIndicatorSection(), details()->sortState().column());
        details()->onHeaderClicked(4);
        QCOMPARE(header->sortIndicatorSection(), 4);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        details()->onHeaderClicked(4);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QTreeWidget* developers = frame()->devView()->findChild<QTreeWidget*>();
        for (int c = 0; c < developers->header()->count(); ++c)
            QVERIFY(developers->columnWidth(c) >= developers->header()->sectionSizeHint(c));
    }

    void cutNamesShowInFullAsTooltips()
    {
        static const std::string longName(70, 'x');
        const std::string name = longName + ".cpp";
        makeCurrent(addProject(root(), "long", "", {{name.c_str(), 10, 1, 0, 1, 0, {}}}));
        frame()->layoutPanes(3);
        QTreeWidget* list = details()->list();
        list->show();
        QCoreApplication::processEvents();
        QTreeWidgetItem* item = list->findItems(QString::fromStdString(name), Qt::MatchExactly)[0];
        const QRect cell = list->visualItemRect(item);
        QHelpEvent help(QEvent::ToolTip, cell.topLeft() + QPoint(10, 4),
                        list->viewport()->mapToGlobal(cell.topLeft() + QPoint(10, 4)));
        QCoreApplication::sendEvent(list->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QString::fromStdString(name));
        QToolTip::hideText();
        // A name that fits gets no tooltip of its own.
        QTreeWidgetItem* total = list->findItems("TOTAL", Qt::MatchExactly)[0];
        const QRect fits = list->visualItemRect(total);
        QHelpEvent short_(QEvent::ToolTip, fits.topLeft() + QPoint(10, 4),
                          list->viewport()->mapToGlobal(fits.topLeft() + QPoint(10, 4)));
        QCoreApplication::sendEvent(list->viewport(), &short_);
        QTRY_VERIFY(QToolTip::text().isEmpty() || !QToolTip::isVisible());

        // On paper the name is cut within its column: nothing is drawn in
        // the gap before the next one.
        QImage page(800, 600, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            details()->print(painter, false, 600);
        }
        for (int y = 14; y < 28; ++y)
            for (int x = 16 + 160 - 2; x < 16 + 160; ++x) QCOMPARE(qGray(page.pixel(x, y)), 255);
    }

    void longTopicValueDoesNotRunIntoTheWeight()
    {
        ScoringTopic topic = ScoringSettings().topics[0];
        topic.shownValue = 3090;
        topic.decimals = 0;
        topic.unit = "eloc";
        topic.weight = 0.75f;
        QImage image(900, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            CStatsView::DrawTopicRow(painter, QRect(0, 0, 750, 50), &topic, -1, true, frame());
        }
        // Ink columns right of the value's start: the widest gap between
        // them lies between the value and the weight and is clearly a gap.
        const int x1 = 16 + 175 + 750 * 32 / 100;
        int widestGap = 0, gap = 0;
        bool inked = false;
        for (int x = x1 + 90; x < image.width(); ++x) {
            bool ink = false;
            for (int y = 0; y < image.height(); ++y) ink = ink || qGray(image.pixel(x, y)) < 160;
            if (ink) {
                if (inked) widestGap = std::max(widestGap, gap);
                inked = true;
                gap = 0;
            } else {
                ++gap;
            }
        }
        QVERIFY2(widestGap >= 10, qPrintable(QString::number(widestGap)));
    }

    void darkPaletteTurnsTheGreysLight()
    {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        dark.setColor(QPalette::Button, QColor(50, 50, 50));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        for (int grey : {0, 30, 40, 60, 90}) {
            QCOMPARE(CStatsView::SheetColour(QColor(grey, grey, grey), true, dark),
                     QColor(grey, grey, grey));  // paper stays as it is
            QVERIFY(CStatsView::SheetColour(QColor(grey, grey, grey), false, dark).lightness() >=
                    255 - grey - 1);
            QCOMPARE(CStatsView::SheetColour(QColor(grey, grey, grey), false, QPalette()),
                     QColor(grey, grey, grey));
        }
        // The strip's labels follow the palette's text colour on a dark face.
        const QPalette before = QApplication::palette();
        QApplication::setPalette(dark);
        CControlView* strip = frame()->controlView();
        const QImage image = strip->grab().toImage();
        QApplication::setPalette(before);
        int lightest = 0;
        for (int y = 6; y < 28; ++y)
            for (int x = 2; x < 62; ++x) lightest = std::max(lightest, qGray(image.pixel(x, y)));
        QVERIFY2(lightest > 120, qPrintable(QString::number(lightest)));  // the face is 50 at most
    }

    void stripButtonsExplainThemselves()
    {
        CControlView* strip = frame()->controlView();
        for (int pane = 1; pane <= 5; ++pane)
            QVERIFY(!strip->paneButton(pane)->toolTip().isEmpty());
        for (int n = 1; n <= 9; ++n) QVERIFY(!strip->viewpointButton(n)->toolTip().isEmpty());
        QVERIFY(!strip->editButton()->toolTip().isEmpty());
    }

    void methodsDialogFirstClickRule()
    {
        Project* project = demoProject();
        const FileStats* b = project->stats->files[0].get();
        QCOMPARE(b->name, std::string("b.cpp"));
        {
            CMethodsDialog dialog(project, b, nullptr);
            QCOMPARE(dialog.windowTitle(), QString("Methods for b.cpp"));
            QCOMPARE(Column(dialog.list(), 1), QStringList({"run", "helper"}));  // stored order
            QCOMPARE(dialog.list()->topLevelItem(1)->text(7), QString("8.3"));
            QCOMPARE(dialog.list()->topLevelItem(1)->text(8), QString("16.7"));
            dialog.onHeaderClicked(0);  // stored column 0: the first click reverses it
            QCOMPARE(Column(dialog.list(), 0), QStringList({"B", ""}));
            dialog.resize(620, 240);
            Shoot(&dialog, "methods_dialog");
        }
        {
            CMethodsDialog dialog(project, b, nullptr);
            dialog.onHeaderClicked(3);  // another column: ascending
            QCOMPARE(Column(dialog.list(), 3), QStringList({"12", "30"}));
            dialog.onHeaderClicked(3);
            QCOMPARE(Column(dialog.list(), 3), QStringList({"30", "12"}));
        }
        // Read, never written.
        WriteProfileInt("METHODDETAIL", "SORTIDX", 3);
        {
            CMethodsDialog dialog(project, b, nullptr);
            dialog.onHeaderClicked(3);
            QCOMPARE(Column(dialog.list(), 3), QStringList({"30", "12"}));
        }
        QCOMPARE(ProfileInt("METHODDETAIL", "SORTIDX", -1), 3);
        // A double click on a file row opens the dialog through the interaction.
        makeCurrent(project);
        QTreeWidget* list = details()->list();
        list->setCurrentItem(list->findItems("b.cpp", Qt::MatchExactly).first());
        details()->openMethods();
        QCOMPARE(m_ui.dialogs, QStringList({"CMethodsDialog"}));
    }

    void developersGroupWithoutRegardToCase()
    {
        QCOMPARE(frame()->devView()->list()->topLevelItemCount(), 0);
        Folder* sub = root().AddSubfolder(std::make_unique<Folder>("sub"));
        demoProject();
        addProject(*sub, "other", "ADA", {{"x.cpp", 10, 1, 0, 1, 0, {{"", "f", 0, 8}}}});
        addProject(root(), "lonely", "", {});
        CDevView* dev = frame()->devView();
        QCOMPARE(Column(dev->list(), 0), QStringList({"Ada", "Unknown"}));
        QCOMPARE(Column(dev->list(), 1), QStringList({"2", "1"}));
        QCOMPARE(dev->list()->topLevelItem(1)->text(3), QString("0.0"));
        QCOMPARE(dev->list()->topLevelItem(1)->text(6), QString("0"));
        dev->onHeaderClicked(1);
        QCOMPARE(Column(dev->list(), 0), QStringList({"Unknown", "Ada"}));
        dev->onHeaderClicked(1);
        QCOMPARE(Column(dev->list(), 0), QStringList({"Ada", "Unknown"}));

        // Another current project is no reason to refresh; the rows stay.
        QTreeWidgetItem* first = dev->list()->topLevelItem(0);
        m_app->document()->updateAllViews(nullptr, UpdateHint::CurrentProjectChanged);
        QCOMPARE(dev->list()->topLevelItem(0), first);
        QCOMPARE(Column(dev->list(), 0), QStringList({"Ada", "Unknown"}));
        root().projects.front()->developer = "Bob";
        m_app->document()->updateAllViews(nullptr, UpdateHint::ProjectRebuilt);
        QCOMPARE(Column(dev->list(), 0), QStringList({"Bob", "Unknown", "ADA"}));
        // A project added by the tree arrives with hint 4 and still shows.
        auto added = std::make_unique<Project>(&m_app->settings(), &root(), "zeta");
        added->developer = "Cy";
        root().AddProject(std::move(added));
        m_app->document()->updateAllViews(nullptr, UpdateHint::CurrentProjectChanged);
        QCOMPARE(dev->list()->topLevelItemCount(), 4);
        dev->resize(700, 300);
        Shoot(dev, "developers_view");
    }

    void scoreSheetRowsAndHeaderBand()
    {
        QCOMPARE(CStatsView::RowHeight(600), 36);
        QCOMPARE(CStatsView::RowHeight(20), 30);  // a pane a few pixels high
        CStatsView* score = frame()->scoreView();
        score->resize(800, 5);
        Shoot(score, "score_view_short");  // paints with no project and a tiny pane
        Project* project = demoProject();
        project->developer.clear();
        makeCurrent(project);
        score->resize(900, 560);
        Shoot(score, "score_view");
        // A topic with weight 0 and a score of 0 draw without trouble.
        for (ScoringTopic& topic : project->stats->topics) topic.weight = 0;
        QImage image(900, 560, QImage::Format_RGB32);
        QPainter painter(&image);
        score->drawSheet(painter, image.rect(), false);
        QCOMPARE(CStatsView::rowHeightPercent, 6);
    }

    void controlStripCascadesAndFilters()
    {
        CControlView* strip = frame()->controlView();
        FakeCity city;
        strip->setCityView(&city);
        QCOMPARE(strip->fileList()->count(), 0);
        QVERIFY(!strip->editButton()->isEnabled());
        Project* project = demoProject();
        makeCurrent(project);
        QCOMPARE(Items(strip->fileList()),
                 QStringList({"<all>", "b.cpp", "a.cpp", "C.cpp", "empty.cpp"}));
        QCOMPARE(Items(strip->classList()), QStringList({"<all>", "<no class>", "B", "A", "B"}));
        QCOMPARE(Items(strip->methodList()), QStringList({"<all>", "run", "helper", "go", "stop"}));
        QVERIFY(strip->editButton()->isEnabled());
        QVERIFY(strip->fileList()->isEnabled());  // the city pane shows at start

        Pick(strip->classList(), "B");  // declared in two files: methods from both
        QCOMPARE(Items(strip->methodList()), QStringList({"<all>", "run", "stop"}));
        QCOMPARE(city.calls.last(), QString("filter 2 |B|"));
        Pick(strip->classList(), "<no class>");
        QCOMPARE(Items(strip->methodList()), QStringList({"<all>", "helper"}));
        QCOMPARE(city.calls.last(), QString("filter 2 ||"));
        Pick(strip->methodList(), "helper");
        QCOMPARE(city.calls.last(), QString("filter 3 ||helper"));
        strip->editFile();  // no file picked: the method's file
        QVERIFY(m_opened.last().endsWith("/b.cpp"));
        Pick(strip->fileList(), "a.cpp");
        QCOMPARE(Items(strip->classList()), QStringList({"<all>", "<no class>", "A"}));
        QCOMPARE(city.calls.last(), QString("filter 1 a.cpp||"));
        Pick(strip->classList(), "<no class>");
        QCOMPARE(Items(strip->methodList()), QStringList({"<all>"}));
        Pick(strip->fileList(), "<all>");
        QCOMPARE(city.calls.last(), QString("filter 0 ||"));
        QVERIFY(!strip->editButton()->isEnabled());

        // A rebuild resets the lists to "<all>".
        Pick(strip->fileList(), "C.cpp");
        project->lastBuild = "later";
        tree()->setCurrentProject(project, UpdateHint::ProjectRebuilt);
        QCOMPARE(strip->fileList()->currentText(), QString("<all>"));
        QCOMPARE(strip->classList()->count(), 5);

        // Viewpoints: recording 9 wraps the selection back to "1".
        QVERIFY(!strip->viewpointButton(9)->isEnabled());
        strip->viewpointList()->setCurrentIndex(8);
        strip->recordViewpoint();
        QCOMPARE(project->viewpoints[8], std::string("10 20 30"));
        QVERIFY(strip->viewpointButton(9)->isEnabled());
        QCOMPARE(strip->viewpointList()->currentText(), QString("1"));
        QVERIFY(m_app->document()->isModified());
        city.viewpoint.reset();  // fly-over: nothing to record
        strip->recordViewpoint();
        QVERIFY(!strip->viewpointButton(1)->isEnabled());
        strip->recallViewpoint(9);
        QCOMPARE(city.calls.last(), QString("move 10 20 30"));
        strip->showMap();
        QCOMPARE(city.calls.last(), QString("map"));
        // The View menu's viewpoint items are the strip's buttons.
        QCOMPARE(frame()->commandEnabled(cmd::kViewpoint1 + 8), std::optional<bool>(true));
        QCOMPARE(frame()->commandEnabled(cmd::kViewpoint1), std::optional<bool>(false));
        QVERIFY(frame()->onCommand(cmd::kViewpoint1 + 8));
        QCOMPARE(city.calls.last(), QString("move 10 20 30"));

        // Pane buttons switch the pane; the lists follow the city pane.
        strip->paneButton(2)->click();
        QCOMPARE(frame()->currentLayout(), 2);
        QVERIFY(!strip->fileList()->isEnabled());
        strip->paneButton(1)->click();
        QCOMPARE(frame()->currentLayout(), 1);
        QVERIFY(strip->fileList()->isEnabled());
        strip->paneButton(3)->setEnabled(false);
        strip->resize(800, 80);
        Shoot(strip, "control_view");
        strip->setCityView(nullptr);
    }

    void noProjectLeavesTheStripEmpty()
    {
        makeCurrent(nullptr);
        CControlView* strip = frame()->controlView();
        QCOMPARE(strip->fileList()->count(), 0);
        strip->editFile();
        strip->recordViewpoint();
        QVERIFY(m_opened.isEmpty());
        QVERIFY(m_ui.messages.isEmpty());
    }

    void preferencesRoundTripThroughTheSettingsFile()
    {
        const QString path = m_sources.filePath("prefs.ini");
        ScoringSettings settings;
        {
            CPreferencesDialog dialog(settings, path);
            QCOMPARE(dialog.windowTitle(), QString("Preferences"));
            QCOMPARE(dialog.tabs()->tabText(1), QString("misc"));
            QCOMPARE(dialog.topics()->topLevelItemCount(), 7);
            QVERIFY(dialog.topics()->topLevelItem(0)->text(2).startsWith(QChar(0xB1)));
            dialog.lineCountEdit()->setText("30");
            dialog.qualityEdit()->setText("0");
            dialog.accept();
        }
        QCOMPARE(settings.lineCount, 30);
        QCOMPARE(settings.snapshotQuality, 1);
        QCOMPARE(IniFile(path.toStdString()).GetInt("SNAPSHOT", "QUALITY", -1), 1);
        {
            CPreferencesDialog dialog(settings, path);
            dialog.qualityEdit()->setText("250");
            dialog.accept();
        }
        QCOMPARE(settings.snapshotQuality, 100);
        {
            CPreferencesDialog dialog(settings, path);
            dialog.restoreDefaults();
            QCOMPARE(dialog.lineCountEdit()->text(), QString("25"));
            QCOMPARE(dialog.qualityEdit()->text(), QString("100"));  // kept
            QCOMPARE(settings.lineCount, 25);
            dialog.reject();  // back to what the file holds
        }
        QCOMPARE(settings.lineCount, 30);
        {
            CPreferencesDialog dialog(settings, path);
            dialog.resize(560, 400);
            Shoot(&dialog, "preferences_dialog");
            dialog.restoreDefaults();
            dialog.accept();
        }
        QCOMPARE(IniFile(path.toStdString()).GetInt("SCORING", "LINECOUNT", -1), 25);
    }

    void editScoreSamplesAndNote()
    {
        ScoringSettings settings;
        ScoringTopic& topic = settings.topics[0];
        const ScoringTopic before = topic;
        CEditScoreDialog::topicChanged = false;
        {
            CEditScoreDialog dialog(topic);
            QVERIFY(dialog.note()->isHidden());
            QCOMPARE(dialog.field(1053)->text(), QString("5"));
            QCOMPARE(dialog.field(1055)->text(), QString("20"));
            const auto start = PreviewScores(topic, 10);
            QCOMPARE(dialog.field(1052)->text(), QString::number(start[0]));
            dialog.field(1051)->setText("150");
            dialog.readFields();
            QVERIFY(!dialog.note()->isHidden());
            QCOMPARE(dialog.field(1053)->text(), QString("75"));
            QCOMPARE(dialog.field(1055)->text(), QString("300"));
            const auto scores = PreviewScores(topic, 150);
            QCOMPARE(dialog.field(1052)->text(), QString::number(scores[0]));
            QCOMPARE(dialog.field(1056)->text(), dialog.field(1052)->text());  // both at 100
            dialog.field(1046)->setText("140");                                // clamped to 100
            dialog.readFields();
            QCOMPARE(dialog.workingCopy().reference, 1.0f);
            QCOMPARE(dialog.field(1046)->text(), QString("100"));
            dialog.resize(560, 420);
            Shoot(&dialog, "edit_score_dialog");
            dialog.reject();
        }
        QCOMPARE(topic.reference, before.reference);  // Cancel keeps the topic
        {
            CEditScoreDialog dialog(topic);
            dialog.field(1050)->setText("0");
            dialog.accept();
        }
        QCOMPARE(topic.weight, 0.0f);
        QVERIFY(CEditScoreDialog::topicChanged);
        CEditScoreDialog again(topic);
        QVERIFY(!again.note()->isHidden());
    }

    void editScoreKeepsThePercentsTyped()
    {
        ScoringSettings settings;
        ScoringTopic& topic = settings.topics[1];
        CEditScoreDialog dialog(topic);
        // Every whole percent stays what it was typed as, whatever else is
        // retyped after it: 5 x 0.01f x 100 is 4.9999995 in floats.
        for (int percent = 0; percent <= 100; ++percent) {
            dialog.field(1047)->setText(QString::number(percent));
            dialog.readFields();
            dialog.field(1048)->setText("1.5");  // Ratio -
            dialog.readFields();
            QCOMPARE(dialog.field(1047)->text(), QString::number(percent));
        }
        dialog.field(1046)->setText("-3");
        dialog.readFields();
        QCOMPARE(dialog.field(1046)->text(), QString("0"));
        dialog.field(1047)->setText("5");
        dialog.accept();
        QCOMPARE(topic.ratioMinus, 1.5f);
        // The topics list and a new dialog show the 5 again.
        CEditScoreDialog again(topic);
        QCOMPARE(again.field(1047)->text(), QString("5"));
        CPreferencesDialog preferences(settings, m_sources.filePath("settings.ini"));
        QCOMPARE(preferences.topics()->topLevelItem(1)->text(2), QString("±5"));
        QLabel* quality = nullptr;
        for (QLabel* label : preferences.findChildren<QLabel*>())
            if (label->text().startsWith("Snapshot")) quality = label;
        QVERIFY(quality);
        QCOMPARE(quality->buddy(), preferences.qualityEdit());  // "&q" underlines, not shows
        preferences.reject();
    }

    void preferencesOkRescoresAndTellsTheViews()
    {
        m_ui.onDialog = [](QDialog* dialog) { return PressOk(dialog); };
        QVERIFY(frame()->onCommand(cmd::kPreferences));
        QCOMPARE(m_ui.dialogs, QStringList({"CPreferencesDialog"}));
        QCOMPARE(frame()->scoreView()->lastHint(), 3);
        QCOMPARE(frame()->devView()->lastHint(), 3);
        QFile::remove(CCodeburgApp::SettingsFilePath());
    }

    void printPreviewShowsThePages()
    {
        makeCurrent(demoProject());
        m_ui.onDialog = [](QDialog* dialog) {
            if (auto* preview = qobject_cast<QPrintPreviewDialog*>(dialog)) {
                preview->resize(900, 700);
                preview->show();
                QCoreApplication::processEvents();
                Shoot(preview, "print_preview");
            }
            return int(QDialog::Rejected);
        };
        QVERIFY(frame()->onCommand(cmd::kFilePrintPreview));
        QCOMPARE(m_ui.dialogs, QStringList({"printPreview"}));
        QVERIFY(frame()->detailsView()->isHidden() || frame()->currentLayout() == 3);
        QVERIFY(frame()->controlView()->isVisible() || !frame()->isVisible());
    }

    void printingToPdf()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("no pdftotext");
        const QString path = m_sources.filePath("sheet.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        // Without a project only the date line is printed on a single page.
        QCOMPARE(PrintPanes(printer, frame()->scoreView(), details()), 1);
        QString text = RunTool("pdftotext", {path, "-"});
        QVERIFY(!text.contains("DETAILS"));

        std::vector<FileSpec> many;
        static std::vector<std::string> names;
        names.clear();
        for (int i = 0; i < 150; ++i) names.push_back("unit" + std::to_string(i) + ".cpp");
        for (const std::string& name : names) many.push_back({name.c_str(), 50, 5, 1, 5, 2, {}});
        Project* big = addProject(root(), "bigproject", "Grace", many);
        makeCurrent(big);
        QPrinter second(QPrinter::HighResolution);
        second.setOutputFormat(QPrinter::PdfFormat);
        second.setOutputFileName(path);
        const int pages = PrintPanes(second, frame()->scoreView(), details());
        QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
        QVERIFY(RunTool("pdfinfo", {path})
                    .contains(QRegularExpression(QString("Pages:\\s+%1").arg(pages))));
        text = RunTool("pdftotext", {path, "-"});
        QVERIFY(text.contains("BIGPROJECT by Grace"));
        QVERIFY(text.contains("DETAILS"));
        // The printed headers stay whole; only values are cut to their column.
        for (const char* header : {"File name", "Lines", "Empty", "#incl", "Class", "Line/Meth"})
            QVERIFY2(text.contains(header), header);
        QVERIFY(text.contains("unit149.cpp"));
        QVERIFY(text.contains("TOTAL"));
        QVERIFY(text.contains(QRegularExpression("\\d\\d/\\d\\d/\\d\\d at \\d\\d:\\d\\d:\\d\\d")));
        QCOMPARE(CStatsView::rowHeightPercent, 6);
    }
};

CB_GUI_TEST_MAIN(PanesTest)
#include "panes_test.moc"
