#include "views/codeburg_view.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QStandardPaths>
#include <cstdio>

#include "ci/method_match.h"
#include "city/render/jpeg_writer.h"
#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/interaction.h"
#include "gui/profile.h"
#include "pipeline/statistics_file.h"
#include "records/project_stats.h"
#include "report/change_colours.h"
#include "views/city_app.h"
#include "views/control_view.h"
#include "views/device_dialog.h"
#include "views/view_frame.h"
#include "views/view_support.h"
#include "workspace/folder.h"
#include "workspace/project.h"

namespace codeburg {

namespace {

std::function<QString(QWidget*)>& PathChooser()
{
    static std::function<QString(QWidget*)> chooser;
    return chooser;
}

std::function<QString(QWidget*)>& ComparePathChooser()
{
    static std::function<QString(QWidget*)> chooser;
    return chooser;
}

bool InTree(const Folder& folder, const Project* project)
{
    for (const auto& p : folder.projects)
        if (p.get() == project) return true;
    for (const auto& sub : folder.subfolders)
        if (InTree(*sub, project)) return true;
    return false;
}

bool Is3DCommand(int id)
{
    using namespace cmd;
    return id == kChangeDevice || id == kFullScreen || id == kFlyOver || id == kGoStop ||
           id == kSingleStep || id == kFreeMovement || id == kMapView || id == kToggleMethodNames ||
           id == kNextDisplayMode || id == kCompareWith;
}

RgbImage ToRgb(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    RgbImage image;
    image.width = rgb.width();
    image.height = rgb.height();
    image.pixels.resize(size_t(image.width) * size_t(image.height) * 3);
    const size_t row = size_t(image.width) * 3;
    for (int y = 0; y < image.height; ++y)
        std::copy_n(rgb.constScanLine(y), row, image.pixels.data() + row * size_t(y));
    return image;
}

// Whether OpenGL 3.3 can be had here at all. Qt's "offscreen" platform, on
// which the other panes are tested, cannot make any context.
bool PlatformHasOpenGl()
{
    QOpenGLContext probe;
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    probe.setFormat(format);
    return probe.create();
}

}  // namespace

CCodeburgView::CCodeburgView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_frame(frame)
{
    setObjectName(QStringLiteral("CCodeburgView"));
    setAutoFillBackground(true);
}

CCodeburgView::~CCodeburgView()
{
    saveLastViewpoint();
    delete m_app3d;
    m_app3d = nullptr;
}

bool CCodeburgView::no3d() const
{
    return m_frame && m_frame->no3d();
}

bool CCodeburgView::create3DWindow(int samples)
{
    if (m_app3d) return true;
    if (no3d()) return false;
    if (!PlatformHasOpenGl()) {
        // Without any display the pane stays blank, as with "-no3d"; on a
        // real screen the user learns why.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            Ui().messageBox(nullptr, FrameworkErrorText(CityApp::kNoDirect3D),
                            QLatin1String(CityApp::kTitle), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    m_app3d = new CityApp(this, samples);
    m_app3d->setGeometry(rect());
    connect(m_app3d, &CityApp::methodActivated, this, &CCodeburgView::openMethodSource);
    connect(m_app3d, &CityApp::deviceChangeRequested, this, &CCodeburgView::changeDevice,
            Qt::QueuedConnection);
    connect(m_app3d, &CityApp::buildingHovered, this, [this](const QString& description) {
        if (m_frame)
            m_frame->setMessageText(description.isEmpty() ? QStringLiteral("Ready") : description);
    });
    connect(m_app3d, &CityApp::buildingClicked, this, [this](const MethodStats* method) {
        if (m_frame && m_frame->controlView()) m_frame->controlView()->selectMethod(method);
    });
    m_app3d->show();
    m_shown = nullptr;
    m_shownStats = nullptr;
    if (isHidden()) {
        m_app3d->pause(true);
        m_hiddenPause = true;
    }
    showProject(CurrentProject(m_frame));
    return true;
}

void CCodeburgView::onInitialUpdate()
{
    onUpdate(nullptr, UpdateHint::General, nullptr);
}

void CCodeburgView::onReset()
{
    // The workspace is about to go: leave the project while it still exists.
    saveLastViewpoint();
    m_shown = nullptr;
    m_shownStats = nullptr;
    m_shownBuild.clear();
    if (m_app3d) m_app3d->showProject(nullptr, std::string());
}

void CCodeburgView::onUpdate(View*, UpdateHint hint, void*)
{
    m_lastHint = static_cast<int>(hint);
    if (hint == UpdateHint::LayoutChanged) {
        followLayout();
        return;
    }
    showProject(CurrentProject(m_frame), hint == UpdateHint::ProjectRebuilt);
}

void CCodeburgView::setBuilding(bool on)
{
    if (m_app3d) m_app3d->setFrozen(on);
}

void CCodeburgView::followLayout()
{
    if (!m_app3d) return;
    // Another pane in this place: no frames for nobody to see.
    if (isHidden() && !m_hiddenPause) {
        m_app3d->pause(true);
        m_hiddenPause = true;
    } else if (!isHidden() && m_hiddenPause) {
        m_hiddenPause = false;
        m_app3d->setGeometry(rect());
        m_app3d->pause(false);
    }
}

QString CCodeburgView::profileSection(const Project& project) const
{
    return QStringLiteral("VP#") + QString::fromStdString(project.name);
}

void CCodeburgView::saveLastViewpoint()
{
    if (!m_app3d || !m_shown) return;
    // A project deleted from the tree has nothing left to remember.
    if (m_doc && !InTree(m_doc->root(), m_shown)) return;
    if (const auto text = m_app3d->navigation().currentViewpoint())
        WriteProfileString(profileSection(*m_shown), QStringLiteral("LASTVIEWPOINT"),
                           QString::fromStdString(*text));
}

void CCodeburgView::showProject(Project* project, bool rebuilt)
{
    if (!m_app3d) return;
    ProjectStats* stats = project && project->statisticsLoaded ? project->stats.get() : nullptr;
    if (!rebuilt && project && stats && project == m_shown && stats == m_shownStats &&
        project->lastBuild == m_shownBuild)
        return;
    if (project && !stats && project == m_shown) return;
    const bool again = project && project == m_shown && m_shownStats;
    if (again && stats) {
        // The same project, built again: the camera stays where the user left it.
        m_app3d->showProject(stats, std::string(), true);
        m_shownStats = stats;
        m_shownBuild = project->lastBuild;
        return;
    }
    saveLastViewpoint();
    if (!stats) {
        // Nothing to show, and nothing of the old project may stay pointed
        // at: it may be the one just deleted.
        m_shown = nullptr;
        m_shownStats = nullptr;
        m_shownBuild.clear();
        m_app3d->showProject(nullptr, std::string());
        return;
    }
    const QString last =
        ProfileString(profileSection(*project), QStringLiteral("LASTVIEWPOINT"), QString());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_app3d->showProject(stats, last.toStdString());
    QGuiApplication::restoreOverrideCursor();
    m_shown = project;
    m_shownStats = stats;
    m_shownBuild = project->lastBuild;
}

void CCodeburgView::SetFilter(FilterKind kind, const std::string& fileName,
                              const std::string& className, const std::string& methodName)
{
    if (!m_app3d) return;
    m_app3d->setFilter(NameFilter{kind, fileName, className, methodName});
}

std::optional<std::string> CCodeburgView::CurrentViewpoint() const
{
    if (!m_app3d || !m_shownStats) return std::nullopt;
    return m_app3d->navigation().currentViewpoint();
}

void CCodeburgView::MoveToViewpoint(const std::string& viewpoint)
{
    if (!m_app3d || !m_shownStats) return;
    m_app3d->navigation().moveToViewpoint(viewpoint);
    m_app3d->update();
}

bool CCodeburgView::IsInitialised() const
{
    return m_app3d != nullptr;
}

void CCodeburgView::ShowMap()
{
    handleCommand(cmd::kMapView);
}

bool CCodeburgView::handleCommand(int id)
{
    if (id == cmd::kSnapshot) {
        takeSnapshot();
        return true;
    }
    if (!Is3DCommand(id) || !m_app3d) return false;
    if (id == cmd::kChangeDevice) {
        changeDevice();
        return true;
    }
    if (id == cmd::kCompareWith) {
        compareWith();
        return true;
    }
    return m_app3d->handleCommand(id);
}

std::optional<bool> CCodeburgView::commandEnabled(int id) const
{
    if (id == cmd::kSnapshot) return true;
    if (Is3DCommand(id) && m_app3d) return true;
    return std::nullopt;
}

void CCodeburgView::openMethodSource(const MethodStats* method)
{
    if (!method || !method->file || !m_shown) return;
    EditSourceFile(this, *m_shown, method->file->name);
}

QImage CCodeburgView::grabPane()
{
    // Whatever the right-hand pane shows: this view or the one in its place.
    QWidget* pane = this;
    if (isHidden() && parentWidget()) {
        for (QWidget* sibling :
             parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!sibling->isHidden() && sibling->geometry() == geometry()) pane = sibling;
        }
    }
    return pane->grab().toImage();
}

void CCodeburgView::SetSnapshotPathChooser(std::function<QString(QWidget*)> chooser)
{
    PathChooser() = std::move(chooser);
}

void CCodeburgView::SetComparePathChooser(std::function<QString(QWidget*)> chooser)
{
    ComparePathChooser() = std::move(chooser);
}

// Colours the shown city by its changes against an older statistics file.
void CCodeburgView::compareWith()
{
    if (!m_app3d || !m_shown || !m_shownStats) return;
    QString path;
    if (ComparePathChooser()) {
        path = ComparePathChooser()(this);
    } else {
        QFileDialog dialog(this, QStringLiteral("Compare with"),
                           QString::fromStdString(m_shown->directory),
                           QStringLiteral("Statistics (*.cbb);;All Files (*)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (Ui().execDialog(&dialog) == QDialog::Accepted) path = dialog.selectedFiles().value(0);
    }
    if (path.isEmpty()) return;
    ProjectStats old(m_shownStats->settings);
    std::string reason;
    if (ReadStatisticsFile(old, path.toStdString(), &reason) != 0) {
        Ui().messageBox(this,
                        QStringLiteral("cannot read statistics file %1: %2")
                            .arg(path, QString::fromStdString(reason)),
                        QString(), QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    m_app3d->setChanges(ClassifyChanges(MatchMethods(old, *m_shownStats)));
}

QString CCodeburgView::chooseSnapshotPath()
{
    if (PathChooser()) return PathChooser()(this);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(this, QString(), documents + QStringLiteral("/codeburg.jpg"),
                       QStringLiteral("Jpeg image (*.jpg);;All Files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    // As before: an existing picture is replaced without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (Ui().execDialog(&dialog) != QDialog::Accepted) return QString();
    return dialog.selectedFiles().value(0);
}

int CCodeburgView::snapshotQuality() const
{
    return m_frame ? m_frame->snapshotQuality() : 75;
}

bool CCodeburgView::takeSnapshot()
{
    QImage picture;
    const bool live = m_app3d && m_app3d->isReady() && !isHidden();
    if (live) {
        m_app3d->setSnapshotMode(true);
        picture = m_app3d->grabFramebuffer();
    }
    if (m_app3d) m_app3d->pause(true);
    if (picture.isNull()) picture = grabPane();

    bool written = false;
    if (!picture.isNull()) {
        const QString path = chooseSnapshotPath();
        if (!path.isEmpty()) {
            std::string error;
            written = WriteJpeg(path.toStdString(), ToRgb(picture), snapshotQuality(), &error);
            if (!written) {
                std::fprintf(stderr, "%s\n", error.c_str());
                // The user asked for the file and must hear that there is none.
                Message(this, QStringLiteral("can't open %1").arg(path));
            }
        }
    }

    if (m_app3d) {
        m_app3d->setSnapshotMode(false);
        m_app3d->pause(false);
        m_app3d->update();
    }
    return written;
}

void CCodeburgView::changeDevice()
{
    if (!m_app3d || !m_app3d->isReady()) return;
    m_app3d->pause(true);
    int maxSamples = 0;
    QString version;
    m_app3d->makeCurrent();
    if (QOpenGLContext* ctx = m_app3d->context()) {
        ctx->functions()->glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
        const auto v = ctx->format().version();
        version = QStringLiteral("OpenGL %1.%2 core").arg(v.first).arg(v.second);
    }
    m_app3d->doneCurrent();
    const DeviceChoice current{!m_app3d->isWindowed(), 0, m_app3d->samples()};
    DeviceDialog dialog(m_app3d->rendererName(), version, maxSamples, current, this);
    const bool accepted = Ui().execDialog(&dialog) == QDialog::Accepted && dialog.changed();
    m_app3d->pause(false);
    if (!accepted) return;
    const DeviceChoice choice = dialog.choice();
    if (choice.samples != current.samples) {
        // The sample count belongs to the surface: a new window takes it.
        if (!m_app3d->isWindowed()) m_app3d->toggleFullScreen();
        const Camera camera = m_app3d->navigation().camera();
        const NameFilter filter = m_app3d->scene().filter();
        const ProjectStats* stats = m_shownStats;
        delete m_app3d;
        m_app3d = nullptr;
        m_hiddenPause = false;
        if (!create3DWindow(choice.samples)) return;
        if (stats && m_shownStats == stats) {
            m_app3d->navigation().setCamera(camera);
            m_app3d->setFilter(filter);
        }
    }
    if (choice.fullScreen == m_app3d->isWindowed()) m_app3d->toggleFullScreen();
}

void CCodeburgView::paintEvent(QPaintEvent*)
{
    // Without a 3D window the pane stays blank.
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
}

void CCodeburgView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_app3d && m_app3d->isWindowed()) m_app3d->setGeometry(rect());
}

}  // namespace codeburg
