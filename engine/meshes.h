// Meshes: the ".mbm" block cube and geosphere from the pack and the particle quad built in code,
// expanded to interleaved (x, y, z, u, v) corners in a vertex buffer or in client memory.
#pragma once
#include "engine/vecmath.h"

#include <GL/gl.h>
#include <cstddef>
#include <string>
#include <vector>

typedef Vector3 MeshVertex;

struct MeshFace {
    int vertexIndex[4] = {0, 0, 0, 0};
    int texcoordIndex[4] = {0, 0, 0, 0};
};

struct Mesh {
    int vertexCount = 0;
    int texcoordCount = 0;
    int faceCount = 0;
    GLuint vertexBuffer = 0;        // the interleaved data on the card (VBO case)
    GLuint spareBuffers[2] = {0, 0};
    std::vector<MeshVertex> positions;
    std::vector<MeshVertex> texcoords;   // (u, v, 0)
    std::vector<MeshFace> faces;
    std::vector<float> interleaved;      // client copy (no VBO); empty in the VBO case
};

struct MeshSet {
    int meshCount = 0;
    unsigned char drawAsQuads = 0;  // 1: four corners a face, drawn as quads; 0: triangles
    std::vector<Mesh> meshes;
};

extern MeshSet cubeMesh, geosphereMesh, particleMesh;
extern int vboBytes;   // bytes handed to glBufferDataARB so far

// Reads "meshes\" + name from the pack into out. A missing or damaged mesh is logged and leaves
// out as it was.
void loadMesh(MeshSet* out, std::string name);
void buildParticleMesh(MeshSet* out);

// Parses .mbm bytes into out's meshes (positions, texcoords, faces; no GL work). Every count and
// index is checked against the data; on failure returns false with the reason in error and
// leaves out unchanged.
bool parseMeshData(const unsigned char* data, std::size_t size, MeshSet* out, std::string* error);
// The interleaved corners of a mesh: corners (3 or 4) x 5 floats per face.
std::vector<float> interleaveMesh(const Mesh& mesh, int corners);
// Releases the GL buffers and client data of every mesh of the set and empties it.
void releaseMeshSet(MeshSet* set);
