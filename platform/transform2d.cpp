#include "platform/transform2d.h"

#include <cmath>

namespace platform {

namespace {

// p' = (x * a + y * c + tx, x * b + y * d + ty): the 2D part of a row-vector matrix.
struct Affine {
    float a = 1.0f, b = 0.0f, c = 0.0f, d = 1.0f, tx = 0.0f, ty = 0.0f;
};

// `first`, then `second`.
Affine then(const Affine& first, const Affine& second) {
    return Affine{first.a * second.a + first.b * second.c,
                  first.a * second.b + first.b * second.d,
                  first.c * second.a + first.d * second.c,
                  first.c * second.b + first.d * second.d,
                  first.tx * second.a + first.ty * second.c + second.tx,
                  first.tx * second.b + first.ty * second.d + second.ty};
}

Affine translation(float x, float y) {
    return Affine{1.0f, 0.0f, 0.0f, 1.0f, x, y};
}

Affine rotation(float radians) {
    float cosine = std::cos(radians);
    float sine = std::sin(radians);
    return Affine{cosine, sine, -sine, cosine, 0.0f, 0.0f};
}

// Turns by `radians` about `centre` (the origin when null).
Affine rotationAbout(const Vector2* centre, float radians) {
    Vector2 at = centre != nullptr ? *centre : Vector2{};
    return then(then(translation(-at.x, -at.y), rotation(radians)), translation(at.x, at.y));
}

}  // namespace

Matrix Matrix::identity() {
    Matrix matrix;
    for (int i = 0; i < 4; ++i) {
        matrix.m[i][i] = 1.0f;
    }
    return matrix;
}

Matrix matrixTransformation2D(const Vector2* scalingCentre, float scalingRotation,
                              const Vector2* scaling, const Vector2* rotationCentre, float rotation,
                              const Vector2* translationBy) {
    Affine result;
    if (scaling != nullptr) {
        // Scaling along turned axes: turn the axes onto x and y, scale, turn back.
        Vector2 centre = scalingCentre != nullptr ? *scalingCentre : Vector2{};
        Affine axes = then(translation(-centre.x, -centre.y), platform::rotation(-scalingRotation));
        Affine scale{scaling->x, 0.0f, 0.0f, scaling->y, 0.0f, 0.0f};
        Affine back = then(platform::rotation(scalingRotation), translation(centre.x, centre.y));
        result = then(then(axes, scale), back);
    }
    result = then(result, rotationAbout(rotationCentre, rotation));
    if (translationBy != nullptr) {
        result = then(result, translation(translationBy->x, translationBy->y));
    }

    Matrix matrix = Matrix::identity();
    matrix.m[0][0] = result.a;
    matrix.m[0][1] = result.b;
    matrix.m[1][0] = result.c;
    matrix.m[1][1] = result.d;
    matrix.m[3][0] = result.tx;
    matrix.m[3][1] = result.ty;
    return matrix;
}

Vector2 transformPoint(const Matrix& matrix, Vector2 point) {
    return Vector2{point.x * matrix.m[0][0] + point.y * matrix.m[1][0] + matrix.m[3][0],
                   point.x * matrix.m[0][1] + point.y * matrix.m[1][1] + matrix.m[3][1]};
}

}  // namespace platform
