// Object transforms: matrices of the turns and descendants that follow.
#include "geometry/transforms.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

using Rows = float[3][3];

void expectRows(const SceneObject& o, const Rows& rows, float tolerance = 1e-6f)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(o.orientation[r][c], rows[r][c], tolerance) << "row " << r << " column " << c;
}

void expectAt(const SceneObject& o, float x, float y, float z, float tolerance = 0.0f)
{
    EXPECT_NEAR(o.position.x, x, tolerance);
    EXPECT_NEAR(o.position.y, y, tolerance);
    EXPECT_NEAR(o.position.z, z, tolerance);
}

bool sameMatrix(const SceneObject& a, const SceneObject& b)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (a.orientation[r][c] != b.orientation[r][c])
                return false;
    return true;
}

// A parent with a child and a grandchild, all in one scene.
struct Family {
    std::unique_ptr<Scene> scene = createScene();
    SceneObject& parent = *addObject(*scene);
    SceneObject& child = *addObject(*scene);
    SceneObject& grandchild = *addObject(*scene);

    Family()
    {
        attachChild(parent, child);
        attachChild(child, grandchild);
        setObjectPosition(child, 0, 0, 10);
        setObjectPosition(grandchild, 0, 0, 20);
    }
};

} // namespace

TEST(Transforms, TurnsGiveTheMatricesOfTheirAxesAndOrder)
{
    struct Case {
        const char* name;
        std::function<void(SceneObject&)> turn;
        Rows rows;
    };
    const Case cases[] = {
        {"local 90 90 0", [](SceneObject& o) { rotateObjectLocal(o, 90, 90, 0); }, {{0, 1, 0}, {0, 0, -1}, {-1, 0, 0}}},
        {"world 90 90 0", [](SceneObject& o) { rotateObjectWorld(o, 90, 90, 0); }, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}},
        {"local 0 0 90", [](SceneObject& o) { rotateObjectLocal(o, 0, 0, 90); }, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}},
        {"world 0 0 90", [](SceneObject& o) { rotateObjectWorld(o, 0, 0, 90); }, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}},
        {"local 90 0 0", [](SceneObject& o) { rotateObjectLocal(o, 90, 0, 0); }, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}},
        {"world 0 90 0", [](SceneObject& o) { rotateObjectWorld(o, 0, 90, 0); }, {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}},
        {"local 30 then 30 about x", [](SceneObject& o) { rotateObjectLocal(o, 30, 0, 0); rotateObjectLocal(o, 30, 0, 0); },
         {{1, 0, 0}, {0, 0.5f, -0.8660254f}, {0, 0.8660254f, 0.5f}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto o = createCamera();
        c.turn(*o);
        expectRows(*o, c.rows);
        expectAt(*o, 0, 0, 0);
    }
}

TEST(Transforms, LocalAndWorldTurnsAgreeAboutOneAxisAndZeroAnglesChangeNothing)
{
    const float angles[3][3] = {{37, 0, 0}, {0, 37, 0}, {0, 0, 37}};
    for (const auto& a : angles) {
        auto local = createCamera();
        auto world = createCamera();
        rotateObjectLocal(*local, a[0], a[1], a[2]);
        rotateObjectWorld(*world, a[0], a[1], a[2]);
        EXPECT_TRUE(sameMatrix(*local, *world)) << a[0] << " " << a[1] << " " << a[2];
    }

    auto turned = createCamera();
    rotateObjectLocal(*turned, 12, 34, 56);
    auto copy = createCamera();
    rotateObjectLocal(*copy, 12, 34, 56);
    rotateObjectLocal(*turned, 0, 0, 0);
    rotateObjectWorld(*turned, 0, 0, 0);
    EXPECT_TRUE(sameMatrix(*turned, *copy));
}

TEST(Transforms, MovingAlongAxesFollowsTheObjectsOwnAxes)
{
    auto o = createCamera();
    moveObjectAlongAxes(*o, 0, 0, 5);
    expectAt(*o, 0, 0, 5);
    rotateObjectLocal(*o, 90, 0, 0); // the z axis now points along world -y
    moveObjectAlongAxes(*o, 0, 0, 5);
    expectAt(*o, 0, -5, 5, 1e-5f);
    rotateObjectLocal(*o, 0, 0, 90); // and now the x axis along world +z
    moveObjectAlongAxes(*o, 2, 0, 0);
    expectAt(*o, 0, -5, 7, 1e-5f);
}

TEST(Transforms, TranslationsCarryEveryDescendant)
{
    Family f;
    translateObject(f.parent, 1, 2, 3);
    expectAt(f.parent, 1, 2, 3);
    expectAt(f.child, 1, 2, 13);
    expectAt(f.grandchild, 1, 2, 23);

    setObjectPosition(f.parent, 1, 2, 3); // where it is: nobody moves
    expectAt(f.child, 1, 2, 13);
    setObjectPosition(f.parent, 0, 0, 0);
    expectAt(f.grandchild, 0, 0, 20);

    rotateObjectLocal(f.parent, 0, 90, 0); // the parent's z axis now points along world +x
    moveObjectAlongAxes(f.parent, 0, 0, 4);
    expectAt(f.parent, 4, 0, 0, 1e-6f);
    expectAt(f.child, 4, 0, 10, 1e-6f);
    expectAt(f.grandchild, 4, 0, 20, 1e-6f);
    // The local turn did not touch the descendants' attitudes.
    auto fresh = createCamera();
    EXPECT_TRUE(sameMatrix(f.child, *fresh));

}

TEST(Transforms, ADescendantOnTwoPathsMovesOncePerPath)
{
    // parent -> child, and parent -> other -> child.
    auto scene = createScene();
    SceneObject& parent = *addObject(*scene);
    SceneObject& other = *addObject(*scene);
    SceneObject& child = *addObject(*scene);
    attachChild(other, child);
    ChildLink toOther{nullptr, &other};
    ChildLink toChild{&toOther, &child};
    parent.children = &toChild;
    translateObject(parent, 0, 1, 0);
    expectAt(other, 0, 1, 0);
    expectAt(child, 0, 2, 0);
}

TEST(Transforms, WorldTurnsCarryTheSubtreeRigidlyAboutTheObject)
{
    Family f;
    setObjectPosition(f.parent, 5, 0, 0);
    rotateObjectWorld(f.parent, 0, 90, 0);
    // 10 and 20 along world +z from the parent end 10 and 20 along +x.
    expectAt(f.parent, 5, 0, 0);
    expectAt(f.child, 15, 0, 0, 1e-5f);
    expectAt(f.grandchild, 25, 0, 0, 1e-5f);
    const Rows ry90 = {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}};
    expectRows(f.child, ry90);
    expectRows(f.grandchild, ry90);

    // About another pivot, the object itself keeps its place.
    rotateSubtreeAboutPivot(f.parent, 0, 0, 90, 15, 0, 0);
    expectAt(f.parent, 5, 0, 0);
    expectAt(f.child, 15, 0, 0, 1e-5f);
    expectAt(f.grandchild, 15, 10, 0, 1e-5f);
    const Rows rzry = {{0, -1, 0}, {0, 0, 1}, {-1, 0, 0}};
    expectRows(f.parent, rzry);
    expectRows(f.grandchild, rzry);
}
