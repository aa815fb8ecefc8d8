// Face normals, vertex normals and the bounding radius.
#include "geometry/normals.h"
#include "scene_checks.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Mesh {
    std::unique_ptr<Scene> scene = createScene();
    SceneObject& object = *addObject(*scene);
    Texture* texture = addTexture(*scene, 1, 1, 0);

    Vertex* vertex(float x, float y, float z) { return addVertex(object, x, y, z, 0, 0); }
    Face* face(Vertex* a, Vertex* b, Vertex* c) { return addFace(object, a, b, c, texture); }
};

} // namespace

TEST(Normals, VerticesGetTheNormalisedSumOfTheirFacesNormals)
{
    // Faces on the edge from o to y facing +z and +x, and one facing -z.
    Mesh m;
    Vertex* o = m.vertex(0, 0, 0);
    Vertex* y = m.vertex(0, 1, 0);
    Vertex* x = m.vertex(3, 0, 0);
    Vertex* z = m.vertex(0, 0, -1);
    Face* front = m.face(o, x, y);
    Face* side = m.face(o, z, y);
    computeNormals(m.object);
    const float k = static_cast<float>(1.0 / std::sqrt(2.0));
    EXPECT_EQ(values(front->normal), (Floats3{0, 0, 1}));
    EXPECT_EQ(values(side->normal), (Floats3{1, 0, 0}));
    EXPECT_EQ(values(o->normal), (Floats3{k, 0, k}));
    EXPECT_EQ(values(x->normal), (Floats3{0, 0, 1}));
    EXPECT_EQ(values(z->normal), (Floats3{1, 0, 0}));

    Face* back = m.face(o, y, x); // swapped corners face the other way
    computeNormals(m.object);
    EXPECT_EQ(values(back->normal), (Floats3{0, 0, -1}));
    EXPECT_EQ(values(o->normal), (Floats3{1, 0, 0}));
    EXPECT_EQ(values(x->normal), (Floats3{0, 0, 0})); // front and back cancel: no NaN
}

TEST(Normals, RadiusIsTheLargestDistanceFromTheLocalOrigin)
{
    for (Floats3 distances : {Floats3{5, 7, 6}, Floats3{7, 6, 5}, Floats3{6, 5, 7}}) {
        Mesh m;
        for (float d : distances)
            m.vertex(0, d, 0);
        computeNormals(m.object);
        EXPECT_EQ(m.object.radius, 7.0f);
    }
    Mesh far; // from the origin, not from the vertices' centre
    far.vertex(3, 4, 0);
    computeNormals(far.object);
    EXPECT_EQ(far.object.radius, 5.0f);
    Mesh none;
    none.object.radius = 99;
    computeNormals(none.object);
    EXPECT_EQ(none.object.radius, 0.0f);
}

TEST(Normals, VectorsWithoutLengthGiveTheZeroNormalAndTinyOnesAUnitNormal)
{
    Mesh m;
    Vertex* a = m.vertex(0, 0, 0);
    Vertex* alone = m.vertex(5, 0, 0);
    Face* line = m.face(a, m.vertex(1, 1, 1), m.vertex(2, 2, 2));
    // A cross product so small (1e-40) that the reciprocal of its length
    // overflows a float.
    Face* speck = m.face(m.vertex(0, 0, 0), m.vertex(1e-20f, 0, 0), m.vertex(0, 1e-20f, 0));
    computeNormals(m.object);
    EXPECT_EQ(values(line->normal), (Floats3{0, 0, 0}));
    EXPECT_EQ(values(a->normal), (Floats3{0, 0, 0}));
    EXPECT_EQ(values(alone->normal), (Floats3{0, 0, 0}));
    EXPECT_EQ(values(speck->normal), (Floats3{0, 0, 1}));
}
