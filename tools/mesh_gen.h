// The game's two .mbm meshes: the block cube and the geosphere whose faces become particles.
#pragma once
#include "tools/pack_assets.h"

#include <array>
#include <vector>

// One mesh in the game's own axes (z up) and corner order; encodeMbm converts to the file's.
struct MbmMesh {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> texcoords;
    std::vector<std::array<int, 3>> faceVertices;   // corners 0, 1, 2, counter-clockwise from outside
    std::vector<std::array<int, 3>> faceTexcoords;
};

// The .mbm bytes of these meshes: all values floats, each index triple stored last corner first,
// each position (x, y, z) stored as (x, -z, y) so the loader's axis swap gives it back.
std::vector<unsigned char> encodeMbm(const std::vector<MbmMesh>& meshes);

// A cube of edge `edge` centred on the origin, two triangles a side, UVs 0..1 on every side.
MbmMesh makeCubeMesh(float edge);
// An icosahedron split `subdivisions` times (80 faces for 1), on a sphere of `radius`.
MbmMesh makeGeosphereMesh(float radius, int subdivisions);

// "meshes\cube.mbm" and "meshes\geosphere.mbm".
void generateMeshes(std::vector<PackAsset>& out);
