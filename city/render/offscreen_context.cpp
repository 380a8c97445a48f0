#include "city/render/offscreen_context.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "city/render/jpeg_writer.h"

namespace codeburg {

namespace {

bool Fail(std::string* error, const char* what)
{
    char code[32];
    std::snprintf(code, sizeof code, " (EGL error 0x%04X)", static_cast<unsigned>(eglGetError()));
    if (error) *error = std::string(what) + code;
    return false;
}

}  // namespace

std::unique_ptr<OffscreenContext> OffscreenContext::Create(std::string* error)
{
    std::unique_ptr<OffscreenContext> result(new OffscreenContext);
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        if (error) *error = "no surfaceless EGL platform (EGL_MESA_platform_surfaceless)";
        return nullptr;
    }
    EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return Fail(error, "cannot open an EGL display"), nullptr;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor))
        return Fail(error, "cannot initialise EGL"), nullptr;
    result->m_display = display;
    if (!eglBindAPI(EGL_OPENGL_API)) return Fail(error, "EGL offers no OpenGL"), nullptr;
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1)
        config = nullptr;  // EGL_KHR_no_config_context: a context needs no config
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT)
        return Fail(error, "cannot create an OpenGL 3.3 core context"), nullptr;
    result->m_context = context;
    if (!result->makeCurrent()) return Fail(error, "cannot make the context current"), nullptr;
    return result;
}

OffscreenContext::~OffscreenContext()
{
    if (!m_display) return;
    eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (m_context) eglDestroyContext(m_display, m_context);
    // No eglTerminate: the display is shared by the whole process, and Mesa
    // frees its driver state only at exit anyway.
}

bool OffscreenContext::makeCurrent()
{
    return eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_context) == EGL_TRUE;
}

std::string OffscreenContext::renderer() const
{
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return text ? text : "";
}

OffscreenFramebuffer::~OffscreenFramebuffer()
{
    if (m_fbo) glDeleteFramebuffers(1, &m_fbo);
    if (m_buffers[0]) glDeleteRenderbuffers(2, m_buffers);
}

bool OffscreenFramebuffer::create(int32_t width, int32_t height, std::string* error)
{
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + " " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels";
        return false;
    };
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    // The read-back copy must fit in memory too; a quarter of a gigapixel is plenty.
    if (width < 1 || height < 1 || width > maxSize || height > maxSize ||
        int64_t(width) * height > (int64_t(1) << 28))
        return fail("cannot render a picture of");
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenRenderbuffers(2, m_buffers);
    glBindRenderbuffer(GL_RENDERBUFFER, m_buffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, m_buffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glGenFramebuffers(1, &m_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_buffers[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_buffers[1]);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE ||
        glGetError() != GL_NO_ERROR)
        return fail("cannot make an offscreen framebuffer of");
    m_width = width;
    m_height = height;
    return true;
}

void OffscreenFramebuffer::read(RgbImage& image) const
{
    image = RgbImage{};
    if (!m_fbo) return;
    const size_t stride = size_t(m_width) * 3;
    std::vector<uint8_t> bottomUp;
    try {
        bottomUp.resize(stride * m_height);
        image.pixels.resize(stride * m_height);
    } catch (const std::bad_alloc&) {
        image = RgbImage{};
        return;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int32_t y = 0; y < m_height; ++y)
        std::copy_n(bottomUp.data() + size_t(m_height - 1 - y) * stride, stride,
                    image.pixels.data() + size_t(y) * stride);
    image.width = m_width;
    image.height = m_height;
}

}  // namespace codeburg
