#include "engine/asset_format.h"
#include "tools/level_text.h"
#include "tools/mesh_gen.h"
#include "../read_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace {

using Vec = std::array<float, 3>;

// A face's corners in the game's axes and corner order, as the loader hands them to GL.
struct Triangle {
    Vec corner[3];
    std::array<float, 2> uv[3];
};

std::vector<Triangle> triangles(const MbmMesh& mesh) {
    std::vector<Triangle> out;
    for (size_t f = 0; f < mesh.faceVertices.size(); ++f) {
        Triangle t;
        for (int k = 0; k < 3; ++k) {
            t.corner[k] = mesh.positions.at(static_cast<size_t>(mesh.faceVertices[f][k]));
            t.uv[k] = mesh.texcoords.at(static_cast<size_t>(mesh.faceTexcoords[f][k]));
        }
        out.push_back(t);
    }
    return out;
}

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Counter-clockwise seen from outside: the corner-order normal points away from the centre.
Vec outwardNormal(const Triangle& t) { return cross(sub(t.corner[1], t.corner[0]), sub(t.corner[2], t.corner[0])); }
Vec centroid(const Triangle& t) {
    Vec c{};
    for (const Vec& p : t.corner)
        for (int a = 0; a < 3; ++a) c[a] += p[a] / 3;
    return c;
}

} // namespace

TEST(MeshGen, EncoderWritesReversedTriplesAndSwappedAxes) {
    MbmMesh mesh;
    mesh.positions = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    mesh.texcoords = {{0.25f, 0.75f}};
    mesh.faceVertices = {{0, 1, 2}};
    mesh.faceTexcoords = {{0, 0, 0}};
    std::vector<unsigned char> bytes = encodeMbm({mesh});
    std::vector<float> values(bytes.size() / 4);
    std::memcpy(values.data(), bytes.data(), bytes.size());
    std::vector<float> expected = {1, 1, 3, 1, 2, 1, 0, 0, 0, 0, 1, -3, 2, 4, -6, 5, 7, -9, 8, 0.25f, 0.75f};
    EXPECT_EQ(values, expected);
}

TEST(MeshGen, CubeIsAClosedBlockSeenFromOutside) {
    // The byte layout is pinned above; here the cube as the game sees it.
    std::vector<Triangle> faces = triangles(makeCubeMesh(32));
    ASSERT_EQ(faces.size(), 12u);
    std::map<std::tuple<int, int, int>, float> areaBySide;
    for (const Triangle& t : faces) {
        for (const Vec& p : t.corner)
            for (float c : p) EXPECT_EQ(std::fabs(c), 16.0f);
        for (const auto& uv : t.uv) {
            EXPECT_TRUE(uv[0] == 0 || uv[0] == 1);
            EXPECT_TRUE(uv[1] == 0 || uv[1] == 1);
        }
        Vec n = outwardNormal(t);
        EXPECT_GT(dot(n, centroid(t)), 0) << "wound inwards: culled from outside";
        float length = std::sqrt(dot(n, n));
        areaBySide[{int(std::lround(n[0] / length)), int(std::lround(n[1] / length)), int(std::lround(n[2] / length))}] += length / 2;
    }
    ASSERT_EQ(areaBySide.size(), 6u);
    for (const auto& side : areaBySide) EXPECT_FLOAT_EQ(side.second, 32.0f * 32.0f);

    // The side facing the camera (-y) shows its texture upright and unmirrored: u grows with x, v with z.
    for (const Triangle& t : faces) {
        if (outwardNormal(t)[1] >= 0) continue;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(t.uv[k][0], t.corner[k][0] > 0 ? 1 : 0);
            EXPECT_EQ(t.uv[k][1], t.corner[k][2] > 0 ? 1 : 0);
        }
    }
}

TEST(MeshGen, GeosphereHasEightyOutwardFacesOnItsRadius) {
    std::vector<Triangle> faces = triangles(makeGeosphereMesh(16, 1));
    ASSERT_EQ(faces.size(), 80u);
    for (const Triangle& t : faces) {
        for (const Vec& p : t.corner) EXPECT_NEAR(std::sqrt(dot(p, p)), 16.0f, 1e-4f);
        EXPECT_GT(dot(outwardNormal(t), centroid(t)), 0);
    }
    std::vector<PackAsset> assets;
    generateMeshes(assets);
    ASSERT_EQ(assets.size(), 2u);
    EXPECT_EQ(assets[0].name, "meshes\\cube.mbm");
    EXPECT_EQ(assets[1].name, "meshes\\geosphere.mbm");
}

TEST(LevelText, ParsesLayersOntoTheGrid) {
    std::vector<LevelPoint> points;
    std::string error;
    ASSERT_TRUE(parseLevelText("# two layers\nlayer 1\n...\n.o.\n...\n\nlayer -1\no..\n...\n..o\n", points, error)) << error;
    std::vector<LevelPoint> expected = {{0, 0, 32}, {-32, 32, -32}, {32, -32, -32}};
    EXPECT_EQ(points, expected);

    std::vector<unsigned char> bytes = encodeLevel(points);
    ASSERT_EQ(bytes.size(), 4u + 12u * 3u);
    EXPECT_EQ(readInt32LE(bytes.data()), 3);
    float y;
    std::memcpy(&y, &bytes[4 + 12 + 4], 4);
    EXPECT_EQ(y, 32.0f);
}

TEST(LevelText, RejectsTextThatIsNoLevel) {
    std::vector<LevelPoint> points;
    std::string error;
    const char* bad[] = {
        "",                                  // no blocks
        "layer 0\n...\n",                    // no blocks either
        "o\n",                               // row before any layer
        "layer 0\noo\noo\n",                 // even size has no middle cell
        "layer 0\nooo\no.o\noo\n",           // ragged rows
        "layer 0\nox.\n",                    // unknown cell
        "layer 0\no\nlayer 0\no\n",          // one height twice
        "layer up\no\n",                     // height is no number
    };
    for (const char* text : bad) EXPECT_FALSE(parseLevelText(text, points, error)) << text;

    // 513 blocks: one more than the block pool holds.
    std::string tooMany;
    for (int z = 0; z < 27; ++z) tooMany += "layer " + std::to_string(z) + "\n" + std::string(19, 'o') + "\n";
    EXPECT_FALSE(parseLevelText(tooMany, points, error));
    EXPECT_NE(error.find("513"), std::string::npos);
}

TEST(LevelText, CommittedLevelsAreConnectedAndGrow) {
    std::vector<PackAsset> assets;
    std::string error;
    ASSERT_TRUE(generateLevels(TS_SOURCE_DIR, assets, error)) << error;
    ASSERT_EQ(assets.size(), 10u);
    size_t previousCount = 0;
    for (int n = 1; n <= 10; ++n) {
        EXPECT_EQ(assets[n - 1].name, "levels\\" + std::to_string(n) + ".blvl");
        std::vector<LevelPoint> points;
        ASSERT_TRUE(parseLevelText(readFile(std::string(TS_SOURCE_DIR) + "/data/levels/" + std::to_string(n) + ".txt"),
                                   points, error));
        EXPECT_GT(points.size(), previousCount) << "level " << n << " is no bigger than the one before";
        EXPECT_LE(points.size(), 512u);
        previousCount = points.size();

        // One piece: every block reachable from the first through face neighbours.
        std::set<std::array<int, 3>> cells;
        for (const LevelPoint& p : points) cells.insert({int(p[0]) / 32, int(p[1]) / 32, int(p[2]) / 32});
        ASSERT_EQ(cells.size(), points.size());
        std::set<std::array<int, 3>> reached = {*cells.begin()};
        std::vector<std::array<int, 3>> todo = {*cells.begin()};
        while (!todo.empty()) {
            auto c = todo.back();
            todo.pop_back();
            for (int axis = 0; axis < 3; ++axis)
                for (int step : {-1, 1}) {
                    auto d = c;
                    d[axis] += step;
                    if (cells.count(d) && reached.insert(d).second) todo.push_back(d);
                }
        }
        EXPECT_EQ(reached.size(), cells.size()) << "level " << n << " falls apart";
    }
}

TEST(LevelText, CommittedLevelsShowTheirShapeFromTheOpeningView) {
    // A level starts seen from straight in front (-y) at the height of the origin: a level that is one
    // horizontal layer is seen edge-on there, as a single row of block fronts.
    for (int n = 1; n <= 10; ++n) {
        std::vector<LevelPoint> points;
        std::string error;
        ASSERT_TRUE(parseLevelText(readFile(std::string(TS_SOURCE_DIR) + "/data/levels/" + std::to_string(n) + ".txt"),
                                   points, error));
        std::set<float> rowsSeen, columnsSeen;
        for (const LevelPoint& p : points) {
            rowsSeen.insert(p[2]);
            columnsSeen.insert(p[0]);
        }
        EXPECT_GE(rowsSeen.size(), 2u) << "level " << n << " is seen edge-on";
        EXPECT_GE(columnsSeen.size(), 2u) << "level " << n << " is seen end-on";
    }
}
