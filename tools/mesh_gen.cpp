#include "tools/mesh_gen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

namespace {

void appendFloat(std::vector<unsigned char>& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((bits >> (8 * i)) & 0xff));
}

using Vec = std::array<float, 3>;

Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec scaledTo(const Vec& v, float length) {
    float m = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / m * length, v[1] / m * length, v[2] / m * length};
}

} // namespace

std::vector<unsigned char> encodeMbm(const std::vector<MbmMesh>& meshes) {
    std::vector<unsigned char> out;
    appendFloat(out, static_cast<float>(meshes.size()));
    for (const MbmMesh& mesh : meshes) {
        appendFloat(out, static_cast<float>(mesh.faceVertices.size()));
        appendFloat(out, static_cast<float>(mesh.positions.size()));
        appendFloat(out, static_cast<float>(mesh.texcoords.size()));
        for (size_t f = 0; f < mesh.faceVertices.size(); ++f) {
            for (int k = 2; k >= 0; --k) appendFloat(out, static_cast<float>(mesh.faceVertices[f][k]));
            for (int k = 2; k >= 0; --k) appendFloat(out, static_cast<float>(mesh.faceTexcoords[f][k]));
        }
        for (const Vec& p : mesh.positions) {
            appendFloat(out, p[0]);
            appendFloat(out, -p[2]);
            appendFloat(out, p[1]);
        }
        for (const auto& t : mesh.texcoords) {
            appendFloat(out, t[0]);
            appendFloat(out, t[1]);
        }
    }
    return out;
}

MbmMesh makeCubeMesh(float edge) {
    MbmMesh mesh;
    float h = edge / 2;
    // Corner i has x from bit 0, y from bit 1, z from bit 2.
    for (int i = 0; i < 8; ++i) mesh.positions.push_back({(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h});
    mesh.texcoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

    auto cornerAt = [&](const Vec& p) {
        int i = (p[0] > 0 ? 1 : 0) | (p[1] > 0 ? 2 : 0) | (p[2] > 0 ? 4 : 0);
        return i;
    };
    // Each side: its outward normal and the direction that is "up" in its texture. Side textures
    // stand upright (z up); the top and bottom put texture-up towards +y.
    const Vec normals[6] = {{0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}};
    const Vec ups[6] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 1, 0}, {0, 1, 0}};
    for (int s = 0; s < 6; ++s) {
        const Vec& n = normals[s];
        const Vec& u = ups[s];
        Vec r = cross(u, n);  // right x up = outward normal: counter-clockwise seen from outside
        int quad[4];
        const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int k = 0; k < 4; ++k) {
            Vec p;
            for (int a = 0; a < 3; ++a) p[a] = h * (n[a] + signs[k][0] * r[a] + signs[k][1] * u[a]);
            quad[k] = cornerAt(p);
        }
        mesh.faceVertices.push_back({quad[0], quad[1], quad[2]});
        mesh.faceTexcoords.push_back({0, 1, 2});
        mesh.faceVertices.push_back({quad[0], quad[2], quad[3]});
        mesh.faceTexcoords.push_back({0, 2, 3});
    }
    return mesh;
}

MbmMesh makeGeosphereMesh(float radius, int subdivisions) {
    MbmMesh mesh;
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    const Vec base[12] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                          {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (const Vec& v : base) mesh.positions.push_back(scaledTo(v, radius));
    std::vector<std::array<int, 3>> faces = {
        {0, 11, 5}, {0, 5, 1}, {0, 1, 7}, {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8}, {3, 9, 4}, {3, 4, 2}, {3, 2, 6}, {3, 6, 8},
        {3, 8, 9}, {4, 9, 5}, {2, 4, 11}, {6, 2, 10}, {8, 6, 7}, {9, 8, 1}};

    for (int level = 0; level < subdivisions; ++level) {
        std::map<std::pair<int, int>, int> midpoints;
        auto midpoint = [&](int a, int b) {
            std::pair<int, int> key(std::min(a, b), std::max(a, b));
            auto found = midpoints.find(key);
            if (found != midpoints.end()) return found->second;
            const Vec& pa = mesh.positions[a];
            const Vec& pb = mesh.positions[b];
            mesh.positions.push_back(scaledTo({pa[0] + pb[0], pa[1] + pb[1], pa[2] + pb[2]}, radius));
            int index = static_cast<int>(mesh.positions.size()) - 1;
            midpoints[key] = index;
            return index;
        };
        std::vector<std::array<int, 3>> split;
        for (const auto& f : faces) {
            int ab = midpoint(f[0], f[1]), bc = midpoint(f[1], f[2]), ca = midpoint(f[2], f[0]);
            split.push_back({f[0], ab, ca});
            split.push_back({f[1], bc, ab});
            split.push_back({f[2], ca, bc});
            split.push_back({ab, bc, ca});
        }
        faces = split;
    }
    // The particles only need positions; each face still gets a whole-texture triangle.
    mesh.texcoords = {{0, 0}, {1, 0}, {0.5f, 1}};
    for (const auto& f : faces) {
        mesh.faceVertices.push_back(f);
        mesh.faceTexcoords.push_back({0, 1, 2});
    }
    return mesh;
}

void generateMeshes(std::vector<PackAsset>& out) {
    const float blockSize = 32.0f;
    out.push_back({"meshes\\cube.mbm", encodeMbm({makeCubeMesh(blockSize)})});
    out.push_back({"meshes\\geosphere.mbm", encodeMbm({makeGeosphereMesh(16.0f, 1)})});
}
