// Picking (the pointer as a ray through the scene, tested against block faces) and the view
// frustum (six planes that stars are tested against).
#pragma once
#include "engine/vecmath.h"

extern double modelviewMatrix[16];   // as last read by getMatrices (GL order)
extern double projectionMatrix[16];
extern Vector3 mouseRayNear;         // pointer on the near plane (window depth 0)
extern Vector3 mouseRayFar;          // pointer on the far plane (window depth 1)
extern float frustumPlanes[6][4];    // right, left, bottom, top, far, near; inside when > 0

void getMatrices();
// Unprojects the pointer with the stored matrices; a failed unprojection keeps the previous ray.
void getMouseVectors();
// Tests the pointer ray against a four-cornered face; hit gets the plane point.
bool RayPick(const Vector3* quad, Vector3* hit);
void ExtractFrustum();
// The planes of modelview x projection into frustumPlanes (the arithmetic of ExtractFrustum).
void extractFrustumFrom(const double modelview[16], const double projection[16]);
bool pointInFrustum(float x, float y, float z);

bool intersectedPlane(const Vector3* polygon, const Vector3* segment, Vector3* normalOut, float* dOut);
Vector3 intersectionPoint(Vector3 normal, const Vector3* segment, double d);
bool insidePolygon(Vector3 point, const Vector3* polygon, int count);
