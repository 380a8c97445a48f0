#include "views/city_app.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QSurfaceFormat>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "city/render/city_renderer.h"
#include "gui/command_ids.h"
#include "gui/interaction.h"
#include "gui/profile.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

const QString kSection = QStringLiteral("3D");
constexpr int kFrameInterval = 10;  // ms between the end of a frame and the next
constexpr int kTextPixels = 11;     // Arial 8 at the usual 96 dots an inch
// Beyond this side the ground only costs memory: a texel is then far below a
// pixel of any window.
constexpr int32_t kGroundLimit = 4096;
// How tall a label's letters stand in world units, and the pixel sizes
// they are kept within so that they stay legible.
constexpr float kLabelHeight = 0.6f;
constexpr int kMinLabelPixels = 10;
constexpr int kMaxLabelPixels = 16;
// Labels beyond this many (the nearest first) would only cover each other.
constexpr size_t kMaxLabels = 2000;

QColor ToQColor(uint32_t argb)
{
    return QColor::fromRgba(argb);
}

// Texts over the city stand on a translucent dark backing, so that they read
// over bright ground and pale buildings alike.
void DrawBackedText(QPainter& painter, const QRect& box, const QString& text, const QColor& colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 150));
    painter.drawRoundedRect(box.adjusted(-3, -1, 3, 1), 3, 3);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

QFont HudFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kTextPixels);
    return font;
}

bool IsMovementKey(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
           key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

CityNavigation::Key NavigationKey(int key)
{
    switch (key) {
        case Qt::Key_Left:
            return CityNavigation::Key::Left;
        case Qt::Key_Right:
            return CityNavigation::Key::Right;
        case Qt::Key_Up:
            return CityNavigation::Key::Up;
        case Qt::Key_Down:
            return CityNavigation::Key::Down;
        case Qt::Key_PageUp:
            return CityNavigation::Key::PageUp;
        default:
            return CityNavigation::Key::PageDown;
    }
}

}  // namespace

QString FrameworkErrorText(uint32_t code)
{
    const char* text = nullptr;
    switch (code) {
        case 0x8007000E:
            text = "Not enough memory.";
            break;
        case 0x82000001:
            text =
                "Could not initialize Direct3D. You may\nwant to check that the latest version "
                "of\nDirectX is correctly installed on your\nsystem.  Also make sure that this "
                "program\nwas compiled with header files that match\nthe installed DirectX DLLs.";
            break;
        case 0x82000003:
            text = "Could not find any compatible Direct3D\ndevices.";
            break;
        case 0x82000004:
            text =
                "This sample cannot run in a desktop\nwindow with the current display "
                "settings.\nPlease change your desktop settings to a\n16- or 32-bit display "
                "mode and re-run this\nsample.";
            break;
        case 0x82000005:
            text = "No hardware-accelerated Direct3D devices\nwere found.";
            break;
        case 0x82000006:
            text =
                "This sample requires functionality that is\nnot available on your Direct3D "
                "hardware\naccelerator.";
            break;
        case 0x82000007:
            text =
                "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 "
                "while the app is running to see a\nlist of available devices and modes.";
            break;
        case 0x82000008:
            text =
                "Your Direct3D hardware accelerator cannot\nrender into a window with the "
                "current\ndesktop display settings.\nPress F2 while the app is running to see "
                "a\nlist of available devices and modes.";
            break;
        case 0x82000009:
            text =
                "This sample requires functionality that is\nnot available on your Direct3D "
                "hardware\naccelerator with the current desktop display\nsettings.\nPress F2 "
                "while the app is running to see a\nlist of available devices and modes.";
            break;
        case 0x8200000A:
            text =
                "A D3D object has a non-zero reference\ncount (meaning things were not "
                "properly\ncleaned up).";
            break;
        case 0x8200000B:
            text = "Could not load required media.";
            break;
        case 0x8200000C:
            text = "Could not resize the Direct3D device.";
            break;
        case 0x8876017C:
            text = "Not enough video memory.";
            break;
        default:
            text = "Generic application error. Enable\ndebug output for detailed information.";
            break;
    }
    return QString::fromLatin1(text) + QStringLiteral("\n\nThis sample will now exit.");
}

CityApp::CityApp(QWidget* parent, int samples) : QOpenGLWidget(parent), m_samples(samples)
{
    setObjectName(QStringLiteral("CityApp"));
    setWindowTitle(QLatin1String(kTitle));
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setSamples(samples);
    setFormat(format);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);

    m_navigation = CityNavigation(this);
    m_navigation.setFlyMode(ProfileInt(kSection, QStringLiteral("FLYMODE"), 0));
    m_scene.setDisplayMode(
        static_cast<DisplayMode>(ProfileInt(kSection, QStringLiteral("DISPLAYMODE"), 0)));

    m_timer.setSingleShot(true);
    m_timer.setInterval(kFrameInterval);
    connect(&m_timer, &QTimer::timeout, this, &CityApp::onTick);
    connect(this, &QOpenGLWidget::frameSwapped, this, &CityApp::arm);
    m_clock.start();
}

CityApp::~CityApp()
{
    WriteProfileInt(kSection, QStringLiteral("FLYMODE"), m_navigation.flyMode());
    // The change mode lasts as long as its comparison, never to the next start.
    const DisplayMode mode = m_scene.displayMode();
    WriteProfileInt(kSection, QStringLiteral("DISPLAYMODE"),
                    mode == kChangeDisplayMode ? 0 : static_cast<int>(mode));
    releaseCursor();
    if (QOpenGLContext* ctx = context()) {
        // The context outlives this part of the object: nothing of ours may
        // run when it goes.
        disconnect(ctx, nullptr, this, nullptr);
        makeCurrent();
        invalidateDeviceObjects();
        doneCurrent();
    }
}

void CityApp::showProject(const ProjectStats* stats, const std::string& lastViewpoint,
                          bool keepCamera)
{
    pause(true);
    const int32_t limit = m_renderer && m_renderer->maxTextureSize() > 0
                              ? std::min(m_renderer->maxTextureSize(), kGroundLimit)
                              : kGroundLimit;
    m_scene.setProject(stats, limit);
    m_hovered = nullptr;
    if (stats) {
        const Camera kept = m_navigation.camera();
        const CityGrid& grid = stats->cityGrid;
        m_navigation.setCity(grid.width, grid.height, stats->measures.maxMethodEloc);
        if (keepCamera)
            m_navigation.setCamera(kept);
        else
            m_navigation.showProject(lastViewpoint);
    }
    m_sceneDirty = true;
    pause(false);
    wake();
    update();
}

void CityApp::setChanges(std::unordered_map<const MethodStats*, BuildingChange> changes)
{
    m_scene.setChanges(std::move(changes));
    m_sceneDirty = true;
    wake();
    update();
}

void CityApp::setFrozen(bool on)
{
    if (on == m_frozen) return;
    if (on) {
        // Taken while the records are still whole; hidden, there is nothing
        // to keep.
        m_still = m_ready && isVisible() ? grabFramebuffer() : QImage();
        m_hovered = nullptr;
        QToolTip::hideText();
        m_frozen = true;
        pause(true);
    } else {
        m_frozen = false;
        m_still = QImage();
        if (m_pendingFilter) setFilter(*std::exchange(m_pendingFilter, std::nullopt));
        pause(false);
        wake();
    }
    update();
}

void CityApp::setFilter(const NameFilter& filter)
{
    if (m_frozen) {
        // Matching reads the records; the filter waits for the thaw.
        m_pendingFilter = filter;
        return;
    }
    m_scene.setFilter(filter);
    if (m_renderer && m_ready && !m_sceneDirty) {
        makeCurrent();
        m_renderer->setFilter(m_scene.boxVisible(), m_scene.towerVisible());
        doneCurrent();
    }
    update();
}

void CityApp::initializeGL()
{
    QOpenGLContext* ctx = context();
    if (!ctx || !ctx->isValid() || ctx->format().version() < qMakePair(3, 3)) {
        reportFatal(kNoDirect3D);
        return;
    }
    connect(ctx, &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        invalidateDeviceObjects();
        doneCurrent();
    });
    restoreDeviceObjects();
}

void CityApp::restoreDeviceObjects()
{
    m_renderer = std::make_unique<CityRenderer>();
    std::string error;
    if (!m_renderer->initialize(&error)) {
        qWarning("%s", error.c_str());
        m_renderer.reset();
        reportFatal(kMediaNotFound);
        return;
    }
    const auto* name = context()->functions()->glGetString(GL_RENDERER);
    m_rendererName = name ? QString::fromLatin1(reinterpret_cast<const char*>(name)) : QString();
    m_ready = true;
    m_sceneDirty = true;
    arm();
}

void CityApp::invalidateDeviceObjects()
{
    m_ready = false;
    if (m_renderer) m_renderer->release();
    m_renderer.reset();
}

void CityApp::uploadScene()
{
    m_renderer->setCity(m_scene.geometry(), m_scene.ground());
    m_renderer->setFilter(m_scene.boxVisible(), m_scene.towerVisible());
    m_sceneDirty = false;
}

void CityApp::pause(bool on)
{
    m_pauseCount = on ? m_pauseCount + 1 : std::max(0, m_pauseCount - 1);
    if (isPaused())
        m_timer.stop();
    else
        arm();
}

void CityApp::arm()
{
    if (isPaused() || !m_frameMoving || !m_ready || !isVisible() || m_timer.isActive() ||
        !m_animating)
        return;
    m_timer.start();
}

void CityApp::wake()
{
    // After a rest the clocks start again where the rest ends.
    if (!m_animating) m_navigation.restartClocks(static_cast<uint32_t>(m_clock.elapsed()));
    m_animating = true;
    arm();
}

void CityApp::onTick()
{
    if (isPaused() || !m_ready) return;
    bool moved = false;
    if (m_frameMoving || m_singleStep) {
        moved = frameMove();
        m_singleStep = false;
    }
    // A still camera needs no more frames until something wakes it; a held
    // key keeps them coming even against the ground.
    bool held = false;
    for (int key : m_keys) held = held || IsMovementKey(key);
    m_animating = moved || held;
    update();
}

bool CityApp::frameMove()
{
    if (!m_scene.project()) return false;
    NavigationInput input;
    input.hasFocus = hasFocus();
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    input.altOrCtrl = mods & (Qt::AltModifier | Qt::ControlModifier);
    input.pageUp = m_keys.contains(Qt::Key_PageUp);
    input.pageDown = m_keys.contains(Qt::Key_PageDown);
    input.left = m_keys.contains(Qt::Key_Left);
    input.right = m_keys.contains(Qt::Key_Right);
    input.up = m_keys.contains(Qt::Key_Up);
    input.down = m_keys.contains(Qt::Key_Down);
    input.mouseDx = static_cast<float>(m_mouseMotion.x());
    input.mouseDy = static_cast<float>(m_mouseMotion.y());
    m_mouseMotion = QPointF();
    const auto now = static_cast<uint32_t>(m_clock.elapsed());
    const bool moved = m_navigation.frameMove(now, input);
    updateCursorShape();
    return moved;
}

void CityApp::renderFrame()
{
    frameMove();
    repaint();
}

void CityApp::setSnapshotMode(bool on)
{
    m_snapshot = on;
}

void CityApp::resizeGL(int, int)
{
    // The projection keeps its aspect of 1.0 whatever the shape; only the
    // texts follow the new size, which they read each frame.
}

void CityApp::paintGL()
{
    QPainter painter(this);
    const uint32_t bg = BackgroundColour();
    if (!m_ready || !m_renderer) {
        painter.fillRect(rect(), QColor::fromRgb(bg));
        return;
    }
    if (m_frozen) {
        // Dimmed: the picture stands still until the build is through.
        painter.fillRect(rect(), QColor::fromRgb(bg));
        if (!m_still.isNull()) painter.drawImage(rect(), m_still);
        painter.fillRect(rect(), QColor(0, 0, 0, 60));
        return;
    }
    if (m_sceneDirty) uploadScene();
    const Mat4 view = m_navigation.view();
    const Mat4 projection = m_navigation.projection();
    const bool shown = m_scene.project() != nullptr;
    if (shown && m_navigation.flyMode() == CityNavigation::FreeMovement) {
        m_scene.clearPick();
        if (!m_navigation.mouseLook()) {
            const QPoint cursor = mapFromGlobal(QCursor::pos());
            m_scene.pick(cursor.x(), cursor.y(), width(), height(), projection, view);
        }
    }
    m_renderer->setPicked(m_scene.pickedBox(), m_scene.pickedTower());

    painter.beginNativePainting();
    const qreal ratio = devicePixelRatio();
    m_renderer->render(static_cast<int32_t>(width() * ratio),
                       static_cast<int32_t>(height() * ratio), view, projection);
    // The painter's texts are drawn flat over the picture: the depth test
    // and the culling the city needs would hide them.
    QOpenGLFunctions* gl = context()->functions();
    gl->glDisable(GL_DEPTH_TEST);
    gl->glDisable(GL_CULL_FACE);
    gl->glUseProgram(0);
    painter.endNativePainting();

    const std::vector<QRect> texts = layOutTexts();
    if (shown && !m_snapshot) drawLabels(painter, view, projection, texts);
    drawTexts(painter, texts);
    ++m_framesDrawn;
}

std::vector<QRect> CityApp::layOutTexts()
{
    HudState state;
    state.clientWidth = width();
    state.clientHeight = height();
    state.fullScreen = m_fullScreen;
    state.flyMode = m_navigation.flyMode();
    state.paused = m_navigation.paused();
    state.mouseLook = m_navigation.mouseLook();
    state.snapshot = m_snapshot;
    state.displayMode = m_scene.displayMode();
    m_lastTexts = m_scene.hudTexts(state);
    const QFontMetrics metrics(HudFont());
    std::vector<QRect> boxes;
    for (const HudText& line : m_lastTexts) {
        const QString text = QString::fromStdString(line.text);
        boxes.emplace_back(line.x, line.y, metrics.horizontalAdvance(text), metrics.height());
    }
    return boxes;
}

void CityApp::drawTexts(QPainter& painter, const std::vector<QRect>& boxes)
{
    painter.setFont(HudFont());
    for (size_t i = 0; i < m_lastTexts.size() && i < boxes.size(); ++i) {
        DrawBackedText(painter, boxes[i], QString::fromStdString(m_lastTexts[i].text),
                       ToQColor(m_lastTexts[i].colour));
    }
}

void CityApp::drawLabels(QPainter& painter, const Mat4& view, const Mat4& projection,
                         const std::vector<QRect>& texts)
{
    struct Placed {
        float depth;
        QPointF at;
        int pixels;
        const std::string* text;
    };
    const Mat4 m = view * projection;
    const float w = static_cast<float>(width()), h = static_cast<float>(height());
    const std::vector<CityLabel> labels = m_scene.labels();
    std::vector<Placed> placed;
    for (const CityLabel& label : labels) {
        const Vec3 p = label.position;
        float clip[4];
        for (int c = 0; c < 4; ++c)
            clip[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + m.m[3][c];
        if (clip[3] < 1.0f) continue;  // behind the near plane
        const float nx = clip[0] / clip[3], ny = clip[1] / clip[3];
        if (std::fabs(nx) > 1.1f || std::fabs(ny) > 1.1f) continue;
        // Letters of a fixed world size shrink with the distance, within
        // bounds that keep them legible.
        const float pixels = kLabelHeight * projection.m[1][1] * h * 0.5f / clip[3];
        placed.push_back({clip[3], QPointF((nx + 1.0f) * 0.5f * w, (1.0f - ny) * 0.5f * h),
                          std::clamp(static_cast<int>(pixels), kMinLabelPixels, kMaxLabelPixels),
                          &label.text});
    }
    // The nearest first: a label that would cover a nearer one is left out.
    std::sort(placed.begin(), placed.end(),
              [](const Placed& a, const Placed& b) { return a.depth < b.depth; });
    if (placed.size() > kMaxLabels) placed.resize(kMaxLabels);
    struct Shown {
        QRect box;
        QString text;
        int pixels;
    };
    QFont font(QStringLiteral("Arial"));
    std::vector<Shown> shown;
    for (const Placed& label : placed) {
        font.setPixelSize(label.pixels);
        const QFontMetrics metrics(font);
        const QString text = QString::fromStdString(*label.text);
        const int textWidth = metrics.horizontalAdvance(text);
        const QRect box(static_cast<int>(label.at.x()) - textWidth / 2,
                        static_cast<int>(label.at.y()) - metrics.height(), textWidth,
                        metrics.height());
        const QRect backing = box.adjusted(-3, -1, 3, 1);
        // Neither over a nearer label nor over the overlay's lines.
        bool covers = false;
        for (const Shown& other : shown) covers = covers || other.box.intersects(backing);
        for (const QRect& text : texts)
            covers = covers || text.adjusted(-3, -1, 3, 1).intersects(backing);
        if (!covers) shown.push_back({backing, text, label.pixels});
    }
    // Drawn far to near, so that the nearest lies on top.
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
        font.setPixelSize(it->pixels);
        painter.setFont(font);
        DrawBackedText(painter, it->box.adjusted(3, 1, -3, -1), it->text, Qt::white);
    }
}

void CityApp::showEvent(QShowEvent* event)
{
    QOpenGLWidget::showEvent(event);
    wake();
}

bool CityApp::handleCommand(int id)
{
    using namespace cmd;
    switch (id) {
        case kChangeDevice:
            if (m_ready) emit deviceChangeRequested();
            return true;
        case kFullScreen:
            toggleFullScreen();
            return true;
        case kFlyOver:
            m_navigation.flyOver();
            break;
        case kGoStop:
            m_frameMoving = !m_frameMoving;
            if (m_frameMoving)
                arm();
            else
                m_timer.stop();
            break;
        case kSingleStep:
            m_timer.stop();
            m_frameMoving = false;
            m_singleStep = true;
            onTick();
            return true;
        case kFreeMovement:
            m_navigation.freeMovement();
            break;
        case kMapView:
        case kViewpointMap:
            m_navigation.mapView();
            break;
        case kToggleMethodNames:
            m_scene.toggleLabels();
            break;
        case kNextDisplayMode:
            m_scene.nextDisplayMode();
            m_sceneDirty = true;
            break;
        default:
            return false;
    }
    updateCursorShape();
    wake();
    update();
    return true;
}

void CityApp::toggleFullScreen()
{
    // Moving the widget to a window of its own remakes its context: the
    // device objects go and come back through invalidate and restore.
    if (!m_fullScreen) {
        m_home = parentWidget();
        setParent(nullptr);
        setWindowTitle(QLatin1String(kTitle));
        m_fullScreen = true;
        showFullScreen();
    } else {
        m_fullScreen = false;
        setParent(m_home);
        if (m_home) setGeometry(m_home->rect());
        show();
    }
    takeFocus();
}

void CityApp::keyPressEvent(QKeyEvent* event)
{
    if (m_frozen) return;
    if (!event->isAutoRepeat()) {
        m_keys.insert(event->key());
        if (IsMovementKey(event->key()) && m_scene.project() &&
            !(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier))) {
            m_navigation.keyPressed(NavigationKey(event->key()));
            wake();
            update();
        }
    }
    if (m_fullScreen && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::AltModifier)) {
        toggleFullScreen();
        return;
    }
    if (m_fullScreen && event->key() == Qt::Key_Escape) {
        toggleFullScreen();
        return;
    }
    QOpenGLWidget::keyPressEvent(event);
}

void CityApp::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat()) m_keys.remove(event->key());
    // While windowed the frame's accelerators have acted on the key press
    // already; acting again on the release would undo F5. Alone on the
    // screen the window takes the keys itself.
    if (m_fullScreen && !event->isAutoRepeat()) {
        switch (event->key()) {
            case Qt::Key_F2:
                handleCommand(cmd::kFlyOver);
                return;
            case Qt::Key_F3:
                handleCommand(cmd::kFreeMovement);
                return;
            case Qt::Key_F4:
                handleCommand(cmd::kMapView);
                return;
            case Qt::Key_F5:
                handleCommand(cmd::kToggleMethodNames);
                return;
            case Qt::Key_F6:
                handleCommand(cmd::kNextDisplayMode);
                return;
            default:
                break;
        }
    }
    QOpenGLWidget::keyReleaseEvent(event);
}

void CityApp::mousePressEvent(QMouseEvent* event)
{
    if (m_frozen) return;
    if (event->button() == Qt::RightButton && m_scene.project()) {
        m_navigation.rightClick();
        updateCursorShape();
        wake();
        update();
        return;
    }
    if (event->button() == Qt::LeftButton) m_pressPos = event->position().toPoint();
    setFocus(Qt::MouseFocusReason);
    QOpenGLWidget::mousePressEvent(event);
}

void CityApp::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_frozen || event->button() != Qt::LeftButton || !m_scene.project()) return;
    if (m_navigation.mouseLook() && m_navigation.flyMode() == CityNavigation::FreeMovement) return;
    // A click, not the end of a drag.
    const QPoint pos = event->position().toPoint();
    if ((pos - m_pressPos).manhattanLength() > 4) return;
    emit buildingClicked(methodAt(pos));
}

void CityApp::mouseMoveEvent(QMouseEvent* event)
{
    if (m_frozen) return;
    if (m_navigation.mouseLook() && m_navigation.flyMode() == CityNavigation::FreeMovement) {
        const QPointF delta = event->position() - QPointF(centre());
        if (!delta.isNull()) {
            m_mouseMotion += delta;
            QCursor::setPos(mapToGlobal(centre()));
            wake();
        }
        return;
    }
    hoverAt(event->position().toPoint());
    // Free movement picks under the cursor in every frame it draws.
    if (m_navigation.flyMode() == CityNavigation::FreeMovement) update();
    QOpenGLWidget::mouseMoveEvent(event);
}

void CityApp::leaveEvent(QEvent* event)
{
    if (m_hovered) {
        m_hovered = nullptr;
        emit buildingHovered(QString());
    }
    QOpenGLWidget::leaveEvent(event);
}

const MethodStats* CityApp::methodAt(const QPoint& pos) const
{
    if (m_frozen || !m_ready || !m_scene.project()) return nullptr;
    return m_scene.methodAt(pos.x(), pos.y(), width(), height(), m_navigation.projection(),
                            m_navigation.view());
}

void CityApp::hoverAt(const QPoint& pos)
{
    const MethodStats* method = methodAt(pos);
    if (method == m_hovered) return;
    m_hovered = method;
    const QString text = method ? QString::fromStdString(BuildingDescription(*method)) : QString();
    if (method)
        QToolTip::showText(mapToGlobal(pos), text, this);
    else
        QToolTip::hideText();
    emit buildingHovered(text);
}

void CityApp::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_frozen || event->button() != Qt::LeftButton) return;
    if (m_navigation.flyMode() != CityNavigation::FreeMovement) return;
    if (const MethodStats* method = m_scene.shownPick()) emit methodActivated(method);
}

void CityApp::wheelEvent(QWheelEvent* event)
{
    if (m_frozen || !m_scene.project()) return;
    m_navigation.wheel(event->angleDelta().y());
    update();
}

void CityApp::focusOutEvent(QFocusEvent* event)
{
    // A key released in another window would otherwise stay held here.
    m_keys.clear();
    QOpenGLWidget::focusOutEvent(event);
}

QPoint CityApp::centre() const
{
    return QPoint(width() / 2, height() / 2);
}

void CityApp::clipCursor()
{
    if (!isVisible()) return;
    if (!m_clipped) grabMouse();
    m_clipped = true;
    QCursor::setPos(mapToGlobal(centre()));
    updateCursorShape();
}

void CityApp::releaseCursor()
{
    if (m_clipped) releaseMouse();
    m_clipped = false;
    updateCursorShape();
}

void CityApp::takeFocus()
{
    if (isVisible()) setFocus(Qt::OtherFocusReason);
}

void CityApp::discardMouseMotion()
{
    m_mouseMotion = QPointF();
}

void CityApp::updateCursorShape()
{
    const bool look =
        m_navigation.mouseLook() && m_navigation.flyMode() == CityNavigation::FreeMovement;
    setCursor(look ? Qt::CrossCursor : Qt::ArrowCursor);
}

void CityApp::reportFatal(uint32_t code)
{
    if (m_failed) return;
    m_failed = true;
    m_ready = false;
    // Not from inside the GL call that found the fault: the box runs its
    // own event loop, which must not paint this widget again.
    QTimer::singleShot(0, this, [this, code] {
        Ui().messageBox(nullptr, FrameworkErrorText(code), QLatin1String(kTitle),
                        QMessageBox::Critical, QMessageBox::Ok);
        hide();
    });
}

}  // namespace codeburg
