// The scene camera: orbit around the mass by mouse drag with momentum, a shake that grows as the
// mass nears its limit, and the GL view set with gluLookAt.
#pragma once
#include "engine/vecmath.h"

struct Camera {
    Vector3 position;   // the eye as the game moves it (before pull-in and shake)
    Vector3 lookEye;    // the eye last handed to gluLookAt
    Vector3 view;       // the point looked at
    Vector3 up;
    Vector3 strafe;     // right-hand direction, refreshed by update()

    Camera();

    void set(float px, float py, float pz, float vx, float vy, float vz, float ux, float uy, float uz);
    void orbitPosition(float angle, float x, float y, float z);
    void orbitUp(float angle, float x, float y, float z);
    // dragging: the pointer turns the view this frame (the game's mouse scheme decides).
    void update(bool dragging);
    void mouseLook(bool dragging);
    // Computes the pulled-in, shaken eye into lookEye (draws from the game's random source);
    // massRatio is the mass over its limit, 0 for none, 1 and above at the limit.
    Vector3 computeLookEye(float massRatio);
    // computeLookEye, then gluLookAt on the current matrix.
    void look(float massRatio);

    Vector3 getPosition() const { return position; }
    Vector3 getUpVector() const { return up; }
    Vector3 getLookEye() const { return lookEye; }
    Vector3 getView() const { return view; }
};

extern Camera camera;
extern Vector2 orbitMomentum;     // mouse motion that keeps turning the camera after a drag
extern Vector2 orbitAxisWeights;  // per-axis share of the momentum while a drag is on
extern Vector2 lastMousePos;      // pointer position at the previous mouse-look step
extern float cameraAngles[2];     // summed horizontal and vertical turn steps

// Axis-angle rotation of v about an unnormalised axis (the form the orbit uses).
Vector3 rotateAboutAxis(Vector3 v, float angle, Vector3 axis);

// The matrices gluLookAt and gluPerspective multiply in, column-major as GL stores them, so the
// picking and frustum maths can be checked without a GL context.
void lookAtMatrix(Vector3 eye, Vector3 center, Vector3 up, double out[16]);
void perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar, double out[16]);
// out = a * b in GL's column-major convention (b applied first).
void multiplyMatrices(const double a[16], const double b[16], double out[16]);
