#include "engine/asset_pack.h"
#include "engine/gl_extensions.h"
#include "engine/meshes.h"
#include "engine/window.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace {

std::vector<unsigned char> mbm(const std::vector<float>& values)
{
    std::vector<unsigned char> out;
    for (float v : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        for (int i = 0; i < 4; i++)
            out.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    }
    return out;
}

// One mesh: a triangle of three vertices and three texture coordinates.
std::vector<float> triangleFile()
{
    return {1,                            // meshes
            1, 3, 3,                      // faces, vertices, texcoords
            0, 1, 2, 2, 0, 1,             // vertex triple, texcoord triple (corner 2 first)
            1, 2, 3, 4, 5, 6, 7, 8, 9,    // vertices as the file has them
            0, 0, 1, 0, 0.5f, 1};
}

bool parse(const std::vector<float>& values, MeshSet* set, std::string* error = nullptr)
{
    std::string e;
    const std::vector<unsigned char> bytes = mbm(values);
    return parseMeshData(bytes.data(), bytes.size(), set, error ? error : &e);
}

TEST(MeshParser, ReadsFacesInReverseCornerOrderAndSwapsAxes)
{
    MeshSet set;
    ASSERT_TRUE(parse(triangleFile(), &set));
    ASSERT_EQ(set.meshCount, 1);
    const Mesh& mesh = set.meshes[0];
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_EQ(mesh.vertexCount, 3);
    // The file's (x, y, z) = (1, 2, 3) becomes (1, 3, -2).
    EXPECT_EQ(mesh.positions[0].x, 1);
    EXPECT_EQ(mesh.positions[0].y, 3);
    EXPECT_EQ(mesh.positions[0].z, -2);
    EXPECT_EQ(mesh.texcoords[2].x, 0.5f);
    EXPECT_EQ(mesh.texcoords[2].z, 0);
    // Triple (0, 1, 2) gives corners 2, 1, 0.
    EXPECT_EQ(mesh.faces[0].vertexIndex[0], 2);
    EXPECT_EQ(mesh.faces[0].vertexIndex[2], 0);
    EXPECT_EQ(mesh.faces[0].texcoordIndex[0], 1);
    EXPECT_EQ(mesh.faces[0].texcoordIndex[2], 2);

    const std::vector<float> corners = interleaveMesh(mesh, 3);
    const std::vector<float> expected = {7, 9, -8, 1, 0,  4, 6, -5, 0, 0,  1, 3, -2, 0.5f, 1};
    EXPECT_EQ(corners, expected);
}

TEST(MeshParser, CountsAreTruncatedFloats)
{
    MeshSet empty;
    ASSERT_TRUE(parse({0}, &empty));
    EXPECT_EQ(empty.meshCount, 0);
    EXPECT_TRUE(empty.meshes.empty());

    std::vector<float> file = triangleFile();
    file[0] = 1.9f;       // one mesh
    file[3] = 3.5f;       // three texcoords
    MeshSet set;
    ASSERT_TRUE(parse(file, &set));
    EXPECT_EQ(set.meshCount, 1);
    EXPECT_EQ(set.meshes[0].texcoordCount, 3);

    // A count written as the integer 2 reads as a denormal float: zero meshes.
    std::vector<unsigned char> intCount = {2, 0, 0, 0};
    MeshSet fromInt;
    std::string error;
    ASSERT_TRUE(parseMeshData(intCount.data(), intCount.size(), &fromInt, &error));
    EXPECT_EQ(fromInt.meshCount, 0);
}

TEST(MeshParser, DamagedFilesAreRefusedAndLeaveTheSetUntouched)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        int index;
        float value;
    } cases[] = {
        {"mesh count NaN", 0, nan},          {"mesh count negative", 0, -1},
        {"absurd mesh count", 0, 1e9f},      {"absurd face count", 1, 4e9f},
        {"infinite vertex count", 2, inf},   {"negative texcoord count", 3, -2},
        {"vertex index past the end", 4, 3}, {"negative vertex index", 5, -1},
        {"NaN texcoord index", 8, nan},      {"texcoord index past the end", 9, 3},
        {"more vertices than the data", 2, 4},
    };
    for (const Case& c : cases) {
        std::vector<float> file = triangleFile();
        file[static_cast<std::size_t>(c.index)] = c.value;
        MeshSet set;
        set.meshCount = 7;   // what a failed parse must not touch
        std::string error;
        EXPECT_FALSE(parse(file, &set, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(set.meshCount, 7) << c.what;
        EXPECT_TRUE(set.meshes.empty()) << c.what;
    }

    // Every truncation of a good file is refused, never read past.
    const std::vector<unsigned char> bytes = mbm(triangleFile());
    for (std::size_t n = 0; n < bytes.size(); n++) {
        MeshSet set;
        std::string error;
        std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        EXPECT_FALSE(parseMeshData(cut.data(), cut.size(), &set, &error)) << n << " bytes";
        EXPECT_TRUE(set.meshes.empty());
    }
}

TEST(MeshParser, RandomCorruptionNeverReadsOutOfBounds)
{
    std::vector<float> file = triangleFile();
    file[0] = 2;   // two meshes back to back
    const std::vector<float> second = triangleFile();
    file.insert(file.end(), second.begin() + 1, second.end());
    const std::vector<unsigned char> good = mbm(file);
    std::mt19937 rng(7);
    int accepted = 0;
    for (int round = 0; round < 2000; round++) {
        std::vector<unsigned char> bytes = good;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < flips; i++)
            bytes[rng() % bytes.size()] ^= static_cast<unsigned char>(1u << (rng() % 8));
        MeshSet set;
        std::string error;
        if (!parseMeshData(bytes.data(), bytes.size(), &set, &error))
            continue;
        accepted++;
        for (const Mesh& mesh : set.meshes) {
            ASSERT_EQ(mesh.faces.size(), static_cast<std::size_t>(mesh.faceCount));
            for (const MeshFace& face : mesh.faces)
                for (int k = 0; k < 3; k++) {
                    ASSERT_LT(face.vertexIndex[k], mesh.vertexCount);
                    ASSERT_LT(face.texcoordIndex[k], mesh.texcoordCount);
                }
            interleaveMesh(mesh, 3);
        }
    }
    EXPECT_GT(accepted, 0);   // flips inside vertex data leave the file valid
}

TEST(MeshLoader, ParticleQuadWithoutVertexBuffers)
{
    const bool savedVbo = vboSupported;   // a window test may have left it on
    vboSupported = false;
    MeshSet set;
    buildParticleMesh(&set);
    vboSupported = savedVbo;
    EXPECT_EQ(set.drawAsQuads, 1);
    ASSERT_EQ(set.meshCount, 1);
    const Mesh& mesh = set.meshes[0];
    EXPECT_EQ(mesh.vertexBuffer, 0u);
    // A 32-unit square facing +z, counter-clockwise from the front, texture upright.
    const std::vector<float> expected = {-16, -16, 0, 0, 0,  16, -16, 0, 1, 0,
                                         16, 16, 0, 1, 1,  -16, 16, 0, 0, 1};
    EXPECT_EQ(mesh.interleaved, expected);
    releaseMeshSet(&set);
    EXPECT_EQ(set.meshCount, 0);
    EXPECT_TRUE(set.meshes.empty());
}

TEST(MeshLoader, MissingAssetLeavesTheSetEmpty)
{
    MeshSet set;
    const std::vector<AssetIndexEntry> saved = assetIndex;
    assetIndex.clear();
    loadMesh(&set, "cube.mbm");
    assetIndex = saved;
    EXPECT_EQ(set.meshCount, 0);
    EXPECT_TRUE(set.meshes.empty());
}

} // namespace
