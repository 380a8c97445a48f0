#include "views/codeburg_view.h"

#include <dlfcn.h>
#include <link.h>

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/codeburg_app.h"
#include "app/main_frame.h"
#include "city/render/synthetic_city.h"
#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/gui_test_support.h"
#include "gui/profile.h"
#include "pipeline/statistics_file.h"
#include "records/colour.h"
#include "records/file_stats.h"
#include "records/project_stats.h"
#include "views/city_app.h"
#include "views/control_view.h"
#include "views/device_dialog.h"
#include "views/prj_view.h"
#include "workspace/folder.h"
#include "workspace/project.h"

using namespace codeburg;

namespace {

const QString kShots = QStringLiteral(CODEBURG_BINARY_DIR "/screenshots/");

// A 30 x 30 city with one box: Shape::draw, footprint 6 at (12, 12), roof
// height 5; in Readability mode HSV (20, 0.45, 0.2).
std::unique_ptr<Project> OneBuildingProject(const ScoringSettings* settings, Folder* parent,
                                            const std::string& name)
{
    auto project = std::make_unique<Project>(settings, parent, name);
    project->stats = std::make_unique<ProjectStats>(settings);
    ProjectStats& stats = *project->stats;
    stats.name = name;
    auto file = std::make_unique<FileStats>("one.cpp", 25, 0x00FF00u);
    MethodStats* m = file->AddMethod("Shape", "draw", 5);
    m->eloc = 10;
    m->commentLines = 2;
    stats.files.push_back(std::move(file));
    stats.measures.totalMethods = 1;
    stats.measures.maxMethodEloc = 10;
    stats.cityGrid.Allocate(30, 30);
    CityCell& anchor = stats.cityGrid.cells[12 * 30 + 12];
    anchor.height = 11;
    anchor.footprint = 6;
    anchor.side = 6;
    project->statisticsLoaded = 1;
    project->lastBuild = "12/06/26 at 10:00:00";
    return project;
}

// Mesa unloads its driver before the process ends, and LeakSanitizer then
// cannot name the module of the few blocks the driver keeps for good: kept
// loaded, they meet the driver's entry in scripts/lsan.supp.
void KeepGlDriversLoaded()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const QString path = QString::fromLocal8Bit(info->dlpi_name);
            if (path.contains("/dri/"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

int Channel(QRgb c, int shift)
{
    return int(c >> shift & 0xFF);
}

bool Near(QRgb actual, uint32_t expected, int tolerance)
{
    for (int shift : {16, 8, 0})
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) return false;
    return true;
}

// Ambient 100/255 plus the light shining down on a roof, clamped.
double LitRoof(int channel)
{
    const double nDotL = 0.5 / std::sqrt(0.05 * 0.05 + 0.5 * 0.5 + 0.05 * 0.05);
    return std::min(1.0, 100.0 / 255.0 + channel / 255.0 * nDotL) * 255.0;
}

}  // namespace

class CityViewTest : public QObject {
    Q_OBJECT

private:
    ScriptedInteraction m_ui;
    std::unique_ptr<CCodeburgApp> m_app;
    QTemporaryDir m_out;

    CMainFrame* frame() const { return m_app->mainFrame(); }
    CCodeburgView* city() const { return frame()->cityView(); }
    CityApp* app3d() const { return city()->cityApp(); }
    Folder& root() const { return m_app->document()->root(); }

    void start(const QStringList& arguments = {})
    {
        m_app.reset();
        WriteProfileInt("MAIN", "FIRSTTIME", 0);
        WriteProfileInt("MAIN", "LOADMOSTRECENT", 0);
        WriteProfileInt("Quote", "StartUp", 0);
        m_app = std::make_unique<CCodeburgApp>();
        QVERIFY(m_app->initInstance(arguments));
        frame()->resize(1000, 700);
        QVERIFY(QTest::qWaitForWindowExposed(frame()));
        QCoreApplication::processEvents();
    }

    Project* addCurrent(const std::string& name)
    {
        Project* project = root().AddProject(OneBuildingProject(&m_app->settings(), &root(), name));
        frame()->treeView()->rebuildTree();
        frame()->treeView()->setCurrentProject(project, UpdateHint::CurrentProjectChanged);
        return project;
    }

    // The cursor somewhere the city does not reach, so nothing is picked.
    void parkCursor() { QCursor::setPos(frame()->mapToGlobal(QPoint(5, 5))); }

    // The window as the screen shows it. A grab of the frame paints the GL
    // picture over the painter's texts, so the pane's own frame goes on top.
    QImage windowShot()
    {
        QImage shot = frame()->grab().toImage();
        QPainter painter(&shot);
        painter.drawImage(app3d()->mapTo(frame(), QPoint(0, 0)), app3d()->grabFramebuffer());
        return shot;
    }

    QImage frameNow()
    {
        app3d()->renderFrame();
        return app3d()->grabFramebuffer();
    }

private slots:
    void initTestCase()
    {
        InstallInteraction(&m_ui);
        start();
        if (!app3d()) QSKIP("no OpenGL 3.3 here: run under xvfb-run with QT_QPA_PLATFORM=xcb");
        QTRY_VERIFY(app3d()->isReady());
    }

    void init()
    {
        m_ui.messages.clear();
        CCodeburgView::SetSnapshotPathChooser({});
        CCodeburgView::SetComparePathChooser({});
    }

    void cleanupTestCase()
    {
        m_app.reset();
        InstallInteraction(nullptr);
        KeepGlDriversLoaded();
    }

    void emptyPaneAsksForAProject()
    {
        frameNow();
        QCOMPARE(app3d()->lastTexts().size(), size_t(1));
        QCOMPARE(QString::fromStdString(app3d()->lastTexts()[0].text),
                 QString("Select a project in the treeview"));
    }

    void rendersBackgroundAndRoofInMapView()
    {
        addCurrent("one");
        QCOMPARE(app3d()->project(), city()->shownProject()->stats.get());
        QVERIFY(frame()->onCommand(cmd::kMapView));
        QVERIFY(frame()->onCommand(cmd::kNextDisplayMode));  // Readability
        QCOMPARE(app3d()->scene().displayMode(), DisplayMode::Readability);
        parkCursor();
        const QImage image = frameNow();
        QVERIFY(!image.isNull());
        // Outside the ground, at the right edge: the background.
        QVERIFY2(
            Near(image.pixel(image.width() - 2, image.height() / 2), 0x191919u, 2),
            qPrintable(QString::number(image.pixel(image.width() - 2, image.height() / 2), 16)));
        // The roof at the centre, textured: darker than its lit vertex colour
        // but of its hue (red above blue).
        const QRgb roof = image.pixel(image.width() / 2, image.height() / 2 + 10);
        QVERIFY2(Channel(roof, 16) > Channel(roof, 0), qPrintable(QString::number(roof, 16)));

        // Pointed at, the roof shows its plain lit vertex colours: c at the
        // x0 corners, the dark shade d at x1, about half way across.
        QCursor::setPos(app3d()->mapToGlobal(QPoint(app3d()->width() / 2, app3d()->height() / 2)));
        const QImage picked = frameNow();
        QCOMPARE(app3d()->scene().pickedBox(), 0);
        const uint32_t c = HsvToColor(20, 0.45, 0.2);
        const uint32_t d = HsvToColor(20, 0.45 * 0.85, 0.2 * 0.3);
        const double f = 3.0 / 6.02;
        uint32_t expected = 0;
        for (int shift : {16, 8, 0}) {
            const double lit = LitRoof(Channel(c, shift)) +
                               f * (LitRoof(Channel(d, shift)) - LitRoof(Channel(c, shift)));
            expected |= uint32_t(lit) << shift;
        }
        // A little below the centre, clear of the file's label above the roof.
        const QRgb centre = picked.pixel(picked.width() / 2, picked.height() / 2 + 10);
        QVERIFY2(Near(centre, expected, 6),
                 qPrintable(QString("%1 vs %2").arg(centre, 0, 16).arg(expected, 0, 16)));
        frame()->onCommand(cmd::kNextDisplayMode);
        frame()->onCommand(cmd::kNextDisplayMode);
        frame()->onCommand(cmd::kNextDisplayMode);
    }

    void picksTheBuildingUnderTheCursor()
    {
        frame()->onCommand(cmd::kMapView);
        QCursor::setPos(app3d()->mapToGlobal(QPoint(app3d()->width() / 2, app3d()->height() / 2)));
        frameNow();
        QCOMPARE(app3d()->scene().pickedBox(), 0);
        QStringList texts;
        for (const HudText& t : app3d()->lastTexts()) texts << QString::fromStdString(t.text);
        QVERIFY(texts.contains("Name: draw"));
        QVERIFY(texts.contains("File: one.cpp"));
        QVERIFY(texts.contains("Eloc: 10"));
        // Filtered away: still picked, no information box.
        city()->SetFilter(FilterKind::File, "other.cpp", "", "");
        frameNow();
        QCOMPARE(app3d()->scene().pickedBox(), 0);
        QCOMPARE(QString::fromStdString(app3d()->lastTexts().back().text), QString("Color Mode"));
        city()->SetFilter(FilterKind::None, "", "", "");
        parkCursor();
        frameNow();
        QCOMPARE(app3d()->scene().pickedBox(), -1);
    }

    void recordedViewpointComesBack()
    {
        Project* project = city()->shownProject();
        QVERIFY(project);
        CControlView* control = frame()->controlView();
        // In fly-over there is nothing to record.
        frame()->onCommand(cmd::kFlyOver);
        frameNow();
        control->viewpointList()->setCurrentIndex(8);
        control->recordViewpoint();
        QVERIFY(project->viewpoints[8].empty());
        QCOMPARE(control->viewpointList()->currentIndex(), 8);
        // ... and the status bar says why.
        QVERIFY(frame()->messageText().startsWith("No viewpoint recorded"));

        const std::string text = "12.500000,1.000000,30.000000,-0.200000,1.570796";
        city()->MoveToViewpoint(text);
        frameNow();
        control->recordViewpoint();
        QCOMPARE(project->viewpoints[8], text);
        QCOMPARE(control->viewpointList()->currentIndex(), 0);  // after 9 comes 1
        QVERIFY(m_app->document()->isModified());
        QVERIFY(control->viewpointButton(9)->isEnabled());
        QCOMPARE(frame()->messageText(), QString("Viewpoint 9 recorded"));
        QVERIFY(frame()->commandEnabled(cmd::kViewpoint1 + 8).value_or(false));
        // Alt+R through the frame records into the next slot, 1.
        QVERIFY(frame()->onCommand(cmd::kRecordViewpoint));
        QCOMPARE(frame()->messageText(), QString("Viewpoint 1 recorded"));
        QCOMPARE(project->viewpoints[0], text);
        project->viewpoints[0].clear();
        control->viewpointList()->setCurrentIndex(0);

        frame()->onCommand(cmd::kMapView);
        frameNow();
        QVERIFY(city()->CurrentViewpoint() != text);
        control->recallViewpoint(9);
        frameNow();
        QCOMPARE(city()->CurrentViewpoint().value_or(""), text);
        QCOMPARE(app3d()->navigation().flyMode(), int(CityNavigation::FreeMovement));
    }

    void lastViewpointFollowsTheProject()
    {
        Project* one = city()->shownProject();
        const std::string text = "7.000000,3.000000,9.000000,-0.100000,0.500000";
        city()->MoveToViewpoint(text);
        frameNow();
        addCurrent("two");
        QCOMPARE(ProfileString("VP#one", "LASTVIEWPOINT").toStdString(), text);
        QCOMPARE(app3d()->navigation().camera().y, 1.0f);  // "two" has none yet
        frame()->treeView()->setCurrentProject(one, UpdateHint::CurrentProjectChanged);
        QCOMPARE(city()->shownProject(), one);
        frameNow();
        QCOMPARE(city()->CurrentViewpoint().value_or(""), text);
        QVERIFY(!ProfileString("VP#two", "LASTVIEWPOINT").isEmpty());
    }

    // View > "Compare with..." adds the change mode until the project is shown
    // again; a file that is no statistics file says so and changes nothing.
    void compareWithAnOlderBuild()
    {
        Project* project = addCurrent("cmp");
        const QString bad = m_out.filePath("bad.cbb");
        QFile(bad).open(QIODevice::WriteOnly);
        CCodeburgView::SetComparePathChooser([&](QWidget*) { return bad; });
        QVERIFY(frame()->onCommand(cmd::kCompareWith));
        QVERIFY(m_ui.saw("cannot read statistics file " + bad));
        QVERIFY(!app3d()->scene().comparing());

        const QString old = m_out.filePath("old.cbb");
        QCOMPARE(WriteStatisticsFile(*project->stats, old.toStdString()), 0);
        CCodeburgView::SetComparePathChooser([&](QWidget*) { return old; });
        QVERIFY(frame()->onCommand(cmd::kCompareWith));
        QVERIFY(app3d()->scene().comparing());
        QCOMPARE(app3d()->scene().displayMode(), kChangeDisplayMode);
        frameNow();
        bool named = false;
        for (const HudText& t : app3d()->lastTexts()) named |= t.text == kChangeDisplayModeName;
        QVERIFY(named);
        QVERIFY(frame()->onCommand(cmd::kNextDisplayMode));
        QCOMPARE(app3d()->scene().displayMode(), DisplayMode::Color);
    }

    void snapshotWritesTheChosenFile()
    {
        const QString path = m_out.filePath("codeburg.jpg");
        CCodeburgView::SetSnapshotPathChooser([&](QWidget*) { return path; });
        QVERIFY(frame()->onCommand(cmd::kSnapshot));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(3), QByteArray("\xFF\xD8\xFF"));
        QVERIFY(m_ui.messages.isEmpty());
        QVERIFY(!app3d()->snapshotMode());
        QVERIFY(!app3d()->isPaused());

        const QString bad = m_out.filePath("missing/dir/codeburg.jpg");
        CCodeburgView::SetSnapshotPathChooser([&](QWidget*) { return bad; });
        QVERIFY(!city()->takeSnapshot());
        QVERIFY(m_ui.saw("can't open " + bad));
        QVERIFY(!QFile::exists(bad));

        // Cancel writes nothing and says nothing.
        m_ui.messages.clear();
        CCodeburgView::SetSnapshotPathChooser([](QWidget*) { return QString(); });
        QVERIFY(!city()->takeSnapshot());
        QVERIFY(m_ui.messages.isEmpty());
    }

    void snapshotFrameCarriesTheCreditLine()
    {
        app3d()->setSnapshotMode(true);
        frameNow();
        app3d()->setSnapshotMode(false);
        bool credit = false;
        for (const HudText& t : app3d()->lastTexts()) credit = credit || t.text == kCreditLine;
        QVERIFY(credit);
    }

    void hiddenPaneStopsTheFrames()
    {
        frame()->onCommand(cmd::kFlyOver);  // the orbit goes on by itself
        frame()->layoutPanes(2);
        QVERIFY(app3d()->isPaused());
        frame()->layoutPanes(1);
        QVERIFY(!app3d()->isPaused());
        const int before = app3d()->framesDrawn();
        QTRY_VERIFY(app3d()->framesDrawn() > before + 2);
    }

    void stillCameraDrawsNoFrames()
    {
        parkCursor();
        frame()->onCommand(cmd::kFreeMovement);
        QTRY_VERIFY(!app3d()->isAnimating());
        QTest::qWait(50);
        const int before = app3d()->framesDrawn();
        QTest::qWait(300);
        QCOMPARE(app3d()->framesDrawn(), before);
        // A key press moves the camera at once and draws it.
        const float z = app3d()->navigation().camera().z;
        app3d()->setFocus();
        QTest::keyPress(app3d(), Qt::Key_Up);
        QTest::keyRelease(app3d(), Qt::Key_Up);
        QVERIFY(app3d()->navigation().camera().z != z);
        QTRY_VERIFY(app3d()->framesDrawn() > before);
        QTRY_VERIFY(!app3d()->isAnimating());
    }

    void pointerNamesTheBuildingAndAClickSelectsIt()
    {
        addCurrent("pointed");
        frame()->onCommand(cmd::kMapView);
        frameNow();
        CControlView* control = frame()->controlView();
        const QPoint centre(app3d()->width() / 2, app3d()->height() / 2);
        QTest::mouseMove(app3d(), centre);
        QTRY_COMPARE(frame()->messageText(),
                     QString("one.cpp: Shape::draw - 10 eloc, 5 parameters"));
        QTest::mouseClick(app3d(), Qt::LeftButton, {}, centre);
        QCOMPARE(control->fileList()->currentText(), QString("one.cpp"));
        QCOMPARE(control->classList()->currentText(), QString("Shape"));
        QCOMPARE(control->methodList()->currentText(), QString("draw"));
        QCOMPARE(control->filterKind(), FilterKind::Method);
        QCOMPARE(app3d()->scene().filter().methodName, std::string("draw"));
        // Over bare ground the status says so no more; a click there shows all.
        QTest::mouseMove(app3d(), QPoint(3, 3));
        QTRY_COMPARE(frame()->messageText(), QString("Ready"));
        QTest::mouseClick(app3d(), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(control->filterKind(), FilterKind::None);
        QCOMPARE(app3d()->scene().filter().kind, FilterKind::None);
    }

    // Builds a real source tree again and again while the pane draws the
    // city with every method's label and picks under the cursor; the build
    // forces a repaint on each file, as the tree's progress does. Run under
    // AddressSanitizer this catches any read of a record a build replaced.
    // CODEBURG_REBUILDS sets the count (scripts/rebuild_tally.sh).
    void rebuildAllWhilePainting()
    {
        const int rebuilds = qEnvironmentVariableIsSet("CODEBURG_REBUILDS")
                                 ? qEnvironmentVariableIntValue("CODEBURG_REBUILDS")
                                 : 2;
        QTemporaryDir sources;
        const QString dir = sources.filePath("painted");
        QDir().mkpath(dir);
        for (int i = 0; i < 40; ++i) {
            QFile file(QStringLiteral("%1/unit%2.cpp").arg(dir).arg(i));
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int m = 0; m <= i % 6; ++m)
                file.write(
                    QStringLiteral("int Unit%1::f%2(int a, int b)\n{\n    return a + b;\n}\n")
                        .arg(i)
                        .arg(m)
                        .toUtf8());
        }
        auto made = std::make_unique<Project>(&m_app->settings(), &root(), "painted");
        made->directory = dir.toStdString();
        Project* project = root().AddProject(std::move(made));
        frame()->treeView()->rebuildTree();
        frame()->treeView()->setCurrentProject(project, UpdateHint::CurrentProjectChanged);
        frame()->treeView()->selectObject(project);
        frame()->treeView()->build(true);
        QCOMPARE(city()->shownProject(), project);
        QVERIFY(app3d()->project() == project->stats.get());

        frame()->onCommand(cmd::kFreeMovement);
        if (app3d()->scene().fileLabels()) frame()->onCommand(cmd::kToggleMethodNames);
        QCursor::setPos(app3d()->mapToGlobal(QPoint(app3d()->width() / 2, app3d()->height() / 2)));
        frameNow();
        const Camera camera = app3d()->navigation().camera();
        int paintsWhileFrozen = 0;
        auto connection = connect(frame()->treeView(), &CPrjView::buildStepped, this, [&] {
            app3d()->repaint();
            paintsWhileFrozen += app3d()->isFrozen() ? 1 : 0;
        });
        // "Rebuild All" on the workspace item: every project, the shown one too.
        frame()->treeView()->selectObject(&root());
        for (int i = 0; i < rebuilds; ++i) {
            frame()->treeView()->build(true);
            QCOMPARE(frame()->messageText(), QString("Build complete."));
            QVERIFY(!app3d()->isFrozen());
            QVERIFY(app3d()->project() == project->stats.get());
            frameNow();
            QVERIFY(!app3d()->lastTexts().empty());
            if (rebuilds > 2) qInfo("rebuild %d of %d done", i + 1, rebuilds);
        }
        disconnect(connection);
        QVERIFY(paintsWhileFrozen > 0);
        // The camera stayed where it was through every build.
        QCOMPARE(app3d()->navigation().camera().x, camera.x);
        QCOMPARE(app3d()->navigation().camera().z, camera.z);
        frame()->onCommand(cmd::kToggleMethodNames);
    }

    void deviceDialogOffersWhatOpenGlHas()
    {
        bool seen = false;
        m_ui.onDialog = [&](QDialog* dialog) {
            auto* device = qobject_cast<DeviceDialog*>(dialog);
            if (!device) return int(QDialog::Rejected);
            seen = true;
            [&] {
                QCOMPARE(device->windowTitle(), QString("Select Device"));
                QVERIFY(device->windowButton()->isChecked());
                QCOMPARE(device->multisampleList()->itemText(0), QString("none"));
                QVERIFY(device->modeList()->count() >= 1);
                QVERIFY(device->modeList()->itemText(0).contains(" x "));
            }();
            return PressOk(dialog);  // nothing changed: like Cancel
        };
        CityApp* before = app3d();
        QVERIFY(frame()->onCommand(cmd::kChangeDevice));
        m_ui.onDialog = nullptr;
        QVERIFY(seen);
        QCOMPARE(app3d(), before);
    }

    void multisampleChangeRemakesTheWindow()
    {
        m_ui.onDialog = [&](QDialog* dialog) {
            auto* device = qobject_cast<DeviceDialog*>(dialog);
            if (!device || device->multisampleList()->count() < 2) return int(QDialog::Rejected);
            device->multisampleList()->setCurrentIndex(1);
            return PressOk(dialog);
        };
        const Camera camera = app3d()->navigation().camera();
        city()->changeDevice();
        m_ui.onDialog = nullptr;
        QVERIFY(app3d());
        QCOMPARE(app3d()->project(), city()->shownProject()->stats.get());
        QCOMPARE(app3d()->navigation().camera().x, camera.x);
        QTRY_VERIFY(app3d()->isReady());
    }

    void fullScreenAndBack()
    {
        QVERIFY(frame()->onCommand(cmd::kFullScreen));
        QVERIFY(!app3d()->isWindowed());
        QTRY_VERIFY(app3d()->isReady());
        QVERIFY(frame()->onCommand(cmd::kFullScreen));
        QVERIFY(app3d()->isWindowed());
        QCOMPARE(app3d()->parentWidget(), city());
        QTRY_VERIFY(app3d()->isReady());
        QCOMPARE(app3d()->geometry(), city()->rect());
    }

    void screenshotOfTheMainWindow()
    {
        auto project = std::make_unique<Project>(&m_app->settings(), &root(), "demo");
        project->stats = std::make_unique<ProjectStats>(&m_app->settings());
        MakeSyntheticCity(*project->stats, 36, 40, 2026);
        project->stats->name = "demo";
        project->stats->ComputeMeasures(true);
        project->statisticsLoaded = 1;
        Project* demo = root().AddProject(std::move(project));
        frame()->treeView()->rebuildTree();
        frame()->treeView()->setCurrentProject(demo, UpdateHint::CurrentProjectChanged);
        frame()->onCommand(cmd::kMapView);
        parkCursor();
        frameNow();
        QDir().mkpath(kShots);
        QVERIFY(windowShot().save(kShots + "main_window_city.png"));
        frame()->onCommand(cmd::kFlyOver);
        for (int i = 0; i < 5; ++i) frameNow();
        QVERIFY(windowShot().save(kShots + "main_window_city_flyover.png"));
    }

    // Pictures of every view at the first-start size and at 1600 x 1000,
    // for a person to look at: run by scripts/screenshots.sh with a built
    // demo workspace.
    void screenshotsOfEveryView()
    {
        const QString workspace = qEnvironmentVariable("CODEBURG_SCREENSHOT_WORKSPACE");
        if (workspace.isEmpty())
            QSKIP("set CODEBURG_SCREENSHOT_WORKSPACE (scripts/screenshots.sh)");
        const QString project = qEnvironmentVariable("CODEBURG_SCREENSHOT_PROJECT", "googletest");
        m_app.reset();  // it keeps its placement in the profile as it goes
        ClearProfile();
        start({workspace, "-prj=" + project});
        QTRY_VERIFY(app3d() && app3d()->isReady());
        QVERIFY(city()->shownProject());
        QDir().mkpath(kShots);
        const QRect screen = frame()->screen()->availableGeometry();
        for (const QString& size : {QString("default"), QString("1600x1000")}) {
            if (size == "default") {
                frame()->applyStoredPlacement(screen);
            } else {
                frame()->setGeometry(0, 0, 1600, 1000);
            }
            QTest::qWait(200);
            qInfo("%s: frame %dx%d on %dx%d, strip needs %d, has %d", qPrintable(size),
                  frame()->width(), frame()->height(), screen.width(), screen.height(),
                  frame()->controlView()->stripWidth(), frame()->controlView()->width());
            const char* names[] = {"city", "score", "details", "developers"};
            for (int pane = 1; pane <= 4; ++pane) {
                frame()->controlView()->showPane(pane);
                QTest::qWait(100);
                if (pane == 1) {
                    frame()->onCommand(cmd::kMapView);
                    QCursor::setPos(
                        app3d()->mapToGlobal(QPoint(app3d()->width() / 2, app3d()->height() / 2)));
                    QTest::mouseMove(app3d(), QPoint(app3d()->width() / 2, app3d()->height() / 2));
                    frameNow();
                }
                const QImage shot = pane == 1 ? windowShot() : frame()->grab().toImage();
                QVERIFY(shot.save(kShots + size + "_" + names[pane - 1] + ".png"));
            }
            frame()->controlView()->showPane(1);
            frame()->onCommand(cmd::kFreeMovement);
            city()->MoveToViewpoint("40.000000,25.000000,-20.000000,-0.450000,0.000000");
            frame()->onCommand(cmd::kToggleMethodNames);
            frameNow();
            QVERIFY(windowShot().save(kShots + size + "_city_method_names.png"));
            frame()->onCommand(cmd::kToggleMethodNames);
            frame()->onCommand(cmd::kFlyOver);
            for (int i = 0; i < 200; ++i) frameNow();
            QVERIFY(windowShot().save(kShots + size + "_city_flyover.png"));
        }
    }

    void damagedProjectsShowWithoutHarm()
    {
        // What a build that found nothing, a hand-edited statistics file or a
        // huge project can leave: each is shown, drawn from above and from
        // the street, and pointed at.
        const std::vector<std::pair<std::string, std::function<void(ProjectStats&)>>> cases = {
            {"nofiles", [](ProjectStats& s) { s.files.clear(); }},
            {"gone",
             [](ProjectStats& s) {
                 CityCell& anchor = s.cityGrid.cells[12 * 30 + 12];
                 anchor.methodIndex = 7;  // the file has one method
                 s.cityGrid.cells[3 * 30 + 3] = anchor;
                 s.cityGrid.cells[3 * 30 + 3].fileIndex = 5;  // and there is one file
             }},
            {"emptygrid", [](ProjectStats& s) { s.cityGrid.Clear(); }},
            {"huge",
             [](ProjectStats& s) {
                 const CityCell anchor = s.cityGrid.cells[12 * 30 + 12];
                 QVERIFY(s.cityGrid.Allocate(4000, 4000));  // ground beyond any texture size
                 s.cityGrid.cells[2000 * 4000 + 2000] = anchor;
                 s.cityGrid.cells[3990 * 4000 + 3990] = anchor;
             }},
        };
        for (const auto& [name, damage] : cases) {
            auto made = OneBuildingProject(&m_app->settings(), &root(), name);
            damage(*made->stats);
            // A last viewpoint that does not parse is ignored, not obeyed.
            WriteProfileString(QString::fromStdString("VP#" + name), "LASTVIEWPOINT", "north,up");
            Project* project = root().AddProject(std::move(made));
            frame()->treeView()->rebuildTree();
            frame()->treeView()->setCurrentProject(project, UpdateHint::CurrentProjectChanged);
            QCOMPARE(city()->shownProject(), project);
            for (int view : {cmd::kMapView, cmd::kFreeMovement}) {
                QVERIFY2(frame()->onCommand(view), name.c_str());
                QCursor::setPos(
                    app3d()->mapToGlobal(QPoint(app3d()->width() / 2, app3d()->height() / 2)));
                QVERIFY2(!frameNow().isNull(), name.c_str());
                parkCursor();
                QVERIFY2(!frameNow().isNull(), name.c_str());
            }
            QVERIFY(m_ui.messages.isEmpty());
        }
    }

    void no3dLeavesThePaneEmpty()
    {
        start({"-no3d"});
        QVERIFY(m_app->no3d());
        QCOMPARE(app3d(), nullptr);
        addCurrent("one");
        QVERIFY(!frame()->controlView()->paneButton(1)->isEnabled());
        QVERIFY(!frame()->commandEnabled(cmd::kMapView).value_or(false));
        QVERIFY(!frame()->onCommand(cmd::kMapView));
        QVERIFY(!city()->IsInitialised());
        city()->SetFilter(FilterKind::File, "one.cpp", "", "");
        city()->MoveToViewpoint("1,2,3,4,5");
        QCOMPARE(city()->CurrentViewpoint(), std::nullopt);
        const QImage pane = city()->grab().toImage();
        const QRgb first = pane.pixel(0, 0);
        for (int y = 0; y < pane.height(); y += 17)
            for (int x = 0; x < pane.width(); x += 17) QCOMPARE(pane.pixel(x, y), first);
    }
};

CB_GUI_TEST_MAIN(CityViewTest)
#include "codeburg_view_test.moc"
