// The update step: the camera's loop, the objects' loops, carried children.
#include "app/animation.h"
#include "geometry/transforms.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

void steps(Scene& scene, SceneObject& camera, int count)
{
    for (int i = 0; i < count; ++i)
        advanceAnimation(scene, camera);
}

} // namespace

TEST(Animation, TheCameraFliesALoopOf900StepsTurningFromPlusZTowardsMinusY)
{
    auto scene = createScene();
    auto camera = createCamera();
    steps(*scene, *camera, 225); // a quarter turn: looking down -y
    EXPECT_NEAR(camera->orientation[1][2], -1.0f, 1e-5f);
    steps(*scene, *camera, 225); // half a turn: 2 x 2292 units below the start
    EXPECT_NEAR(camera->position.x, 0.0f, 1e-3f);
    EXPECT_NEAR(camera->position.y, -4583.6f, 0.5f);
    EXPECT_NEAR(camera->position.z, -16.0f, 0.5f);
    steps(*scene, *camera, 450); // back where it started
    EXPECT_NEAR(camera->position.y, 0.0f, 0.5f);
    EXPECT_NEAR(camera->position.z, 0.0f, 0.5f);
    EXPECT_NEAR(camera->orientation[2][2], 1.0f, 1e-5f);
}

TEST(Animation, ObjectsFlyLoopsOf120StepsCarryingTheirChildrenAndLightsStayPut)
{
    auto scene = createScene();
    SceneObject& light = *addLight(*scene);
    setObjectPosition(light, 1, 2, 3);
    SceneObject& child = *addObject(*scene);
    SceneObject& parent = *addObject(*scene);
    SceneObject& loner = *addObject(*scene);
    attachChild(parent, child);
    setObjectPosition(loner, 100, 0, 0);
    auto camera = createCamera();

    steps(*scene, *camera, 1);
    EXPECT_EQ(parent.position.z, 11.0f);
    EXPECT_EQ(child.position.z, 22.0f); // its own advance and its parent's
    EXPECT_EQ(loner.position.z, 11.0f);

    steps(*scene, *camera, 59); // half a loop: 2 x 210 units below the start
    EXPECT_NEAR(loner.position.x, 100.0f, 1e-4f);
    EXPECT_NEAR(loner.position.y, -420.06f, 0.05f);
    EXPECT_NEAR(loner.position.z, 11.0f, 0.05f);
    steps(*scene, *camera, 60);
    EXPECT_NEAR(loner.position.y, 0.0f, 0.05f);
    EXPECT_NEAR(loner.position.z, 0.0f, 0.05f);
    EXPECT_NEAR(parent.position.z, 0.0f, 0.05f);
    EXPECT_EQ(light.position.x, 1.0f);
    EXPECT_EQ(light.position.y, 2.0f);
    EXPECT_EQ(light.position.z, 3.0f);
}
