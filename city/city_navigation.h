#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "city/camera.h"

namespace codeburg {

// What the window does for the camera: keep the cursor inside a tiny
// rectangle in its middle while the mouse steers, and take the keyboard.
class CursorHost {
public:
    virtual ~CursorHost() = default;
    virtual void clipCursor() = 0;
    virtual void releaseCursor() = 0;
    virtual void takeFocus() = 0;
    // Forgets the motion gathered so far, so that turning the mouse look on
    // does not jerk the view.
    virtual void discardMouseMotion() = 0;
};

// Key states polled once a frame; the mouse motion gathered since the last.
struct NavigationInput {
    bool hasFocus = false;
    bool altOrCtrl = false;
    bool pageUp = false, pageDown = false;
    bool left = false, right = false, up = false, down = false;
    float mouseDx = 0, mouseDy = 0;
};

// The camera of the city pane and how it moves: the fly-over orbit, free
// movement steered by keys and mouse, and the map view. Plain arithmetic on
// millisecond ticks given by the caller, so every step can be replayed.
class CityNavigation {
public:
    enum FlyMode : int32_t { FlyOver = 0, FreeMovement = 1 };

    // "host" (not owned) may be null: the cursor then stays free.
    explicit CityNavigation(CursorHost* host = nullptr) : m_host(host) {}

    // The city the camera moves over: grid size and longest method eloc.
    // Puts the camera at the centre on the ground.
    void setCity(int32_t gridWidth, int32_t gridHeight, int32_t maxMethodEloc);
    // A project shown afresh: its last viewpoint, or the default camera for
    // an empty text. In free movement the mouse is captured again.
    void showProject(std::string_view lastViewpoint);

    // One frame at "now" (ms); true when the camera moved. Read camera()
    // afterwards.
    bool frameMove(uint32_t now, const NavigationInput& input);
    // The keys of free movement, pressed once: each press moves a share of
    // the city at once, so that tapping gets somewhere in a large city too.
    enum class Key { Left, Right, Up, Down, PageUp, PageDown };
    void keyPressed(Key key);
    // How far one press goes: a fiftieth of the city's larger side, at least
    // one unit. Held keys move at 12.5 units a second times speedScale().
    float keyStep() const;
    float speedScale() const;
    // Frames are drawn only while something moves: the first frame after a
    // rest must count the rest neither as time the keys were held nor as
    // progress of the orbit.
    void restartClocks(uint32_t now) { m_lastTick = m_previous = now; }

    // The commands and keys.
    void flyOver();              // F2
    void freeMovement();         // F3
    void mapView();              // F4
    void rightClick();           // pause the orbit or toggle the mouse look
    void wheel(int32_t delta);   // 120 a notch: 15 units forward
    void setMouseLook(bool on);  // enable / disable
    // Applies a viewpoint text and enters free movement. Numbers that do not
    // read leave the camera values from there on as they were.
    void moveToViewpoint(std::string_view text);
    // The viewpoint text of the last frame; none in fly-over.
    std::optional<std::string> currentViewpoint() const;

    int32_t flyMode() const { return m_flyMode; }
    void setFlyMode(int32_t mode) { m_flyMode = mode == FreeMovement ? FreeMovement : FlyOver; }
    bool paused() const { return m_paused; }
    bool mouseLook() const { return m_mouseEnabled; }
    bool capturePending() const { return m_capturePending; }
    uint32_t flyTime() const { return m_flyTime; }

    const Camera& camera() const { return m_camera; }
    void setCamera(const Camera& camera) { m_camera = m_lastCamera = camera; }
    const Camera& lastCamera() const { return m_lastCamera; }
    Mat4 view() const { return ViewMatrix(m_camera); }
    Mat4 projection() const;

    // Steps of free movement, exposed for the wheel and the tests.
    void strafe(float d);
    void move(float d);

private:
    void capture();
    void flyOverStep();

    CursorHost* m_host;
    int32_t m_gridWidth = 0, m_gridHeight = 0, m_maxEloc = 0;
    Camera m_camera;
    Camera m_lastCamera;
    float m_savedYaw = 0, m_savedPitch = 0;
    int32_t m_flyMode = FlyOver;
    bool m_paused = false;
    bool m_mouseEnabled = false;
    bool m_capturePending = true;
    uint32_t m_flyTime = 0;
    uint32_t m_lastTick = 0;  // of the keyboard step
    uint32_t m_previous = 0;  // of the fly-over clock
    bool m_clockStarted = false;
};

}  // namespace codeburg
