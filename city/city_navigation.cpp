#include "city/city_navigation.h"

#include <algorithm>
#include <cmath>

#include "city/viewpoint.h"

namespace codeburg {

namespace {

constexpr float kPi = 3.14159265358979f;
// How far the fly-over camera may move along each axis in one frame, so a
// camera far from the orbit glides in instead of jumping.
constexpr float kMaxGlide = 2.0f;
constexpr float kMouseScale = 1.0f / 700.0f;

float Glide(float current, float target)
{
    return current + std::clamp((target - current) * 0.02f, -kMaxGlide, kMaxGlide);
}

}  // namespace

void CityNavigation::setCity(int32_t gridWidth, int32_t gridHeight, int32_t maxMethodEloc)
{
    m_gridWidth = std::max(0, gridWidth);
    m_gridHeight = std::max(0, gridHeight);
    m_maxEloc = std::max(0, maxMethodEloc);
    m_camera = DefaultCamera(m_gridWidth, m_gridHeight);
    m_lastCamera = m_camera;
}

void CityNavigation::showProject(std::string_view lastViewpoint)
{
    m_camera = DefaultCamera(m_gridWidth, m_gridHeight);
    if (!lastViewpoint.empty()) {
        ApplyViewpoint(lastViewpoint, m_camera);
        m_savedPitch = m_camera.pitch;
        m_savedYaw = m_camera.yaw;
        if (m_flyMode == FreeMovement) capture();
    }
    m_lastCamera = m_camera;
}

Mat4 CityNavigation::projection() const
{
    return CityProjection(m_gridWidth, m_gridHeight, m_maxEloc);
}

void CityNavigation::capture()
{
    m_flyMode = FreeMovement;
    if (!m_host) return;
    if (m_mouseEnabled) m_host->clipCursor();
    m_host->takeFocus();
}

void CityNavigation::setMouseLook(bool on)
{
    if (on) {
        m_mouseEnabled = true;
        m_camera.yaw = m_savedYaw;
        m_camera.pitch = m_savedPitch;
        capture();
        if (m_host) m_host->discardMouseMotion();
    } else {
        m_savedYaw = m_camera.yaw;
        m_savedPitch = m_camera.pitch;
        m_mouseEnabled = false;
        if (m_host) m_host->releaseCursor();
    }
}

void CityNavigation::flyOver()
{
    if (m_flyMode != FlyOver) m_paused = false;
    m_flyMode = FlyOver;
    if (m_host) m_host->releaseCursor();
}

void CityNavigation::freeMovement()
{
    m_paused = true;
    capture();
}

void CityNavigation::mapView()
{
    m_flyMode = FreeMovement;
    m_camera = MapViewCamera(m_gridWidth, m_gridHeight, m_maxEloc);
    m_savedYaw = m_camera.yaw;
    m_savedPitch = m_camera.pitch;
    capture();
}

void CityNavigation::rightClick()
{
    if (m_flyMode == FlyOver)
        m_paused = !m_paused;
    else
        setMouseLook(!m_mouseEnabled);
}

void CityNavigation::wheel(int32_t delta)
{
    move(static_cast<float>(delta) * 0.125f);
}

void CityNavigation::moveToViewpoint(std::string_view text)
{
    ApplyViewpoint(text, m_camera);
    m_savedPitch = m_camera.pitch;
    m_savedYaw = m_camera.yaw;
    capture();
    m_lastCamera = m_camera;
}

std::optional<std::string> CityNavigation::currentViewpoint() const
{
    if (m_flyMode != FreeMovement) return std::nullopt;
    return FormatViewpoint(m_lastCamera);
}

void CityNavigation::strafe(float d)
{
    m_camera.x -= std::cos(m_camera.yaw) * d;
    m_camera.z -= std::sin(m_camera.yaw) * d;
}

void CityNavigation::move(float d)
{
    m_camera.x += std::cos(m_camera.yaw + kPi / 2) * std::cos(m_camera.pitch) * d;
    m_camera.z += std::sin(m_camera.yaw + kPi / 2) * std::cos(m_camera.pitch) * d;
    m_camera.y += std::sin(m_camera.pitch) * d;
}

float CityNavigation::speedScale() const
{
    return std::max(1.0f, static_cast<float>(std::max(m_gridWidth, m_gridHeight)) / 100.0f);
}

float CityNavigation::keyStep() const
{
    return std::max(1.0f, static_cast<float>(std::max(m_gridWidth, m_gridHeight)) / 50.0f);
}

void CityNavigation::keyPressed(Key key)
{
    if (m_flyMode != FreeMovement) return;
    const float step = keyStep();
    switch (key) {
        case Key::Left:
            strafe(step);
            break;
        case Key::Right:
            strafe(-step);
            break;
        case Key::Up:
            move(step);
            break;
        case Key::Down:
            move(-step);
            break;
        case Key::PageUp:
            m_camera.y += step;
            break;
        case Key::PageDown:
            m_camera.y -= step;
            break;
    }
    m_camera.y = std::max(m_camera.y, 1.0f);
    m_lastCamera = m_camera;
}

bool CityNavigation::frameMove(uint32_t now, const NavigationInput& input)
{
    const Camera before = m_camera;
    if (!m_clockStarted) {
        // The first frame starts both clocks: nothing has elapsed yet.
        m_lastTick = m_previous = now;
        m_clockStarted = true;
    }
    if (m_capturePending && m_flyMode == FreeMovement) {
        capture();
        m_capturePending = false;
    }
    if (m_flyMode == FreeMovement && m_mouseEnabled) {
        m_camera.yaw -= input.mouseDx * kMouseScale;
        m_camera.pitch -= input.mouseDy * kMouseScale;
    }
    if (input.hasFocus) {
        const float step =
            std::max(static_cast<float>(now - m_lastTick) * 0.0125f, 0.01f) * speedScale();
        m_lastTick = now;
        if (input.altOrCtrl) {
            // The user reaches for a menu or a shortcut: give the mouse back.
            if (m_mouseEnabled) setMouseLook(false);
        } else {
            if (input.pageUp)
                m_camera.y += speedScale();
            else if (input.pageDown)
                m_camera.y -= speedScale();
            if (input.left)
                strafe(step);
            else if (input.right)
                strafe(-step);
            else if (input.up)
                move(step);
            else if (input.down)
                move(-step);
            m_camera.y = std::max(m_camera.y, 1.0f);
        }
    }
    const uint32_t dt = now - m_previous;
    m_previous = now;
    if (!m_paused) m_flyTime += dt;
    if (m_flyMode == FlyOver) flyOverStep();
    m_lastCamera = m_camera;
    return m_camera.x != before.x || m_camera.y != before.y || m_camera.z != before.z ||
           m_camera.pitch != before.pitch || m_camera.yaw != before.yaw;
}

void CityNavigation::flyOverStep()
{
    const float w = static_cast<float>(m_gridWidth), h = static_cast<float>(m_gridHeight);
    const float t = static_cast<float>(m_flyTime) * 0.00025f;
    const float targetX = static_cast<float>(m_gridWidth / 2) + (w + 5) * 0.5f * std::cos(t);
    const float targetZ = static_cast<float>(m_gridHeight / 2) + (h + 5) * 0.5f * std::sin(t);
    const float targetY = std::fabs(std::sin(static_cast<float>(m_flyTime) * 0.000076923076f) *
                                    static_cast<float>(HighestRoof(m_maxEloc))) +
                          20.0f;
    m_camera.x = Glide(m_camera.x, targetX);
    m_camera.y = Glide(m_camera.y, targetY);
    m_camera.z = Glide(m_camera.z, targetZ);

    const float dx = m_camera.x - w * 0.5f, dz = m_camera.z - h * 0.5f, dy = m_camera.y - 10.0f;
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (distance == 0.0f) {
        m_camera.yaw = m_camera.pitch = 0.0f;
    } else {
        m_camera.pitch = -std::asin(std::min(1.0f, std::fabs(dy) / distance));
        const float hd = std::sqrt(dx * dx + dz * dz);
        float yaw = 0.0f;
        if (hd != 0.0f) {
            yaw = std::acos(std::clamp(-dx / hd, -1.0f, 1.0f));
            if (dz > 0) yaw = -yaw;
        }
        m_camera.yaw = yaw - kPi / 2;
    }
    m_savedYaw = m_camera.yaw;
    m_savedPitch = m_camera.pitch;
}

}  // namespace codeburg
