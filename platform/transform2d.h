// The 2D transform that places sprites: scaling, rotation about a centre and translation,
// composed into the row-vector 4 x 4 matrix the sprite interface takes. Pure arithmetic, shared
// by every driver, so all of them place a sprite identically.
#pragma once

namespace platform {

struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;
};

// Row-vector convention: a point p maps to p * m, so m[3][0] and m[3][1] hold the translation.
struct Matrix {
    float m[4][4] = {};

    static Matrix identity();
};

// The transform of, in this order: scaling by `scaling` along axes turned by `scalingRotation`
// radians about `scalingCentre`; rotation by `rotation` radians about `rotationCentre`
// (positive turns clockwise on a screen whose y grows downwards); translation by
// `translation`. A null argument leaves its step out (no centre means the origin).
Matrix matrixTransformation2D(const Vector2* scalingCentre, float scalingRotation,
                              const Vector2* scaling, const Vector2* rotationCentre, float rotation,
                              const Vector2* translation);

// Where `point` lands under `matrix` (its z taken as 0); the projective row is ignored.
Vector2 transformPoint(const Matrix& matrix, Vector2 point);

}  // namespace platform
