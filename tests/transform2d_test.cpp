#include "platform/transform2d.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace platform;

namespace {

constexpr float kQuarterTurn = 1.57079637f;

void expectNear(Vector2 actual, Vector2 expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
}

TEST(Transform2DTest, MissingStepsLeaveTheIdentity) {
    Matrix none = matrixTransformation2D(nullptr, 0.5f, nullptr, nullptr, 0.0f, nullptr);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(none.m[row][column], row == column ? 1.0f : 0.0f);
        }
    }
}

TEST(Transform2DTest, ScalesThenTurnsAboutTheCentreThenTranslates) {
    Vector2 scaling{2.0f, 0.5f};
    Vector2 centre{16.0f, 16.0f};
    Vector2 translation{25.0f, 35.0f};
    struct Case {
        float rotation;
        Vector2 point;
        Vector2 expected;
    } cases[] = {
        {0.0f, {0, 0}, {25, 35}},
        {0.0f, {16, 64}, {57, 67}},
        // A quarter turn is clockwise on a y-down screen: +x goes to +y.
        {kQuarterTurn, {16, 32}, {25 + 16 + 0, 35 + 16 + 16}},  // (32,16) - c = (16,0) -> (0,16)
        {kQuarterTurn, {0, 0}, {25 + 32, 35}},                  // (-16,-16) -> (16,-16)
        {-kQuarterTurn, {16, 32}, {25 + 16, 35 + 16 - 16}},     // (16,0) -> (0,-16)
        {2 * kQuarterTurn, {0, 0}, {25 + 32, 35 + 32}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        Matrix m =
            matrixTransformation2D(nullptr, 0.0f, &scaling, &centre, c.rotation, &translation);
        expectNear(transformPoint(m, c.point), c.expected);
    }
}

TEST(Transform2DTest, ScalesAlongTurnedAxesAboutTheScalingCentre) {
    // Stretching by 2 along the diagonal through (1, 1) moves points on that diagonal apart and
    // leaves the perpendicular direction alone.
    Vector2 scalingCentre{1.0f, 1.0f};
    Vector2 scaling{2.0f, 1.0f};
    float diagonal = static_cast<float>(M_PI / 4);
    Matrix m = matrixTransformation2D(&scalingCentre, diagonal, &scaling, nullptr, 0.0f, nullptr);
    expectNear(transformPoint(m, {1, 1}), {1, 1});
    expectNear(transformPoint(m, {2, 2}), {3, 3});
    expectNear(transformPoint(m, {2, 0}), {2, 0});
}

}  // namespace
