// The update step: the camera's loop, the objects' loops, carried children.
#include "app/animation.h"
#include "geometry/transforms.h"
#include "scene_checks.h"

#include <gtest/gtest.h>

namespace {

void steps(Scene& scene, SceneObject& camera, int count)
{
    for (int i = 0; i < count; ++i)
        advanceAnimation(scene, camera);
}

} // namespace

TEST(Animation, CameraAndObjectsFlyTheirLoopsCarryingChildrenAndLightsStayPut)
{
    auto scene = createScene();
    SceneObject& light = *addLight(*scene);
    setObjectPosition(light, 1, 2, 3);
    SceneObject& child = *addObject(*scene);
    SceneObject& parent = *addObject(*scene);
    attachChild(parent, child);
    auto camera = createCamera();

    steps(*scene, *camera, 1);
    EXPECT_EQ(parent.position.z, 11.0f);
    EXPECT_EQ(child.position.z, 22.0f); // its own advance and its parent's
    // Half an object's loop: 2 x 210 units below its start.
    steps(*scene, *camera, 59);
    EXPECT_TRUE(near(values(parent.position), {0, -420.06f, 11}, 0.05f));
    // Half the camera's loop: 2 x 2292 units below its start, turning from
    // +z towards -y; then back where it started.
    steps(*scene, *camera, 390);
    EXPECT_TRUE(near(values(camera->position), {0, -4583.6f, -16}, 0.5f));
    steps(*scene, *camera, 450);
    EXPECT_TRUE(near(values(camera->position), {0, 0, 0}, 0.5f));
    EXPECT_NEAR(camera->orientation[2][2], 1.0f, 1e-5f);
    // 900 steps close 7.5 object loops: the parent is half a loop away.
    EXPECT_TRUE(near(values(parent.position), {0, -420.06f, 11}, 0.1f));
    EXPECT_EQ(values(light.position), (Floats3{1, 2, 3}));
}
