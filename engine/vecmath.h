// Vectors, 3D maths helpers and the billboard matrix.
#pragma once

struct Vector2 {
    float x, y;
    Vector2() : x(0.0f), y(0.0f) {}
    Vector2(float x_, float y_) : x(x_), y(y_) {}
};

struct Vector3 {
    float x, y, z;
    Vector3() : x(0.0f), y(0.0f), z(0.0f) {}
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator+(Vector3 o) const { return Vector3(x + o.x, y + o.y, z + o.z); }
    Vector3 operator-(Vector3 o) const { return Vector3(x - o.x, y - o.y, z - o.z); }
    Vector3 operator*(float s) const { return Vector3(x * s, y * s, z * s); }
    Vector3 operator/(float s) const { return Vector3(x / s, y / s, z / s); }
};

Vector3 cross(Vector3 a, Vector3 b);
float dot(Vector3 a, Vector3 b);
float magnitude(Vector3 v);
// A zero vector is returned unchanged.
Vector3 normalize(Vector3 v);
float distance(Vector3 a, Vector3 b);
// Radians; 0 when either vector has zero length.
float angleBetweenVectors(Vector3 a, Vector3 b);
// The point of the segment a-b nearest to p.
Vector3 closestPointOnLine(Vector3 a, Vector3 b, Vector3 p);
// The d term of the plane through p with normal n.
float planeDistance(Vector3 n, Vector3 p);
// Normal of the first three vertices of poly.
Vector3 polygonNormal(const Vector3* poly);

// Smallest power of two at least n (1 for n <= 1).
int nextPowerOfTwo(int n);
bool isPowerOfTwo(int n);

// 16 floats in glMultMatrixf order: elements 0-3 are the first column, 12-14 the translation.
struct Matrix4 {
    float m[16];
    Matrix4() { setIdentity(); }
    void setIdentity();
};

void setBasisMatrix(Matrix4& out, Vector3 xAxis, Vector3 yAxis, Vector3 zAxis, Vector3 origin);
// The billboard matrix that puts a sprite at position with its z axis toward the camera.
Matrix4 billboardMatrix(Vector3 position, Vector3 cameraPosition, Vector3 cameraUp);
// Multiplies the current GL matrix by billboardMatrix.
void faceCamera(Vector3 position, Vector3 cameraPosition, Vector3 cameraUp);
