#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "city/camera.h"
#include "city/city_batches.h"

namespace codeburg {

struct CityGeometry;
struct GroundTexture;

// Draws a city with OpenGL 3.3 core. Knows nothing of windows or Qt: the
// caller makes a context current (a QOpenGLWidget's or an offscreen one) and
// keeps it current around every call, including release(). The lighting of
// the fixed-function days is done in the shader: four white directional
// lights on unnormalised normals, ambient 0x646464, clamped, then modulated
// by the texture.
class CityRenderer {
public:
    CityRenderer() = default;
    ~CityRenderer();  // frees nothing: GL objects need the context, see release()
    CityRenderer(const CityRenderer&) = delete;
    CityRenderer& operator=(const CityRenderer&) = delete;

    // Compiles the shaders and makes the textures. False with a reason.
    bool initialize(std::string* error);
    void release();
    bool isInitialized() const { return m_program != 0; }
    int32_t maxTextureSize() const { return m_maxTextureSize; }

    // Uploads the buildings and the ground; replaces what was there.
    void setCity(const CityGeometry& geometry, const GroundTexture& ground);
    void clearCity();
    // Which buildings pass the filter (empty: all) and which one is picked
    // (drawn without texture); -1 for none.
    void setFilter(std::vector<bool> boxVisible, std::vector<bool> towerVisible);
    void setPicked(int32_t box, int32_t tower);

    // Clears to the background and draws into the bound framebuffer.
    void render(int32_t width, int32_t height, const Mat4& view, const Mat4& projection);

    // On by default: tiles outside the view are skipped and the rest drawn
    // nearest first. Off draws every tile in storage order, which must give
    // the same picture; tests compare the two.
    void setCulling(bool on) { m_culling = on; }

private:
    enum Texture {
        WallLow,
        WallMedium,
        WallTall,
        WallDefault,
        Tower,
        Roof0,
        Roof1,
        Roof2,
        Ground,
        TextureCount
    };
    struct Mesh {
        uint32_t vao = 0, vbo = 0, ebo = 0;
        int32_t count = 0;  // indices
    };

    void uploadMesh(Mesh& mesh, const std::vector<CityVertex>& vertices,
                    const std::vector<uint32_t>& indices);
    void freeMesh(Mesh& mesh);
    void updateRuns();
    void drawSpan(const BatchSpan& span);

    uint32_t m_program = 0;
    int32_t m_viewProjection = -1, m_textured = -1;
    int32_t m_maxTextureSize = 0;
    std::array<uint32_t, TextureCount> m_textures{};
    std::array<Mesh, kBatchCount> m_batches;
    Mesh m_ground;
    CityBatches m_layout;  // spans only; the vertices live on the device
    std::vector<bool> m_boxVisible, m_towerVisible;
    int32_t m_pickedBox = -1, m_pickedTower = -1;
    std::array<DrawRuns, kBatchCount> m_runs;
    bool m_runsValid = false;
    bool m_culling = true;
    // Scratch of one frame, kept to spare the allocations.
    std::vector<std::pair<float, int32_t>> m_order;  // distance, run
    std::vector<int32_t> m_counts;
    std::vector<const void*> m_offsets;
};

}  // namespace codeburg
