#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace codeburg {

struct RgbImage;

// An OpenGL 3.3 core context without any window or display server, made
// current on the calling thread (Mesa's surfaceless EGL platform). There is
// no default framebuffer: draw into a framebuffer object.
class OffscreenContext {
public:
    // Nothing, with the reason in "error", when no such context can be made.
    static std::unique_ptr<OffscreenContext> Create(std::string* error);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    bool makeCurrent();
    std::string renderer() const;  // GL_RENDERER, for reports

private:
    OffscreenContext() = default;
    void* m_display = nullptr;
    void* m_context = nullptr;
};

// A framebuffer object with a colour and a depth buffer in the current
// context; freed with the object, so that context must still be current.
class OffscreenFramebuffer {
public:
    OffscreenFramebuffer() = default;
    ~OffscreenFramebuffer();
    OffscreenFramebuffer(const OffscreenFramebuffer&) = delete;
    OffscreenFramebuffer& operator=(const OffscreenFramebuffer&) = delete;

    // Makes and binds it. False when the size is beyond the device or memory.
    bool create(int32_t width, int32_t height, std::string* error);
    // The pixels, top row first.
    void read(RgbImage& image) const;

private:
    uint32_t m_fbo = 0;
    uint32_t m_buffers[2] = {0, 0};
    int32_t m_width = 0, m_height = 0;
};

}  // namespace codeburg
