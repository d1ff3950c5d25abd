#include "engine/meshes.h"

#include "engine/asset_pack.h"
#include "engine/gl_extensions.h"
#include "engine/log.h"

#include <cmath>
#include <cstdint>
#include <cstring>

MeshSet cubeMesh, geosphereMesh, particleMesh;
int vboBytes = 0;

namespace {

// Reads the little-endian floats of an .mbm file, refusing to run past its end.
struct MeshReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos = 0;

    std::size_t remaining() const { return size - pos; }
    bool read(float* out)
    {
        if (remaining() < 4)
            return false;
        const std::uint32_t bits = static_cast<std::uint32_t>(data[pos]) |
                                   static_cast<std::uint32_t>(data[pos + 1]) << 8 |
                                   static_cast<std::uint32_t>(data[pos + 2]) << 16 |
                                   static_cast<std::uint32_t>(data[pos + 3]) << 24;
        std::memcpy(out, &bits, 4);
        pos += 4;
        return true;
    }
};

// A count: finite, not negative once truncated, at most limit.
bool toCount(float value, std::uint64_t limit, int* out)
{
    if (!std::isfinite(value) || value <= -1.0f || value >= 2147483648.0f)
        return false;
    const std::int64_t n = static_cast<std::int64_t>(value);
    if (static_cast<std::uint64_t>(n) > limit)
        return false;
    *out = static_cast<int>(n);
    return true;
}

bool toIndex(float value, int count, int* out)
{
    if (!std::isfinite(value) || value <= -1.0f || value >= static_cast<float>(count))
        return false;
    const int n = static_cast<int>(value);
    if (n < 0 || n >= count)
        return false;
    *out = n;
    return true;
}

bool vboUsable()
{
    return vboSupported && glGenBuffersARB && glBindBufferARB && glBufferDataARB && glMapBufferARB &&
           glUnmapBufferARB;
}

// Puts the mesh's interleaved corners on the card, or keeps them in client memory.
void uploadMesh(Mesh& mesh, int corners, GLenum usage)
{
    std::vector<float> data = interleaveMesh(mesh, corners);
    if (!vboUsable()) {
        mesh.interleaved = std::move(data);
        return;
    }
    const GLsizeiptrARB bytes = static_cast<GLsizeiptrARB>(data.size() * sizeof(float));
    glGenBuffersARB(1, &mesh.vertexBuffer);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, mesh.vertexBuffer);
    glBufferDataARB(GL_ARRAY_BUFFER_ARB, bytes, nullptr, usage);
    vboBytes += static_cast<int>(bytes);
    void* target = bytes > 0 ? glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB) : nullptr;
    bool written = false;
    if (target) {
        std::memcpy(target, data.data(), static_cast<std::size_t>(bytes));
        written = glUnmapBufferARB(GL_ARRAY_BUFFER_ARB) == GL_TRUE;
    }
    // A driver that cannot map (or lost the mapped data) still takes the data directly.
    if (!written && bytes > 0) {
        logMessage("vertex buffer could not be mapped, uploading directly");
        glBufferDataARB(GL_ARRAY_BUFFER_ARB, bytes, data.data(), usage);
    }
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

} // namespace

bool parseMeshData(const unsigned char* data, std::size_t size, MeshSet* out, std::string* error)
{
    MeshReader in{data, size};
    float value;
    int meshCount;
    if (!in.read(&value)) {
        *error = "no mesh count";
        return false;
    }
    // Each mesh needs at least its three counts.
    if (!toCount(value, in.remaining() / 12, &meshCount)) {
        *error = "bad mesh count";
        return false;
    }

    std::vector<Mesh> meshes(static_cast<std::size_t>(meshCount));
    for (Mesh& mesh : meshes) {
        float counts[3];
        if (!in.read(&counts[0]) || !in.read(&counts[1]) || !in.read(&counts[2])) {
            *error = "data ends inside the counts";
            return false;
        }
        const std::uint64_t left = in.remaining();
        if (!toCount(counts[0], left / 24, &mesh.faceCount) || !toCount(counts[1], left / 12, &mesh.vertexCount) ||
            !toCount(counts[2], left / 8, &mesh.texcoordCount)) {
            *error = "bad face, vertex or texture coordinate count";
            return false;
        }
        const std::uint64_t need = static_cast<std::uint64_t>(mesh.faceCount) * 24 +
                                   static_cast<std::uint64_t>(mesh.vertexCount) * 12 +
                                   static_cast<std::uint64_t>(mesh.texcoordCount) * 8;
        if (need > left) {
            *error = "data ends early";
            return false;
        }

        // The file's index triples run from corner 2 down to corner 0.
        std::vector<float> raw(static_cast<std::size_t>(mesh.faceCount) * 6);
        for (float& v : raw)
            in.read(&v);
        mesh.positions.resize(static_cast<std::size_t>(mesh.vertexCount));
        for (MeshVertex& p : mesh.positions) {
            float x, y, z;
            in.read(&x);
            in.read(&y);
            in.read(&z);
            p = Vector3(x, z, -y);   // the file is y-forward; the game is z-up
        }
        mesh.texcoords.resize(static_cast<std::size_t>(mesh.texcoordCount));
        for (MeshVertex& t : mesh.texcoords) {
            float u, v;
            in.read(&u);
            in.read(&v);
            t = Vector3(u, v, 0);
        }
        mesh.faces.resize(static_cast<std::size_t>(mesh.faceCount));
        for (std::size_t f = 0; f < mesh.faces.size(); f++) {
            MeshFace& face = mesh.faces[f];
            const float* r = &raw[f * 6];
            for (int k = 0; k < 3; k++) {
                if (!toIndex(r[k], mesh.vertexCount, &face.vertexIndex[2 - k]) ||
                    !toIndex(r[3 + k], mesh.texcoordCount, &face.texcoordIndex[2 - k])) {
                    *error = "index out of range in face " + std::to_string(f);
                    return false;
                }
            }
        }
    }

    for (Mesh& mesh : meshes)
        out->meshes.push_back(std::move(mesh));
    out->meshCount = static_cast<int>(out->meshes.size());
    return true;
}

std::vector<float> interleaveMesh(const Mesh& mesh, int corners)
{
    std::vector<float> data;
    data.reserve(mesh.faces.size() * static_cast<std::size_t>(corners) * 5);
    for (const MeshFace& face : mesh.faces)
        for (int k = 0; k < corners; k++) {
            const Vector3& p = mesh.positions[static_cast<std::size_t>(face.vertexIndex[k])];
            const Vector3& t = mesh.texcoords[static_cast<std::size_t>(face.texcoordIndex[k])];
            data.insert(data.end(), {p.x, p.y, p.z, t.x, t.y});
        }
    return data;
}

void loadMesh(MeshSet* out, std::string name)
{
    logMessage("loading mesh " + name);
    std::vector<unsigned char> bytes;
    if (!readAssetBytes("meshes\\" + name, bytes)) {
        logMessage("mesh " + name + " could not be read; left empty");
        return;
    }
    MeshSet parsed;
    std::string error;
    if (!parseMeshData(bytes.data(), bytes.size(), &parsed, &error)) {
        logMessage("mesh " + name + " is damaged (" + error + "); left empty");
        return;
    }
    for (Mesh& mesh : parsed.meshes) {
        uploadMesh(mesh, 3, GL_STATIC_DRAW_ARB);
        out->meshes.push_back(std::move(mesh));
    }
    out->meshCount = static_cast<int>(out->meshes.size());
    logMessage("finished loading mesh " + name);
}

void buildParticleMesh(MeshSet* out)
{
    logMessage("loading particle mesh ");
    out->drawAsQuads = 1;
    Mesh mesh;
    mesh.vertexCount = 4;
    mesh.texcoordCount = 4;
    mesh.faceCount = 1;
    mesh.positions = {Vector3(-16, -16, 0), Vector3(16, -16, 0), Vector3(16, 16, 0), Vector3(-16, 16, 0)};
    mesh.texcoords = {Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(1, 1, 0), Vector3(0, 1, 0)};
    // Corners counter-clockwise seen from +z, the side faceCamera turns to the eye: wound the
    // other way, every sprite would be culled as a back face.
    MeshFace face;
    for (int k = 0; k < 4; k++)
        face.vertexIndex[k] = face.texcoordIndex[k] = k;
    mesh.faces.push_back(face);
    uploadMesh(mesh, 4, GL_DYNAMIC_DRAW_ARB);
    out->meshes.push_back(std::move(mesh));
    out->meshCount = static_cast<int>(out->meshes.size());
    logMessage("finished loading particle mesh ");
}

void releaseMeshSet(MeshSet* set)
{
    if (vboSupported && glDeleteBuffersARB)
        for (Mesh& mesh : set->meshes) {
            const GLuint names[3] = {mesh.vertexBuffer, mesh.spareBuffers[0], mesh.spareBuffers[1]};
            glDeleteBuffersARB(3, names);
        }
    set->meshes.clear();
    set->meshCount = 0;
}
