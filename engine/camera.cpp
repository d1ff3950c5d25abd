#include "engine/camera.h"

#include "engine/config.h"
#include "engine/random.h"
#include "engine/window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>

Camera camera;
Vector2 orbitMomentum(0, 0);
Vector2 orbitAxisWeights(0, 0);
Vector2 lastMousePos(0, 0);
float cameraAngles[2] = {0, 0};

Camera::Camera()
    : position(0, 0, 0), lookEye(0, 0, 0), view(0, 1, 0.5f), up(0, 0, 1), strafe(0, 0, 0)
{
}

void Camera::set(float px, float py, float pz, float vx, float vy, float vz, float ux, float uy, float uz)
{
    position = Vector3(px, py, pz);
    view = Vector3(vx, vy, vz);
    up = Vector3(ux, uy, uz);
}

Vector3 rotateAboutAxis(Vector3 v, float angle, Vector3 axis)
{
    const float k = std::cos(angle);
    const float q = std::sin(angle);
    const float x = axis.x, y = axis.y, z = axis.z;
    Vector3 r(0, 0, 0);
    r.x = ((1 - k) * x * x + k) * v.x + ((1 - k) * x * y - z * q) * v.y + ((1 - k) * x * z + y * q) * v.z;
    r.y = ((1 - k) * x * y + z * q) * v.x + ((1 - k) * y * y + k) * v.y + ((1 - k) * y * z - x * q) * v.z;
    r.z = ((1 - k) * x * z - y * q) * v.x + ((1 - k) * y * z + x * q) * v.y + ((1 - k) * z * z + k) * v.z;
    return r;
}

void Camera::orbitPosition(float angle, float x, float y, float z)
{
    position = view + rotateAboutAxis(position - view, angle, Vector3(x, y, z));
}

void Camera::orbitUp(float angle, float x, float y, float z)
{
    up = view + rotateAboutAxis(up - view, angle, Vector3(x, y, z));
}

void Camera::update(bool dragging)
{
    strafe = normalize(cross(view - position, up));
    mouseLook(dragging);
}

void Camera::mouseLook(bool dragging)
{
    const Vector2 mouse(static_cast<float>(mouseX), static_cast<float>(mouseY));
    // Both axes scale by the width, so a drag turns alike on every screen shape.
    const float widthScale = screenWidth > 0 ? 1920.0f / static_cast<float>(screenWidth) : 1.0f;

    float turnX, turnY;
    if (dragging) {
        const float dx = lastMousePos.x - mouse.x;
        const float dy = lastMousePos.y - mouse.y;
        orbitMomentum.x += dx / 5 * widthScale;
        orbitMomentum.y += dy / 5 * widthScale;
        turnX = (dx + orbitMomentum.x / 10) / 200;
        turnY = (dy + orbitMomentum.y / 10) / 200;
        const float ax = std::fabs(orbitMomentum.x), ay = std::fabs(orbitMomentum.y);
        if (ax > ay)
            orbitAxisWeights = Vector2(1, ay / ax);
        else if (ay > ax)
            orbitAxisWeights = Vector2(ax / ay, 1);
        else
            orbitAxisWeights = Vector2(1, 1);
    } else {
        turnX = orbitMomentum.x / 10 / 200;
        turnY = orbitMomentum.y / 10 / 200;
    }
    lastMousePos = mouse;

    const Vector3 axis = normalize(cross(view - position, up));
    orbitPosition(turnY, axis.x, axis.y, axis.z);
    orbitUp(turnY, axis.x, axis.y, axis.z);
    orbitPosition(turnX, up.x, up.y, up.z);
    cameraAngles[0] += turnX;
    cameraAngles[1] += turnY;
}

Vector3 Camera::computeLookEye(float ratio)
{
    Vector3 eye = position;
    if (!std::isfinite(ratio))
        ratio = 0.0f;
    if (ratio > 0 && ratio < 1)
        eye = position - position * 0.5f * ratio;

    float percent = ratio * 100;
    if (percent > 100)
        percent = 100;

    float offset[3] = {0, 0, 0};
    if (percent >= 81) {
        const int n = static_cast<int>(percent - 80);
        int magnitude[3];
        for (int& m : magnitude)
            m = gameRandom() % n;
        for (int i = 0; i < 3; i++) {
            const float sign = gameRandom() % 100 < 50 ? -1.0f : 1.0f;
            offset[i] = sign * static_cast<float>(magnitude[i]) * 0.25f;
        }
    }
    lookEye = eye + Vector3(offset[0], offset[1], offset[2]);
    return lookEye;
}

void Camera::look(float massRatio)
{
    const Vector3 eye = computeLookEye(massRatio);
    gluLookAt(eye.x, eye.y, eye.z, view.x, view.y, view.z, up.x, up.y, up.z);
}

void multiplyMatrices(const double a[16], const double b[16], double out[16])
{
    double r[16];
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++) {
            double s = 0;
            for (int k = 0; k < 4; k++)
                s += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = s;
        }
    for (int i = 0; i < 16; i++)
        out[i] = r[i];
}

// The same arithmetic GLU uses (single-precision vectors, as gluLookAt normalises in float).
void lookAtMatrix(Vector3 eye, Vector3 center, Vector3 up, double out[16])
{
    float f[3] = {center.x - eye.x, center.y - eye.y, center.z - eye.z};
    float u[3] = {up.x, up.y, up.z};
    auto norm = [](float v[3]) {
        const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (r == 0.0f)
            return;
        v[0] /= r; v[1] /= r; v[2] /= r;
    };
    auto crossf = [](const float a[3], const float b[3], float c[3]) {
        c[0] = a[1] * b[2] - a[2] * b[1];
        c[1] = a[2] * b[0] - a[0] * b[2];
        c[2] = a[0] * b[1] - a[1] * b[0];
    };
    norm(f);
    float s[3];
    crossf(f, u, s);
    norm(s);
    crossf(s, f, u);

    double m[16] = {s[0], u[0], -f[0], 0,
                    s[1], u[1], -f[1], 0,
                    s[2], u[2], -f[2], 0,
                    0,    0,    0,     1};
    double t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -eye.x, -eye.y, -eye.z, 1};
    multiplyMatrices(m, t, out);
}

void perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar, double out[16])
{
    const double radians = fovyDegrees / 2 * M_PI / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    for (int i = 0; i < 16; i++)
        out[i] = 0;
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        out[0] = out[5] = out[10] = out[15] = 1;
        return;
    }
    const double cotangent = std::cos(radians) / sine;
    out[0] = cotangent / aspect;
    out[5] = cotangent;
    out[10] = -(zFar + zNear) / deltaZ;
    out[11] = -1;
    out[14] = -2 * zNear * zFar / deltaZ;
}
