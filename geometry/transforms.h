// Moving and turning scene objects, carrying their descendants along.
#pragma once

struct SceneObject;

// Angles are in degrees; a local point p of an object lies in the world at
// orientation * (p scaled by `scale`) + position. Descendants are reached
// through `children`, depth first in list order; every position is absolute.
// Only `position` and `orientation` change, and nothing is allocated.

// position += (dx, dy, dz); every descendant moves by the same offset.
void translateObject(SceneObject& object, float dx, float dy, float dz);

// position = (x, y, z); every descendant moves by the offset from the old
// position to the new one.
void setObjectPosition(SceneObject& object, float x, float y, float z);

// Moves the object a, b, c units along its own x, y, z axes; every
// descendant moves by the same world offset.
void moveObjectAlongAxes(SceneObject& object, float a, float b, float c);

// Turns the object about its own axes: orientation * Ry(ay) * Rx(ax) * Rz(az).
// Descendants stay where they are.
void rotateObjectLocal(SceneObject& object, float ax, float ay, float az);

// Turns the orientation about the world axes, Rz(az) * Rx(ax) * Ry(ay) *
// orientation, and every descendant's position about the pivot (px, py, pz)
// by the same turn; descendants turn their orientations likewise. The
// object's own position does not change.
void rotateSubtreeAboutPivot(SceneObject& object, float ax, float ay, float az,
                             float px, float py, float pz);

// rotateSubtreeAboutPivot about the object's own position: the object and its
// descendants turn as one rigid body about the object's origin.
void rotateObjectWorld(SceneObject& object, float ax, float ay, float az);
