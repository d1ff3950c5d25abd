#include "engine/picking.h"

#include "engine/config.h"
#include "engine/profiler.h"
#include "engine/window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>

double modelviewMatrix[16];
double projectionMatrix[16];
Vector3 mouseRayNear(0, 0, 0);
Vector3 mouseRayFar(0, 0, 0);
float frustumPlanes[6][4];

void getMatrices()
{
    PROFILE_SCOPE("getMatrices");
    glGetDoublev(GL_MODELVIEW_MATRIX, modelviewMatrix);
    glGetDoublev(GL_PROJECTION_MATRIX, projectionMatrix);
}

void getMouseVectors()
{
    PROFILE_SCOPE("getMouseVectors");
    const GLint viewport[4] = {0, 0, screenWidth, screenHeight};
    const double wx = mouseX;
    const double wy = static_cast<double>(screenHeight) - mouseY;
    double nx, ny, nz, fx, fy, fz;
    // A singular matrix (no view set yet) cannot be inverted: keep the last good ray.
    if (gluUnProject(wx, wy, 0.0, modelviewMatrix, projectionMatrix, viewport, &nx, &ny, &nz) != GL_TRUE)
        return;
    if (gluUnProject(wx, wy, 1.0, modelviewMatrix, projectionMatrix, viewport, &fx, &fy, &fz) != GL_TRUE)
        return;
    mouseRayNear = Vector3(static_cast<float>(nx), static_cast<float>(ny), static_cast<float>(nz));
    mouseRayFar = Vector3(static_cast<float>(fx), static_cast<float>(fy), static_cast<float>(fz));
}

bool intersectedPlane(const Vector3* polygon, const Vector3* segment, Vector3* normalOut, float* dOut)
{
    const Vector3 normal = polygonNormal(polygon);
    const float d = planeDistance(normal, polygon[0]);
    *normalOut = normal;
    *dOut = d;
    const float e0 = dot(normal, segment[0]) + d;
    const float e1 = dot(normal, segment[1]) + d;
    return e0 * e1 < 0;
}

Vector3 intersectionPoint(Vector3 normal, const Vector3* segment, double d)
{
    const Vector3 direction = normalize(segment[1] - segment[0]);
    const double numerator = -(static_cast<double>(dot(normal, segment[0])) + d);
    const double denominator = dot(normal, direction);
    if (denominator == 0.0)
        return segment[0];
    const double t = numerator / denominator;
    return Vector3(static_cast<float>(segment[0].x + direction.x * t),
                   static_cast<float>(segment[0].y + direction.y * t),
                   static_cast<float>(segment[0].z + direction.z * t));
}

bool insidePolygon(Vector3 point, const Vector3* polygon, int count)
{
    double angle = 0.0;
    for (int i = 0; i < count; i++)
        angle += angleBetweenVectors(polygon[i] - point, polygon[(i + 1) % count] - point);
    return angle >= 0.99 * 6.283185307179586;
}

bool RayPick(const Vector3* quad, Vector3* hit)
{
    PROFILE_SCOPE("RayPick");
    const Vector3 segment[2] = {mouseRayNear, mouseRayFar};
    Vector3 normal(0, 0, 0);
    float d = 0;
    if (!intersectedPlane(quad, segment, &normal, &d))
        return false;
    *hit = intersectionPoint(normal, segment, d);
    return insidePolygon(*hit, quad, 4);
}

void extractFrustumFrom(const double modelview[16], const double projection[16])
{
    double clip[16];
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            double s = 0;
            for (int k = 0; k < 4; k++)
                s += modelview[4 * i + k] * projection[4 * k + j];
            clip[4 * i + j] = s;
        }
    // Column 3 plus or minus column c, in the order right, left, bottom, top, far, near.
    const int column[6] = {0, 0, 1, 1, 2, 2};
    const double sign[6] = {-1, 1, 1, -1, -1, 1};
    for (int p = 0; p < 6; p++) {
        float* plane = frustumPlanes[p];
        for (int r = 0; r < 4; r++)
            plane[r] = static_cast<float>(clip[4 * r + 3] + sign[p] * clip[4 * r + column[p]]);
        const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        if (length > 0)
            for (int r = 0; r < 4; r++)
                plane[r] /= length;
    }
}

void ExtractFrustum()
{
    PROFILE_SCOPE("ExtractFrustum");
    getMatrices();
    extractFrustumFrom(modelviewMatrix, projectionMatrix);
}

bool pointInFrustum(float x, float y, float z)
{
    for (const float* p : frustumPlanes)
        if (p[0] * x + p[1] * y + p[2] * z + p[3] <= 0)
            return false;
    return true;
}
