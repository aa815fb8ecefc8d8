// Moving and turning scene objects, carrying their descendants along.
//
// Sums of products are formed in double and rounded to float (roundToFloat)
// where they are stored and at the named intermediate steps of a turn.
#include "geometry/transforms.h"

#include "runtime/floating_point.h"
#include "scene/scene.h"

#include <cmath>
#include <numbers>

namespace {

// Sines and cosines of the three angles of one call, rounded to float.
struct Turn {
    float sinX, cosX; // about x
    float sinY, cosY; // about y
    float sinZ, cosZ; // about z
};

Turn makeTurn(float ax, float ay, float az)
{
    auto radians = [](float degrees) { return degrees / 180.0 * std::numbers::pi; };
    double rx = radians(ax);
    double ry = radians(ay);
    double rz = radians(az);
    return {roundToFloat(std::sin(rx)), roundToFloat(std::cos(rx)),
            roundToFloat(std::sin(ry)), roundToFloat(std::cos(ry)),
            roundToFloat(std::sin(rz)), roundToFloat(std::cos(rz))};
}

// A vector turned about the world axes: y first, then x, then z. The results
// stay in double for the caller to round, after adding a pivot if it has one.
struct Turned {
    double x, y, z;
};

Turned turnAboutWorldAxes(double x, double y, double z, const Turn& t)
{
    float x1 = roundToFloat(x * t.cosY + z * t.sinY);
    float z1 = roundToFloat(z * t.cosY - x * t.sinY);
    double newZ = double(z1) * t.cosX + y * t.sinX;
    float y1 = roundToFloat(y * t.cosX - double(z1) * t.sinX);
    double newX = double(x1) * t.cosZ - double(y1) * t.sinZ;
    double newY = double(y1) * t.cosZ + double(x1) * t.sinZ;
    return {newX, newY, newZ};
}

// Turns every column of the matrix, each column an axis of the object.
void turnColumns(float (&m)[3][3], const Turn& t)
{
    for (int column = 0; column < 3; ++column) {
        Turned turned = turnAboutWorldAxes(m[0][column], m[1][column], m[2][column], t);
        m[0][column] = roundToFloat(turned.x);
        m[1][column] = roundToFloat(turned.y);
        m[2][column] = roundToFloat(turned.z);
    }
}

// Turns every descendant's position about the pivot and its orientation
// about the world axes.
void turnDescendants(SceneObject& object, const Turn& t, const Vec3& pivot)
{
    for (ChildLink* link = object.children; link; link = link->next) {
        SceneObject& child = *link->child;
        Turned turned = turnAboutWorldAxes(double(child.position.x) - pivot.x,
                                           double(child.position.y) - pivot.y,
                                           double(child.position.z) - pivot.z, t);
        child.position.x = roundToFloat(turned.x + pivot.x);
        child.position.y = roundToFloat(turned.y + pivot.y);
        child.position.z = roundToFloat(turned.z + pivot.z);
        turnColumns(child.orientation, t);
        turnDescendants(child, t, pivot);
    }
}

void translateDescendants(SceneObject& object, float dx, float dy, float dz)
{
    for (ChildLink* link = object.children; link; link = link->next)
        translateObject(*link->child, dx, dy, dz);
}

} // namespace

void translateObject(SceneObject& object, float dx, float dy, float dz)
{
    object.position.x += dx;
    object.position.y += dy;
    object.position.z += dz;
    translateDescendants(object, dx, dy, dz);
}

void setObjectPosition(SceneObject& object, float x, float y, float z)
{
    float dx = x - object.position.x;
    float dy = y - object.position.y;
    float dz = z - object.position.z;
    object.position = {x, y, z};
    translateDescendants(object, dx, dy, dz);
}

void moveObjectAlongAxes(SceneObject& object, float a, float b, float c)
{
    const float (&m)[3][3] = object.orientation;
    float dx = roundToFloat(double(m[0][0]) * a + double(m[0][1]) * b + double(m[0][2]) * c);
    float dy = roundToFloat(double(m[1][0]) * a + double(m[1][1]) * b + double(m[1][2]) * c);
    float dz = roundToFloat(double(m[2][0]) * a + double(m[2][1]) * b + double(m[2][2]) * c);
    translateObject(object, dx, dy, dz);
}

void rotateObjectLocal(SceneObject& object, float ax, float ay, float az)
{
    Turn t = makeTurn(ax, ay, az);
    // Each row turns as a row vector: about the object's y axis, then its
    // turned x axis, then its turned z axis.
    for (float (&row)[3] : object.orientation) {
        double x = row[0];
        double y = row[1];
        double z = row[2];
        float x1 = roundToFloat(x * t.cosY - z * t.sinY);
        float z1 = roundToFloat(z * t.cosY + x * t.sinY);
        row[2] = roundToFloat(double(z1) * t.cosX - y * t.sinX);
        float y1 = roundToFloat(y * t.cosX + double(z1) * t.sinX);
        row[0] = roundToFloat(double(x1) * t.cosZ + double(y1) * t.sinZ);
        row[1] = roundToFloat(double(y1) * t.cosZ - double(x1) * t.sinZ);
    }
}

void rotateSubtreeAboutPivot(SceneObject& object, float ax, float ay, float az,
                             float px, float py, float pz)
{
    Turn t = makeTurn(ax, ay, az);
    turnColumns(object.orientation, t);
    turnDescendants(object, t, {px, py, pz});
}

void rotateObjectWorld(SceneObject& object, float ax, float ay, float az)
{
    Vec3 pivot = object.position;
    rotateSubtreeAboutPivot(object, ax, ay, az, pivot.x, pivot.y, pivot.z);
}
