#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QOpenGLWidget>
#include <QPointF>
#include <QSet>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "city/city_navigation.h"
#include "city/city_scene.h"

namespace codeburg {

class CityRenderer;
class ProjectStats;
struct MethodStats;

// The text of a fatal framework error, followed by the closing sentence the
// user sees in the message box.
QString FrameworkErrorText(uint32_t code);

// The 3D city window: a small frame loop around the Qt-free renderer. It
// restores its device objects when the GL context is made (again, after a
// reparenting) and invalidates them before the context goes, moves the
// camera and draws one frame each time a 10 ms single-shot timer fires, and
// pauses by count. Geometry, colours and picking are the scene's; the widget
// only uploads, draws and writes the texts over the picture.
class CityApp : public QOpenGLWidget, private CursorHost {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "DirectX Window for CODEBURG";
    // Errors of the framework; FrameworkErrorText() gives their texts.
    static constexpr uint32_t kNoDirect3D = 0x82000001;
    static constexpr uint32_t kMediaNotFound = 0x8200000B;
    static constexpr uint32_t kResizeFailed = 0x8200000C;

    // "samples" is the multisample count of the surface (0 none).
    explicit CityApp(QWidget* parent = nullptr, int samples = 0);
    ~CityApp() override;  // keeps the fly and display modes in the profile

    // The project shown, not owned; nullptr shows the prompt. The last
    // viewpoint text, when not empty, places the camera; "keepCamera" leaves
    // it where it is (the same project shown again after a build).
    void showProject(const ProjectStats* stats, const std::string& lastViewpoint,
                     bool keepCamera = false);
    const ProjectStats* project() const { return m_scene.project(); }
    CityScene& scene() { return m_scene; }
    const CityScene& scene() const { return m_scene; }
    CityNavigation& navigation() { return m_navigation; }
    const CityNavigation& navigation() const { return m_navigation; }
    void setFilter(const NameFilter& filter);

    // True once the context exists and the device objects were made.
    bool isReady() const { return m_ready; }
    QString rendererName() const { return m_rendererName; }
    int samples() const { return m_samples; }

    // Counted: every pause(true) needs its pause(false). While paused no
    // frame is moved or drawn and the timer stands.
    void pause(bool on);
    bool isPaused() const { return m_pauseCount > 0; }
    // While a build replaces the records of the project shown, the window
    // shows the last picture it drew and reads nothing of the project; it
    // is paused meanwhile. The project is shown again (or another one) before
    // the window thaws.
    void setFrozen(bool on);
    bool isFrozen() const { return m_frozen; }
    // Frames are drawn while the camera moves (the orbit, held keys, the
    // mouse look) and on demand otherwise.
    bool isAnimating() const { return m_animating; }
    bool isFrameMoving() const { return m_frameMoving; }
    bool isWindowed() const { return !m_fullScreen; }
    // Shows the window alone on the whole screen, or puts it back.
    void toggleFullScreen();

    // The frame in snapshot form: the credit line and no labels.
    void setSnapshotMode(bool on);
    bool snapshotMode() const { return m_snapshot; }
    // Moves the camera by one frame and draws it now, outside the timer.
    void renderFrame();

    // The commands of the 3D window; false when the id is not one of them.
    bool handleCommand(int id);
    // Shows the shown project's changes against an older build as an extra
    // display mode, until another project or build is shown.
    void setChanges(std::unordered_map<const MethodStats*, BuildingChange> changes);
    // What the last frame wrote over the picture, for the tests.
    const std::vector<HudText>& lastTexts() const { return m_lastTexts; }
    int framesDrawn() const { return m_framesDrawn; }

signals:
    // A double click on a building that the filter shows.
    void methodActivated(const MethodStats* method);
    // The building under the pointer changed: its description, or an empty
    // text over the ground.
    void buildingHovered(const QString& description);
    // A single click: the building shown under the pointer, or null.
    void buildingClicked(const MethodStats* method);
    // Asked to leave or enter full screen through the keyboard while alone.
    void deviceChangeRequested();

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // CursorHost
    void clipCursor() override;
    void releaseCursor() override;
    void takeFocus() override;
    void discardMouseMotion() override;

    void restoreDeviceObjects();
    void invalidateDeviceObjects();
    void uploadScene();
    void onTick();
    bool frameMove();
    void arm();
    void wake();
    void hoverAt(const QPoint& pos);
    const MethodStats* methodAt(const QPoint& pos) const;
    // The overlay's lines of this frame and where they stand.
    std::vector<QRect> layOutTexts();
    void drawTexts(QPainter& painter, const std::vector<QRect>& boxes);
    void updateCursorShape();
    void drawLabels(QPainter& painter, const Mat4& view, const Mat4& projection,
                    const std::vector<QRect>& texts);
    void reportFatal(uint32_t code);
    QPoint centre() const;

    CityScene m_scene;
    CityNavigation m_navigation;
    std::unique_ptr<CityRenderer> m_renderer;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QSet<int> m_keys;
    QPointF m_mouseMotion;
    QString m_rendererName;
    QWidget* m_home = nullptr;  // the parent while windowed
    std::vector<HudText> m_lastTexts;
    QImage m_still;                             // the picture shown while frozen
    std::optional<NameFilter> m_pendingFilter;  // set while frozen
    const MethodStats* m_hovered = nullptr;
    QPoint m_pressPos;
    int m_samples = 0;
    int m_pauseCount = 0;
    int m_framesDrawn = 0;
    bool m_ready = false;
    bool m_failed = false;
    bool m_sceneDirty = false;
    bool m_frameMoving = true;
    bool m_singleStep = false;
    bool m_fullScreen = false;
    bool m_snapshot = false;
    bool m_clipped = false;
    bool m_frozen = false;
    bool m_animating = true;
};

}  // namespace codeburg
