#include "city/render/city_renderer.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "city/city_geometry.h"
#include "city/ground_texture.h"
#include "city/render/city_textures.h"

namespace codeburg {

namespace {

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec2 aUv;
uniform mat4 uViewProjection;
uniform vec3 uToLight[4];
uniform vec3 uAmbient;
out vec3 vColour;
out vec2 vUv;
void main()
{
    // Normals are left unnormalised on purpose: the slanted wall normals of
    // length sqrt(2) light the walls brighter, as they always have.
    vec3 lit = vec3(0.0);
    for (int i = 0; i < 4; ++i)
        lit += max(dot(aNormal, uToLight[i]), 0.0) * aColour.rgb;
    vColour = clamp(uAmbient + lit, 0.0, 1.0);
    vUv = aUv;
    gl_Position = uViewProjection * vec4(aPosition, 1.0);
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec3 vColour;
in vec2 vUv;
uniform sampler2D uTexture;
uniform bool uTextured;
out vec4 fragColour;
void main()
{
    vec3 colour = vColour;
    if (uTextured)
        colour *= texture(uTexture, vUv).rgb;
    fragColour = vec4(colour, 1.0);
}
)";

// Directions the four lights shine in.
const float kLights[4][3] = {
    {0.05f, -0.5f, 0.05f}, {-0.54f, 0.05f, -0.54f}, {0.54f, 0.05f, -0.54f}, {0.54f, 0.05f, 0.44f}};
constexpr float kAmbient = 0x64 / 255.0f;

uint32_t Compile(GLenum type, const char* source, std::string* error)
{
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    if (error) *error = std::string("cannot compile the city shader: ") + log;
    glDeleteShader(shader);
    return 0;
}

uint32_t MakeTexture(int32_t width, int32_t height, const uint32_t* texels, bool mipmaps)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // 0x00RRGGBB words are B, G, R, X in memory.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (mipmaps) {
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    return texture;
}

uint32_t MakeTexture(const TextureBitmap& bitmap)
{
    return MakeTexture(bitmap.width, bitmap.height, bitmap.texels.data(), true);
}

// The six clip planes of a row-vector view-projection matrix (clip = v x M):
// a point is inside when -w <= x, y, z <= w.
class Frustum {
public:
    explicit Frustum(const Mat4& m)
    {
        for (int axis = 0; axis < 3; ++axis)
            for (int sign = 0; sign < 2; ++sign) {
                float* plane = m_planes[axis * 2 + sign];
                for (int row = 0; row < 4; ++row)
                    plane[row] = m.m[row][3] + (sign ? -m.m[row][axis] : m.m[row][axis]);
            }
    }
    // False only when the box lies wholly outside one plane.
    bool Intersects(const Bounds& b) const
    {
        for (const float* p : m_planes) {
            const float x = p[0] >= 0 ? b.max[0] : b.min[0];
            const float y = p[1] >= 0 ? b.max[1] : b.min[1];
            const float z = p[2] >= 0 ? b.max[2] : b.min[2];
            if (p[0] * x + p[1] * y + p[2] * z + p[3] < 0.0f) return false;
        }
        return true;
    }

private:
    float m_planes[6][4];
};

// Where the camera stands, from a row-vector view matrix [R 0; t 1]:
// the point that maps to the origin, -t R^T.
Vec3 EyeOf(const Mat4& view)
{
    const auto& m = view.m;
    auto row = [&m](int j) { return -(m[3][0] * m[j][0] + m[3][1] * m[j][1] + m[3][2] * m[j][2]); };
    return Vec3{row(0), row(1), row(2)};
}

float DistanceSquared(const Vec3& p, const Bounds& b)
{
    const float dx = std::max({b.min[0] - p.x, 0.0f, p.x - b.max[0]});
    const float dy = std::max({b.min[1] - p.y, 0.0f, p.y - b.max[1]});
    const float dz = std::max({b.min[2] - p.z, 0.0f, p.z - b.max[2]});
    return dx * dx + dy * dy + dz * dz;
}

}  // namespace

CityRenderer::~CityRenderer() = default;

bool CityRenderer::initialize(std::string* error)
{
    if (m_program) return true;
    const uint32_t vs = Compile(GL_VERTEX_SHADER, kVertexShader, error);
    if (!vs) return false;
    const uint32_t fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader, error);
    if (!fs) {
        glDeleteShader(vs);
        return false;
    }
    m_program = glCreateProgram();
    glAttachShader(m_program, vs);
    glAttachShader(m_program, fs);
    glLinkProgram(m_program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(m_program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetProgramInfoLog(m_program, sizeof log, nullptr, log);
        if (error) *error = std::string("cannot link the city shader: ") + log;
        glDeleteProgram(m_program);
        m_program = 0;
        return false;
    }
    m_viewProjection = glGetUniformLocation(m_program, "uViewProjection");
    m_textured = glGetUniformLocation(m_program, "uTextured");
    glUseProgram(m_program);
    float toLight[4][3];
    for (int i = 0; i < 4; ++i) {
        const float* d = kLights[i];
        const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        for (int j = 0; j < 3; ++j) toLight[i][j] = -d[j] / length;
    }
    glUniform3fv(glGetUniformLocation(m_program, "uToLight"), 4, &toLight[0][0]);
    glUniform3f(glGetUniformLocation(m_program, "uAmbient"), kAmbient, kAmbient, kAmbient);
    glUniform1i(glGetUniformLocation(m_program, "uTexture"), 0);

    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    m_maxTextureSize = maxSize;
    for (int i = 0; i < 4; ++i) m_textures[WallLow + i] = MakeTexture(MakeWallTexture(i));
    m_textures[Tower] = MakeTexture(MakeTowerTexture());
    for (int i = 0; i < 3; ++i) m_textures[Roof0 + i] = MakeTexture(MakeRoofTexture(i));
    return true;
}

void CityRenderer::release()
{
    clearCity();
    for (uint32_t& texture : m_textures) {
        if (texture) glDeleteTextures(1, &texture);
        texture = 0;
    }
    if (m_program) glDeleteProgram(m_program);
    m_program = 0;
}

void CityRenderer::uploadMesh(Mesh& mesh, const std::vector<CityVertex>& vertices,
                              const std::vector<uint32_t>& indices)
{
    freeMesh(mesh);
    if (vertices.empty() || indices.empty()) return;
    glGenVertexArrays(1, &mesh.vao);
    glBindVertexArray(mesh.vao);
    glGenBuffers(1, &mesh.vbo);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(CityVertex)),
                 vertices.data(), GL_STATIC_DRAW);
    glGenBuffers(1, &mesh.ebo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)), indices.data(),
                 GL_STATIC_DRAW);
    const GLsizei stride = sizeof(CityVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(CityVertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(CityVertex, nx)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(CityVertex, diffuse)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(CityVertex, u)));
    glBindVertexArray(0);
    mesh.count = static_cast<int32_t>(indices.size());
}

void CityRenderer::freeMesh(Mesh& mesh)
{
    if (mesh.vbo) glDeleteBuffers(1, &mesh.vbo);
    if (mesh.ebo) glDeleteBuffers(1, &mesh.ebo);
    if (mesh.vao) glDeleteVertexArrays(1, &mesh.vao);
    mesh = Mesh{};
}

void CityRenderer::setCity(const CityGeometry& geometry, const GroundTexture& ground)
{
    clearCity();
    m_layout = BuildBatches(geometry);
    for (int i = 0; i < kBatchCount; ++i) {
        uploadMesh(m_batches[i], m_layout.vertices[i], m_layout.indices[i]);
        // The spans are all that is needed from here on.
        std::vector<CityVertex>().swap(m_layout.vertices[i]);
        std::vector<uint32_t>().swap(m_layout.indices[i]);
    }
    if (!ground.texels.empty()) {
        m_textures[Ground] = MakeTexture(ground.width, ground.height, ground.texels.data(), true);
        // The quad covers what the stored texels stand for, 2 x 2 per cell.
        const float x1 = ground.width * ground.step / 2.0f;
        const float z1 = ground.height * ground.step / 2.0f;
        auto corner = [](float x, float z, float u, float v) {
            CityVertex c;
            c.x = x;
            c.y = -0.0005f;
            c.z = z;
            c.ny = 1.0f;
            c.diffuse = 0xFFFFFF;
            c.u = u;
            c.v = v;
            return c;
        };
        // Counter-clockwise seen from above, like every other face.
        const std::vector<CityVertex> quad = {corner(0, 0, 0, 0),   corner(x1, 0, 1, 0),
                                              corner(0, z1, 0, 1),  corner(x1, 0, 1, 0),
                                              corner(x1, z1, 1, 1), corner(0, z1, 0, 1)};
        uploadMesh(m_ground, quad, {0, 1, 2, 3, 4, 5});
    }
    m_runsValid = false;
}

void CityRenderer::clearCity()
{
    for (Mesh& mesh : m_batches) freeMesh(mesh);
    freeMesh(m_ground);
    if (m_textures[Ground]) glDeleteTextures(1, &m_textures[Ground]);
    m_textures[Ground] = 0;
    m_layout = CityBatches{};
    m_boxVisible.clear();
    m_towerVisible.clear();
    m_pickedBox = m_pickedTower = -1;
    m_runsValid = false;
}

void CityRenderer::setFilter(std::vector<bool> boxVisible, std::vector<bool> towerVisible)
{
    m_boxVisible = std::move(boxVisible);
    m_towerVisible = std::move(towerVisible);
    m_runsValid = false;
}

void CityRenderer::setPicked(int32_t box, int32_t tower)
{
    if (box == m_pickedBox && tower == m_pickedTower) return;
    m_pickedBox = box;
    m_pickedTower = tower;
    m_runsValid = false;
}

void CityRenderer::updateRuns()
{
    if (m_runsValid) return;
    m_runs = CollectRuns(m_layout, m_boxVisible, m_towerVisible, m_pickedBox, m_pickedTower);
    m_runsValid = true;
}

void CityRenderer::drawSpan(const BatchSpan& span)
{
    const Mesh& mesh = m_batches[static_cast<int>(span.batch)];
    if (!mesh.vao || span.first + span.count > mesh.count) return;
    glBindVertexArray(mesh.vao);
    glDrawElements(GL_TRIANGLES, span.count, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(size_t(span.first) * sizeof(uint32_t)));
}

void CityRenderer::render(int32_t width, int32_t height, const Mat4& view, const Mat4& projection)
{
    const uint32_t bg = BackgroundColour();
    glViewport(0, 0, width, height);
    glClearColor(((bg >> 16) & 0xFF) / 255.0f, ((bg >> 8) & 0xFF) / 255.0f, (bg & 0xFF) / 255.0f,
                 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!m_program) return;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDisable(GL_BLEND);
    glUseProgram(m_program);
    const Mat4 viewProjection = view * ToGlClip(projection);
    glUniformMatrix4fv(m_viewProjection, 1, GL_FALSE, &viewProjection.m[0][0]);
    glActiveTexture(GL_TEXTURE0);

    // Everything is opaque and depth-tested, so the order changes no pixel, only
    // the cost: tiles near the camera first let the software rasteriser reject
    // what they hide before shading it. Tiles wholly outside the view would be
    // clipped anyway; skipping them spares their vertex work and clipping, most
    // of the city when walking at street level.
    updateRuns();
    const Frustum frustum(viewProjection);
    const Vec3 eye = EyeOf(view);
    static const Texture kBatchTexture[kBatchCount] = {
        WallLow, WallMedium, WallTall, WallDefault, Roof0, Roof1, Roof2, Tower, TextureCount};
    for (int i = 0; i < kBatchCount; ++i) {
        const DrawRuns& runs = m_runs[i];
        if (runs.firsts.empty() || !m_batches[i].vao) continue;
        m_order.clear();
        for (size_t r = 0; r < runs.firsts.size(); ++r) {
            if (!m_culling) {
                m_order.emplace_back(0.0f, int32_t(r));
            } else if (frustum.Intersects(runs.bounds[r])) {
                m_order.emplace_back(DistanceSquared(eye, runs.bounds[r]), int32_t(r));
            }
        }
        if (m_order.empty()) continue;
        if (m_culling) std::sort(m_order.begin(), m_order.end());
        m_counts.clear();
        m_offsets.clear();
        for (const auto& [distance, r] : m_order) {
            m_counts.push_back(runs.counts[size_t(r)]);
            m_offsets.push_back(
                reinterpret_cast<const void*>(size_t(runs.firsts[size_t(r)]) * sizeof(uint32_t)));
        }
        const Texture texture = kBatchTexture[i];
        glUniform1i(m_textured, texture != TextureCount ? 1 : 0);
        if (texture != TextureCount) glBindTexture(GL_TEXTURE_2D, m_textures[texture]);
        glBindVertexArray(m_batches[i].vao);
        glMultiDrawElements(GL_TRIANGLES, m_counts.data(), GL_UNSIGNED_INT, m_offsets.data(),
                            static_cast<GLsizei>(m_counts.size()));
    }

    // The picked building shows its plain vertex colours, if the filter lets it show.
    glUniform1i(m_textured, 0);
    auto visible = [](const std::vector<bool>& flags, int32_t i) {
        return flags.empty() || (size_t(i) < flags.size() && flags[size_t(i)]);
    };
    if (m_pickedBox >= 0 && size_t(m_pickedBox) < m_layout.boxSpans.size() &&
        visible(m_boxVisible, m_pickedBox))
        for (const BatchSpan& span : m_layout.boxSpans[size_t(m_pickedBox)]) drawSpan(span);
    if (m_pickedTower >= 0 && size_t(m_pickedTower) < m_layout.towerSpans.size() &&
        visible(m_towerVisible, m_pickedTower))
        for (const BatchSpan& span : m_layout.towerSpans[size_t(m_pickedTower)]) drawSpan(span);

    // The ground last: most of it lies behind buildings and is never shaded.
    if (m_ground.vao) {
        glUniform1i(m_textured, 1);
        glBindTexture(GL_TEXTURE_2D, m_textures[Ground]);
        glBindVertexArray(m_ground.vao);
        glDrawElements(GL_TRIANGLES, m_ground.count, GL_UNSIGNED_INT, nullptr);
    }
    glBindVertexArray(0);
}

}  // namespace codeburg
