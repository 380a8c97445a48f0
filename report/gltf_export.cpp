#include "report/gltf_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>
#include <vector>

#include "city/city_geometry.h"
#include "platform/safe_file.h"
#include "records/colour.h"
#include "records/project_stats.h"
#include "report/json_text.h"

namespace codeburg {

namespace {

struct V3 {
    float x, y, z;
};
V3 Sub(V3 a, V3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 Cross(V3 a, V3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(V3 a, V3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 Unit(V3 a)
{
    const float length = std::sqrt(Dot(a, a));
    return {a.x / length, a.y / length, a.z / length};
}

// A flat-shaded mesh in the unit cell: each face has its own vertices.
struct UnitMesh {
    std::vector<V3> positions, normals;
    std::vector<uint16_t> indices;

    // A convex face given round its edge; turned so that it faces "outward".
    void addFace(std::vector<V3> corners, V3 outward)
    {
        const V3 n = Unit(Cross(Sub(corners[1], corners[0]), Sub(corners[2], corners[0])));
        if (Dot(n, outward) < 0) std::reverse(corners.begin(), corners.end());
        const V3 normal = Dot(n, outward) < 0 ? V3{-n.x, -n.y, -n.z} : n;
        const auto first = static_cast<uint16_t>(positions.size());
        for (const V3& c : corners) {
            positions.push_back(c);
            normals.push_back(normal);
        }
        for (size_t i = 1; i + 1 < corners.size(); ++i) {
            indices.push_back(first);
            indices.push_back(static_cast<uint16_t>(first + i));
            indices.push_back(static_cast<uint16_t>(first + i + 1));
        }
    }
};

UnitMesh UnitBox()
{
    UnitMesh m;
    m.addFace({{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}, {1, 0, 0});
    m.addFace({{0, 0, 0}, {0, 1, 0}, {0, 1, 1}, {0, 0, 1}}, {-1, 0, 0});
    m.addFace({{0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}}, {0, 1, 0});
    m.addFace({{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, {0, -1, 0});
    m.addFace({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}, {0, 0, 1});
    m.addFace({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 0, -1});
    return m;
}

V3 Rim(int k, float y)
{
    const double t = k * 2.0 * M_PI / 8.0;
    return {static_cast<float>(0.5 + 0.5 * std::sin(t)), y,
            static_cast<float>(0.5 + 0.5 * std::cos(t))};
}

// Eight walls of height 1 round the unit cell's centre.
UnitMesh UnitTowerWalls()
{
    UnitMesh m;
    for (int k = 0; k < 8; ++k) {
        const V3 a = Rim(k, 0), b = Rim(k + 1, 0);
        m.addFace({a, b, Rim(k + 1, 1), Rim(k, 1)}, {(a.x + b.x) - 1, 0, (a.z + b.z) - 1});
    }
    return m;
}

// The pointed roof: rim at 0, apex at 1.
UnitMesh UnitTowerRoof()
{
    UnitMesh m;
    const V3 apex{0.5f, 1, 0.5f};
    for (int k = 0; k < 8; ++k) {
        const V3 a = Rim(k, 0), b = Rim(k + 1, 0);
        m.addFace({a, b, apex}, {(a.x + b.x) - 1, 0.5f, (a.z + b.z) - 1});
    }
    return m;
}

enum class Shape { Box = 0, TowerWalls = 1, TowerRoof = 2 };
constexpr int kShapeCount = 3;

// Binary chunk: for each shape its positions, normals and indices.
struct BinaryLayout {
    std::string bytes;
    struct Views {
        size_t positions, normals, indices;  // byte offsets
        size_t vertexCount, indexCount;
        V3 lo, hi;
    };
    std::array<Views, kShapeCount> shapes;
};

void Append(std::string& bytes, const void* data, size_t size)
{
    bytes.append(static_cast<const char*>(data), size);
    while (bytes.size() % 4) bytes.push_back('\0');
}

BinaryLayout MakeBinary()
{
    BinaryLayout layout;
    const std::array<UnitMesh, kShapeCount> meshes = {UnitBox(), UnitTowerWalls(), UnitTowerRoof()};
    for (int s = 0; s < kShapeCount; ++s) {
        const UnitMesh& m = meshes[s];
        BinaryLayout::Views& v = layout.shapes[s];
        v.vertexCount = m.positions.size();
        v.indexCount = m.indices.size();
        v.lo = v.hi = m.positions.front();
        for (const V3& p : m.positions) {
            v.lo = {std::min(v.lo.x, p.x), std::min(v.lo.y, p.y), std::min(v.lo.z, p.z)};
            v.hi = {std::max(v.hi.x, p.x), std::max(v.hi.y, p.y), std::max(v.hi.z, p.z)};
        }
        v.positions = layout.bytes.size();
        Append(layout.bytes, m.positions.data(), m.positions.size() * sizeof(V3));
        v.normals = layout.bytes.size();
        Append(layout.bytes, m.normals.data(), m.normals.size() * sizeof(V3));
        v.indices = layout.bytes.size();
        Append(layout.bytes, m.indices.data(), m.indices.size() * sizeof(uint16_t));
    }
    return layout;
}

// glTF wants linear colour factors; the city's colours are sRGB bytes.
float Linear(uint32_t byte)
{
    const double c = byte / 255.0;
    return static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
}

// Materials and meshes made on first use, so that none is left unused.
class MeshTable {
public:
    int meshFor(Shape shape, uint32_t rgb)
    {
        const auto material = m_materials.try_emplace(rgb, int(m_materials.size())).first->second;
        const auto key = std::pair{int(shape), material};
        const auto [at, added] = m_meshes.try_emplace(key, int(m_meshOrder.size()));
        if (added) m_meshOrder.push_back(key);
        return at->second;
    }

    void appendMeshes(std::string& out) const
    {
        out += "\"meshes\":[";
        for (size_t i = 0; i < m_meshOrder.size(); ++i) {
            const auto [shape, material] = m_meshOrder[i];
            if (i) out += ',';
            out += "{\"primitives\":[{\"attributes\":{\"POSITION\":";
            AppendJsonInt(out, shape * 3);
            out += ",\"NORMAL\":";
            AppendJsonInt(out, shape * 3 + 1);
            out += "},\"indices\":";
            AppendJsonInt(out, shape * 3 + 2);
            out += ",\"material\":";
            AppendJsonInt(out, material);
            out += "}]}";
        }
        out += "],\"materials\":[";
        std::vector<uint32_t> byIndex(m_materials.size());
        for (const auto& [rgb, index] : m_materials) byIndex[size_t(index)] = rgb;
        for (size_t i = 0; i < byIndex.size(); ++i) {
            if (i) out += ',';
            out += "{\"pbrMetallicRoughness\":{\"baseColorFactor\":[";
            for (int shift : {16, 8, 0}) {
                AppendJsonFloat(out, Linear((byIndex[i] >> shift) & 0xFF));
                out += ',';
            }
            out += "1],\"metallicFactor\":0,\"roughnessFactor\":0.85}}";
        }
        out += ']';
    }

private:
    std::unordered_map<uint32_t, int> m_materials;
    std::map<std::pair<int, int>, int> m_meshes;
    std::vector<std::pair<int, int>> m_meshOrder;
};

void AppendVector(std::string& out, const char* key, V3 v)
{
    out += ",\"";
    out += key;
    out += "\":[";
    AppendJsonFloat(out, v.x);
    out += ',';
    AppendJsonFloat(out, v.y);
    out += ',';
    AppendJsonFloat(out, v.z);
    out += ']';
}

// A slab from (x0, z0) to (x1, z1) in cells, between heights y0 and y1.
// The city's z becomes glTF's -z, so the model is not mirrored.
void AppendSlab(std::string& out, float x0, float z0, float x1, float z1, float y0, float y1)
{
    AppendVector(out, "translation", {x0 * kMetresPerCell, y0, -z1 * kMetresPerCell});
    AppendVector(out, "scale", {(x1 - x0) * kMetresPerCell, y1 - y0, (z1 - z0) * kMetresPerCell});
}

void AppendMethodExtras(std::string& out, const MethodStats& m)
{
    out += ",\"extras\":{\"params\":";
    AppendJsonInt(out, m.paramCount);
    out += ",\"eloc\":";
    AppendJsonInt(out, m.eloc);
    out += ",\"comments\":";
    AppendJsonInt(out, m.commentLines);
    out += ",\"asserts\":";
    AppendJsonInt(out, m.asserts);
    out += ",\"empty\":";
    AppendJsonInt(out, m.emptyLines);
    out += '}';
}

void AppendName(std::string& out, const MethodStats& m)
{
    std::string name = m.file ? m.file->name : std::string();
    name += "::";
    name += m.className;
    name += "::";
    name += m.methodName;
    out += "{\"name\":";
    AppendJsonString(out, name);
}

struct District {
    int32_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
    std::vector<int32_t> buildings;  // box index, or -1 - tower index
};

void AppendAccessors(std::string& out, const BinaryLayout& bin)
{
    out += "\"accessors\":[";
    for (int s = 0; s < kShapeCount; ++s) {
        const auto& v = bin.shapes[s];
        if (s) out += ',';
        out += "{\"bufferView\":";
        AppendJsonInt(out, s * 3);
        out += ",\"componentType\":5126,\"count\":";
        AppendJsonInt(out, int64_t(v.vertexCount));
        out += ",\"type\":\"VEC3\"";
        out += ",\"min\":[";
        AppendJsonFloat(out, v.lo.x);
        out += ',';
        AppendJsonFloat(out, v.lo.y);
        out += ',';
        AppendJsonFloat(out, v.lo.z);
        out += "],\"max\":[";
        AppendJsonFloat(out, v.hi.x);
        out += ',';
        AppendJsonFloat(out, v.hi.y);
        out += ',';
        AppendJsonFloat(out, v.hi.z);
        out += "]},{\"bufferView\":";
        AppendJsonInt(out, s * 3 + 1);
        out += ",\"componentType\":5126,\"count\":";
        AppendJsonInt(out, int64_t(v.vertexCount));
        out += ",\"type\":\"VEC3\"},{\"bufferView\":";
        AppendJsonInt(out, s * 3 + 2);
        out += ",\"componentType\":5123,\"count\":";
        AppendJsonInt(out, int64_t(v.indexCount));
        out += ",\"type\":\"SCALAR\"}";
    }
    out += "],\"bufferViews\":[";
    for (int s = 0; s < kShapeCount; ++s) {
        const auto& v = bin.shapes[s];
        const size_t ends[3] = {v.normals, v.indices, v.indices + v.indexCount * 2};
        const size_t starts[3] = {v.positions, v.normals, v.indices};
        for (int k = 0; k < 3; ++k) {
            if (s || k) out += ',';
            out += "{\"buffer\":0,\"byteOffset\":";
            AppendJsonInt(out, int64_t(starts[k]));
            out += ",\"byteLength\":";
            AppendJsonInt(out, int64_t(ends[k] - starts[k]));
            out += k == 2 ? ",\"target\":34963}" : ",\"target\":34962}";
        }
    }
    out += "],\"buffers\":[{\"byteLength\":";
    AppendJsonInt(out, int64_t(bin.bytes.size()));
    out += "}]";
}

}  // namespace

std::string CityGlb(const ProjectStats& stats, const CityGeometry& geometry)
{
    const BinaryLayout bin = MakeBinary();
    MeshTable meshes;

    // Districts: the cells each file's buildings cover, in file order.
    std::vector<District> districts(stats.files.size());
    std::unordered_map<const FileStats*, size_t> fileIndex;
    for (size_t i = 0; i < stats.files.size(); ++i)
        if (stats.files[i]) fileIndex[stats.files[i].get()] = i;
    const CityGrid& grid = stats.cityGrid;
    if (grid.cells.size() >= size_t(grid.width) * size_t(std::max(grid.height, 0)))
        for (int32_t y = 0; y < grid.height; ++y)
            for (int32_t x = 0; x < grid.width; ++x) {
                const CityCell& cell = grid.cells[size_t(y) * grid.width + x];
                if (!cell.isBuilding() || cell.fileIndex >= districts.size()) continue;
                District& d = districts[cell.fileIndex];
                d.minX = std::min(d.minX, x), d.maxX = std::max(d.maxX, x);
                d.minY = std::min(d.minY, y), d.maxY = std::max(d.maxY, y);
            }
    auto districtOf = [&](const MethodStats* m) -> District* {
        const auto at = fileIndex.find(m ? m->file : nullptr);
        return at == fileIndex.end() ? nullptr : &districts[at->second];
    };
    for (size_t i = 0; i < geometry.boxes.size(); ++i)
        if (District* d = districtOf(geometry.boxes[i].method)) d->buildings.push_back(int32_t(i));
    for (size_t i = 0; i < geometry.towers.size(); ++i)
        if (District* d = districtOf(geometry.towers[i].method))
            d->buildings.push_back(-1 - int32_t(i));

    // Node 0 is the city, 1 its ground; then each district, its plate and
    // its buildings, a tower's roof right after the tower.
    std::string nodes;
    std::vector<int32_t> rootChildren = {1};
    int32_t next = 2;
    const uint32_t groundRgb = HsvToColor(128, 0.35, 0.22);
    nodes += "{\"name\":\"ground\",\"mesh\":";
    AppendJsonInt(nodes, meshes.meshFor(Shape::Box, groundRgb));
    AppendSlab(nodes, 0, 0, float(std::max(grid.width, 1)), float(std::max(grid.height, 1)), -0.2f,
               -0.1f);
    nodes += '}';
    for (size_t f = 0; f < districts.size(); ++f) {
        const District& d = districts[f];
        if (!stats.files[f] || (d.buildings.empty() && d.minX > d.maxX)) continue;
        const FileStats& file = *stats.files[f];
        const int32_t self = next++;
        rootChildren.push_back(self);
        const bool plate = d.minX <= d.maxX;
        std::vector<int32_t> children;
        if (plate) children.push_back(next++);
        for (const int32_t b : d.buildings) {
            children.push_back(next);
            next += b < 0 ? 2 : 1;
        }
        nodes += ",{\"name\":";
        AppendJsonString(nodes, file.name);
        nodes += ",\"children\":[";
        for (size_t i = 0; i < children.size(); ++i) {
            if (i) nodes += ',';
            AppendJsonInt(nodes, children[i]);
        }
        nodes += "],\"extras\":{\"lines\":";
        AppendJsonInt(nodes, file.lines);
        nodes += ",\"eloc\":";
        AppendJsonInt(nodes, file.Eloc());
        nodes += ",\"methods\":";
        AppendJsonInt(nodes, file.MethodCount());
        nodes += "}}";
        if (plate) {
            // A plate under the file's squares, the pavement ring's far side included.
            const Hsv hsv = ColorToHsv(file.colour);
            nodes += ",{\"name\":";
            AppendJsonString(nodes, file.name + " district");
            nodes += ",\"mesh\":";
            AppendJsonInt(
                nodes, meshes.meshFor(Shape::Box,
                                      HsvToColor(hsv.hue, hsv.saturation * 0.6, hsv.value * 0.45)));
            AppendSlab(nodes, float(d.minX), float(d.minY), float(d.maxX + 2), float(d.maxY + 2),
                       -0.1f, 0.0f);
            nodes += '}';
        }
        int32_t index = plate ? self + 2 : self + 1;  // the next building's node
        for (const int32_t b : d.buildings) {
            nodes += ',';
            if (b >= 0) {
                const BoxBuilding& box = geometry.boxes[size_t(b)];
                const CityVertex& lo = box.vertices[10];  // roof corners
                const CityVertex& hi = box.vertices[13];
                AppendName(nodes, *box.method);
                nodes += ",\"mesh\":";
                AppendJsonInt(nodes, meshes.meshFor(Shape::Box, lo.diffuse & 0xFFFFFF));
                AppendSlab(nodes, lo.x, lo.z, hi.x, hi.z, 0.0f, lo.y * kMetresPerCell);
                AppendMethodExtras(nodes, *box.method);
                nodes += '}';
                index += 1;
                continue;
            }
            const TowerBuilding& tower = geometry.towers[size_t(-1 - b)];
            const CityVertex& top = tower.vertices[1];  // a wall's top at angle 0
            const CityVertex& apex = tower.vertices[19];
            const float r = std::max(std::hypot(top.x - apex.x, top.z - apex.z), 0.01f);
            const float h = std::max(top.y, 1.0f);
            const uint32_t rgb = top.diffuse & 0xFFFFFF;
            AppendName(nodes, *tower.method);
            nodes += ",\"mesh\":";
            AppendJsonInt(nodes, meshes.meshFor(Shape::TowerWalls, rgb));
            AppendSlab(nodes, apex.x - r, apex.z - r, apex.x + r, apex.z + r, 0.0f,
                       h * kMetresPerCell);
            nodes += ",\"children\":[";
            AppendJsonInt(nodes, index + 1);
            nodes += ']';
            AppendMethodExtras(nodes, *tower.method);
            nodes += "},{\"name\":\"roof\",\"mesh\":";
            AppendJsonInt(nodes, meshes.meshFor(Shape::TowerRoof, rgb));
            // Half a cell high whatever the tower's height: undo its scale.
            AppendVector(nodes, "translation", {0, 1, 0});
            AppendVector(nodes, "scale", {1, 0.5f / h, 1});
            nodes += '}';
            index += 2;
        }
    }

    std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"codeburg\"},";
    json += "\"scene\":0,\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"name\":";
    AppendJsonString(json, stats.name.empty() ? std::string("city") : stats.name);
    json += ",\"children\":[";
    for (size_t i = 0; i < rootChildren.size(); ++i) {
        if (i) json += ',';
        AppendJsonInt(json, rootChildren[i]);
    }
    json += "]},";
    json += nodes;
    nodes = std::string();  // the largest part; freed before the file is put together
    json += "],";
    meshes.appendMeshes(json);
    json += ',';
    AppendAccessors(json, bin);
    json += '}';
    while (json.size() % 4) json += ' ';

    std::string glb;
    glb.reserve(12 + 8 + json.size() + 8 + bin.bytes.size());
    auto u32 = [&glb](uint32_t v) {
        for (int i = 0; i < 4; ++i) glb.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    u32(0x46546C67);  // "glTF"
    u32(2);
    u32(static_cast<uint32_t>(12 + 8 + json.size() + 8 + bin.bytes.size()));
    u32(static_cast<uint32_t>(json.size()));
    u32(0x4E4F534A);  // "JSON"
    glb += json;
    u32(static_cast<uint32_t>(bin.bytes.size()));
    u32(0x004E4942);  // "BIN\0"
    glb += bin.bytes;
    return glb;
}

int WriteCityGlb(const std::string& path, const ProjectStats& stats, const CityGeometry& geometry,
                 std::string* error)
{
    const std::string glb = CityGlb(stats, geometry);
    return WriteFileAtomically(path, glb, error);
}

}  // namespace codeburg
