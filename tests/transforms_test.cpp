// Object transforms: the matrices of the turns, and descendants that follow.
#include "geometry/transforms.h"
#include "scene_checks.h"

#include <gtest/gtest.h>

#include <functional>

TEST(Transforms, TurnsGiveTheMatricesOfTheirAxesAndOrder)
{
    using Turn = std::function<void(SceneObject&)>;
    const std::pair<Turn, Floats9> cases[] = {
        {[](SceneObject& o) { rotateObjectLocal(o, 90, 90, 0); }, {0, 1, 0, 0, 0, -1, -1, 0, 0}},
        {[](SceneObject& o) { rotateObjectWorld(o, 90, 90, 0); }, {0, 0, 1, 1, 0, 0, 0, 1, 0}},
        {[](SceneObject& o) { rotateObjectLocal(o, 0, 0, 90); }, {0, -1, 0, 1, 0, 0, 0, 0, 1}},
        {[](SceneObject& o) { rotateObjectWorld(o, 0, 0, 90); }, {0, -1, 0, 1, 0, 0, 0, 0, 1}},
        {[](SceneObject& o) { rotateObjectLocal(o, 90, 0, 0); }, {1, 0, 0, 0, 0, -1, 0, 1, 0}},
        {[](SceneObject& o) { rotateObjectWorld(o, 0, 90, 0); }, {0, 0, 1, 0, 1, 0, -1, 0, 0}},
        {[](SceneObject& o) { rotateObjectLocal(o, 30, 0, 0); rotateObjectLocal(o, 30, 0, 0); },
         {1, 0, 0, 0, 0.5f, -0.8660254f, 0, 0.8660254f, 0.5f}},
    };
    int index = 0;
    for (const auto& [turn, rows] : cases) {
        auto o = createCamera();
        turn(*o);
        EXPECT_TRUE(near(values(o->orientation), rows, 1e-6f)) << "case " << index++;
        EXPECT_EQ(values(o->position), (Floats3{0, 0, 0}));
    }
    // About a single axis both forms agree exactly; zero angles change nothing.
    for (Floats3 a : {Floats3{37, 0, 0}, Floats3{0, 37, 0}, Floats3{0, 0, 37}}) {
        auto local = createCamera();
        auto world = createCamera();
        rotateObjectLocal(*local, a[0], a[1], a[2]);
        rotateObjectWorld(*world, a[0], a[1], a[2]);
        EXPECT_EQ(values(local->orientation), values(world->orientation));
        Floats9 before = values(world->orientation);
        rotateObjectLocal(*world, 0, 0, 0);
        rotateObjectWorld(*world, 0, 0, 0);
        EXPECT_EQ(values(world->orientation), before);
    }
}

TEST(Transforms, DescendantsFollowMovesAndWorldTurnsButNotLocalTurns)
{
    // A parent with a child 10 and a grandchild 20 along world +z from it.
    auto scene = createScene();
    SceneObject& parent = *addObject(*scene);
    SceneObject& child = *addObject(*scene);
    SceneObject& grandchild = *addObject(*scene);
    attachChild(parent, child);
    attachChild(child, grandchild);
    setObjectPosition(child, 0, 0, 10);
    setObjectPosition(grandchild, 0, 0, 20);

    translateObject(parent, 1, 2, 3);
    EXPECT_EQ(values(grandchild.position), (Floats3{1, 2, 23}));
    setObjectPosition(parent, 1, 2, 3); // where it is: nobody moves
    setObjectPosition(parent, 5, 0, 0);
    EXPECT_EQ(values(child.position), (Floats3{5, 0, 10}));

    rotateObjectLocal(parent, 90, 0, 0); // its z axis now points along world -y
    moveObjectAlongAxes(parent, 0, 0, 4);
    EXPECT_TRUE(near(values(grandchild.position), {5, -4, 20}, 1e-5f));
    EXPECT_EQ(values(child.orientation), (Floats9{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    moveObjectAlongAxes(parent, 0, 0, -4);

    // 10 and 20 along world +z from the parent end 10 and 20 along +x.
    rotateObjectWorld(parent, 0, 90, 0);
    EXPECT_EQ(values(parent.position), (Floats3{5, 0, 0}));
    EXPECT_TRUE(near(values(child.position), {15, 0, 0}, 1e-5f));
    EXPECT_TRUE(near(values(grandchild.position), {25, 0, 0}, 1e-5f));
    EXPECT_TRUE(near(values(grandchild.orientation), {0, 0, 1, 0, 1, 0, -1, 0, 0}, 1e-6f));
    // About another pivot, the object itself keeps its place.
    rotateSubtreeAboutPivot(parent, 0, 0, 90, 15, 0, 0);
    EXPECT_EQ(values(parent.position), (Floats3{5, 0, 0}));
    EXPECT_TRUE(near(values(child.position), {15, 0, 0}, 1e-5f));
    EXPECT_TRUE(near(values(grandchild.position), {15, 10, 0}, 1e-5f));
    EXPECT_TRUE(near(values(grandchild.orientation), {0, -1, 0, 0, 0, 1, -1, 0, 0}, 1e-6f));

    // A descendant on two paths (child -> grandchild, child -> other ->
    // grandchild) moves once per path.
    SceneObject& other = *addObject(*scene);
    attachChild(other, grandchild);
    ChildLink toOther{nullptr, &other};
    ChildLink toGrandchild{&toOther, &grandchild};
    child.children = &toGrandchild;
    translateObject(child, 0, 0, 1);
    EXPECT_TRUE(near(values(grandchild.position), {15, 10, 2}, 1e-5f));
}
