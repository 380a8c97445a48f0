#include "report/gltf_export.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "city/city_geometry.h"
#include "report/report_test_util.h"

namespace codeburg {
namespace {

uint32_t U32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

struct Glb {
    nlohmann::json json;
    std::string bin;
};

// Checks the container and returns its two chunks.
Glb Parse(const std::string& glb)
{
    Glb out;
    EXPECT_GE(glb.size(), 28u);
    if (glb.size() < 28) return out;
    EXPECT_EQ(U32(glb, 0), 0x46546C67u);
    EXPECT_EQ(U32(glb, 4), 2u);
    EXPECT_EQ(U32(glb, 8), glb.size());
    const uint32_t jsonLength = U32(glb, 12);
    EXPECT_EQ(jsonLength % 4, 0u);
    EXPECT_EQ(U32(glb, 16), 0x4E4F534Au);
    out.json = nlohmann::json::parse(glb.substr(20, jsonLength));
    const size_t binAt = 20 + jsonLength;
    EXPECT_EQ(U32(glb, binAt + 4), 0x004E4942u);
    out.bin = glb.substr(binAt + 8, U32(glb, binAt));
    EXPECT_EQ(binAt + 8 + out.bin.size(), glb.size());
    return out;
}

TEST(GltfExportTest, EveryBuildingIsANamedNodeWithItsFigures)
{
    const auto stats = testing::SmallProject();
    const CityGeometry geometry = BuildCityGeometry(*stats, DisplayMode::Color);
    ASSERT_EQ(geometry.towers.size(), 1u);
    ASSERT_EQ(geometry.boxes.size(), 3u);
    const Glb glb = Parse(CityGlb(*stats, geometry));
    const auto& nodes = glb.json["nodes"];
    // City, ground, two districts with a plate each, four buildings, one roof.
    EXPECT_EQ(nodes.size(), 2u + 2 * 2 + 4 + 1);
    std::set<std::string> names;
    for (const auto& node : nodes)
        if (node.contains("extras") && node["extras"].contains("params"))
            names.insert(node["name"].get<std::string>());
    EXPECT_EQ(names, (std::set<std::string>{"shape.cpp::Shape::Shape", "shape.cpp::Shape::Draw",
                                            "shape.cpp::Shape::Area", "util.cpp::::helper"}));
    for (const auto& node : nodes) {
        if (node.value("name", "") != "shape.cpp::Shape::Draw") continue;
        EXPECT_EQ(node["extras"]["eloc"], 40);
        EXPECT_EQ(node["extras"]["params"], 2);
        // A box as tall as its roof: eloc 40 is height word 41, roof 20.
        EXPECT_FLOAT_EQ(node["scale"][1].get<float>(), 20.0f * kMetresPerCell);
        EXPECT_FLOAT_EQ(node["scale"][0].get<float>(), 3.02f * kMetresPerCell);
    }
    // The tower's roof is its only child and half a cell high.
    for (const auto& node : nodes) {
        if (node.value("name", "") != "shape.cpp::Shape::Shape") continue;
        ASSERT_EQ(node["children"].size(), 1u);
        const auto& roof = nodes[node["children"][0].get<size_t>()];
        EXPECT_EQ(roof["name"], "roof");
        EXPECT_FLOAT_EQ(roof["scale"][1].get<float>() * node["scale"][1].get<float>(), 0.5f);
    }
}

// Every node but the root has one parent, and meshes, materials and
// accessors are all used and all exist: what a validator checks first.
TEST(GltfExportTest, ReferencesAreCompleteAndShared)
{
    const auto stats = testing::SmallProject();
    const Glb glb = Parse(CityGlb(*stats, BuildCityGeometry(*stats, DisplayMode::Readability)));
    const auto& j = glb.json;
    const size_t nodeCount = j["nodes"].size();
    std::vector<int> parents(nodeCount, 0);
    std::set<size_t> meshesUsed, materialsUsed;
    for (const auto& node : j["nodes"]) {
        for (const auto& child : node.value("children", nlohmann::json::array()))
            ++parents.at(child.get<size_t>());
        if (node.contains("mesh")) meshesUsed.insert(node["mesh"].get<size_t>());
    }
    EXPECT_EQ(parents[0], 0);
    for (size_t i = 1; i < nodeCount; ++i) EXPECT_EQ(parents[i], 1) << i;
    EXPECT_EQ(meshesUsed.size(), j["meshes"].size());
    for (const auto& mesh : j["meshes"])
        materialsUsed.insert(mesh["primitives"][0]["material"].get<size_t>());
    EXPECT_EQ(materialsUsed.size(), j["materials"].size());
    // Three shapes whatever the city: box, tower walls, tower roof.
    EXPECT_EQ(j["accessors"].size(), 9u);
    size_t end = 0;
    for (const auto& view : j["bufferViews"]) {
        EXPECT_EQ(view["byteOffset"].get<size_t>() % 4, 0u);
        end = std::max(end, view["byteOffset"].get<size_t>() + view["byteLength"].get<size_t>());
    }
    EXPECT_LE(end, glb.bin.size());
    EXPECT_EQ(j["buffers"][0]["byteLength"].get<size_t>(), glb.bin.size());
}

TEST(GltfExportTest, NamesOfAnyBytesStayValidJson)
{
    const auto stats = testing::SmallProject("Sh\xE4pe\"<\x01");
    const Glb glb = Parse(CityGlb(*stats, BuildCityGeometry(*stats, DisplayMode::Color)));
    bool found = false;
    for (const auto& node : glb.json["nodes"])
        found |= node.value("name", "").starts_with("shape.cpp::Sh\xEF\xBF\xBDpe\"<\x01::");
    EXPECT_TRUE(found);
}

TEST(GltfExportTest, EmptyProjectStillMakesAModel)
{
    ProjectStats stats(nullptr);
    const Glb glb = Parse(CityGlb(stats, CityGeometry{}));
    EXPECT_EQ(glb.json["nodes"].size(), 2u);  // the city and its ground
}

TEST(GltfExportTest, WriteRefusesALinkAndKeepsTheOldFile)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("codeburg_glb_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "old.glb") << "old";
    fs::create_symlink(dir / "old.glb", dir / "link.glb");
    const auto stats = testing::SmallProject();
    const CityGeometry geometry = BuildCityGeometry(*stats, DisplayMode::Color);
    std::string error;
    EXPECT_NE(WriteCityGlb((dir / "link.glb").string(), *stats, geometry, &error), 0);
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
    std::ifstream in(dir / "old.glb");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    EXPECT_EQ(WriteCityGlb((dir / "new.glb").string(), *stats, geometry, &error), 0) << error;
    EXPECT_GT(fs::file_size(dir / "new.glb"), 100u);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace codeburg
