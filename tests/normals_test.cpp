// Face normals, vertex normals and the bounding radius.
#include "geometry/normals.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

struct Mesh {
    std::unique_ptr<Scene> scene = createScene();
    SceneObject& object = *addObject(*scene);
    Texture* texture = addTexture(*scene, 1, 1, 0);

    Vertex* vertex(float x, float y, float z) { return addVertex(object, x, y, z, 0, 0); }
    Face* face(Vertex* a, Vertex* b, Vertex* c) { return addFace(object, a, b, c, texture); }
};

void expectVec(const Vec3& v, float x, float y, float z)
{
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

} // namespace

TEST(Normals, TheCornerOrderDecidesTheSideAndEveryCornerGetsTheFaceNormal)
{
    Mesh m;
    Vertex* a = m.vertex(0, 0, 0);
    Vertex* b = m.vertex(3, 0, 0);
    Vertex* c = m.vertex(0, 4, 0);
    Face* up = m.face(a, b, c);
    computeNormals(m.object);
    expectVec(up->normal, 0, 0, 1);
    for (const Vertex* v : {a, b, c})
        expectVec(v->normal, 0, 0, 1);

    Mesh swapped;
    Face* down = swapped.face(swapped.vertex(0, 0, 0), swapped.vertex(0, 1, 0), swapped.vertex(1, 0, 0));
    computeNormals(swapped.object);
    expectVec(down->normal, 0, 0, -1);
}

TEST(Normals, AVertexSharedByFacesGetsTheirNormalisedSum)
{
    // Two faces on the edge from (0,0,0) to (0,1,0): one facing +z, one +x.
    Mesh m;
    Vertex* o = m.vertex(0, 0, 0);
    Vertex* y = m.vertex(0, 1, 0);
    Vertex* x = m.vertex(1, 0, 0);
    Vertex* z = m.vertex(0, 0, -1);
    m.face(o, x, y);
    m.face(o, z, y);
    computeNormals(m.object);
    const float k = static_cast<float>(1.0 / std::sqrt(2.0));
    expectVec(o->normal, k, 0, k);
    expectVec(y->normal, k, 0, k);
    expectVec(x->normal, 0, 0, 1);
    expectVec(z->normal, 1, 0, 0);
}

TEST(Normals, RadiusIsTheLargestDistanceFromTheLocalOrigin)
{
    const float orders[3][3] = {{5, 7, 6}, {7, 6, 5}, {6, 5, 7}};
    for (const auto& distances : orders) {
        Mesh m;
        for (float d : distances)
            m.vertex(0, d, 0);
        computeNormals(m.object);
        EXPECT_EQ(m.object.radius, 7.0f);
    }
    Mesh far; // measured from the origin, not from the vertices' centre
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
    Vertex* b = m.vertex(1, 1, 1);
    Vertex* c = m.vertex(2, 2, 2);
    Vertex* alone = m.vertex(5, 0, 0);
    Face* line = m.face(a, b, c);
    computeNormals(m.object);
    expectVec(line->normal, 0, 0, 0);
    for (const Vertex* v : {a, b, c, alone})
        expectVec(v->normal, 0, 0, 0);

    // Faces whose normals cancel leave their shared corners with no normal.
    Mesh folded;
    Vertex* p = folded.vertex(0, 0, 0);
    Vertex* q = folded.vertex(1, 0, 0);
    Vertex* r = folded.vertex(0, 1, 0);
    folded.face(p, q, r);
    folded.face(p, r, q);
    computeNormals(folded.object);
    expectVec(p->normal, 0, 0, 0);

    // A cross product so small that the reciprocal of its length overflows a
    // float still gives a unit normal, not infinities or NaNs.
    Mesh tiny;
    Face* speck = tiny.face(tiny.vertex(0, 0, 0), tiny.vertex(1e-20f, 0, 0), tiny.vertex(0, 1e-20f, 0));
    computeNormals(tiny.object);
    expectVec(speck->normal, 0, 0, 1);
}
