#include "engine/vecmath.h"

#include <GL/gl.h>
#include <cmath>

Vector3 cross(Vector3 a, Vector3 b)
{
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float dot(Vector3 a, Vector3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float magnitude(Vector3 v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vector3 normalize(Vector3 v)
{
    if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f)
        return v;
    return v / magnitude(v);
}

float distance(Vector3 a, Vector3 b)
{
    return magnitude(b - a);
}

float angleBetweenVectors(Vector3 a, Vector3 b)
{
    float angle = std::acos(dot(a, b) / (magnitude(a) * magnitude(b)));
    if (std::isnan(angle))
        return 0.0f;
    return angle;
}

Vector3 closestPointOnLine(Vector3 a, Vector3 b, Vector3 p)
{
    Vector3 direction = normalize(b - a);
    float t = dot(direction, p - a);
    if (t <= 0.0f)
        return a;
    if (t >= distance(a, b))
        return b;
    return a + direction * t;
}

float planeDistance(Vector3 n, Vector3 p)
{
    return -(n.x * p.x + n.y * p.y + n.z * p.z);
}

Vector3 polygonNormal(const Vector3* poly)
{
    return normalize(cross(poly[2] - poly[0], poly[1] - poly[0]));
}

int nextPowerOfTwo(int n)
{
    int p = 1;
    // Stop before overflowing: no texture is anywhere near 2^30.
    while (p < n && p < (1 << 30))
        p *= 2;
    return p;
}

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

void Matrix4::setIdentity()
{
    for (float& e : m)
        e = 0.0f;
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void setBasisMatrix(Matrix4& out, Vector3 xAxis, Vector3 yAxis, Vector3 zAxis, Vector3 origin)
{
    float* m = out.m;
    m[0] = xAxis.x; m[1] = xAxis.y; m[2] = xAxis.z; m[3] = 0.0f;
    m[4] = yAxis.x; m[5] = yAxis.y; m[6] = yAxis.z; m[7] = 0.0f;
    m[8] = zAxis.x; m[9] = zAxis.y; m[10] = zAxis.z; m[11] = 0.0f;
    m[12] = origin.x; m[13] = origin.y; m[14] = origin.z; m[15] = 1.0f;
}

Matrix4 billboardMatrix(Vector3 position, Vector3 cameraPosition, Vector3 cameraUp)
{
    Vector3 look = normalize(cameraPosition - position);
    // Not normalised again: a camera up that is not perpendicular to look shrinks the sprite.
    Vector3 right = cross(cameraUp, look);
    Vector3 up = cross(look, right);
    Matrix4 matrix;
    setBasisMatrix(matrix, right, up, look, position);
    return matrix;
}

void faceCamera(Vector3 position, Vector3 cameraPosition, Vector3 cameraUp)
{
    Matrix4 matrix = billboardMatrix(position, cameraPosition, cameraUp);
    glMultMatrixf(matrix.m);
}
