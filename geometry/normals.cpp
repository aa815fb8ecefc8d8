// Face normals, vertex normals and the bounding radius of a mesh.
#include "geometry/normals.h"

#include "runtime/floating_point.h"
#include "scene/scene.h"

#include <cmath>

namespace {

// The vector scaled to length 1 by the reciprocal of its length, rounded to
// float, or the zero vector when it has no length. A length so small that its
// reciprocal overflows a float (components far below 1e-38) is divided out
// directly, so no infinity ever meets a zero component.
Vec3 unitOrZero(Vec3 n)
{
    double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
    if (length == 0.0)
        return {0.0f, 0.0f, 0.0f};
    float k = roundToFloat(1.0 / length);
    if (std::isinf(k))
        return {roundToFloat(n.x / length), roundToFloat(n.y / length), roundToFloat(n.z / length)};
    return {k * n.x, k * n.y, k * n.z};
}

Vec3 cross(Vec3 a, Vec3 b)
{
    return {roundToFloat(double(a.y) * b.z - double(a.z) * b.y),
            roundToFloat(double(a.z) * b.x - double(a.x) * b.z),
            roundToFloat(double(a.x) * b.y - double(a.y) * b.x)};
}

Vec3 edge(const Vertex& from, const Vertex& to)
{
    return {to.x - from.x, to.y - from.y, to.z - from.z};
}

void addTo(Vec3& sum, Vec3 n)
{
    sum.x += n.x;
    sum.y += n.y;
    sum.z += n.z;
}

} // namespace

void computeFaceNormals(SceneObject& object)
{
    for (Face* face = object.faces; face; face = face->next) {
        Vec3 e1 = edge(*face->corner1, *face->corner2);
        Vec3 e2 = edge(*face->corner1, *face->corner3);
        face->normal = unitOrZero(cross(e1, e2));
    }
}

void computeVertexNormalsAndRadius(SceneObject& object)
{
    object.radius = 0.0f;
    for (Vertex* vertex = object.vertices; vertex; vertex = vertex->next) {
        double x = vertex->x, y = vertex->y, z = vertex->z;
        float distance = roundToFloat(std::sqrt(x * x + y * y + z * z));
        if (distance > object.radius)
            object.radius = distance;
        vertex->normal = {0.0f, 0.0f, 0.0f};
    }
    for (Face* face = object.faces; face; face = face->next) {
        addTo(face->corner1->normal, face->normal);
        addTo(face->corner2->normal, face->normal);
        addTo(face->corner3->normal, face->normal);
    }
    for (Vertex* vertex = object.vertices; vertex; vertex = vertex->next)
        vertex->normal = unitOrZero(vertex->normal);
}

void computeNormals(SceneObject& object)
{
    computeFaceNormals(object);
    computeVertexNormalsAndRadius(object);
}
