// One fixed update step of the demonstration's animation.
#include "app/animation.h"

#include "geometry/transforms.h"
#include "scene/scene.h"

namespace {

// Per update step. The camera flies a loop of one turn every 900 steps, each
// object one of its own every 120 steps.
constexpr float kCameraTurn = 0.4f;     // degrees about the world x axis
constexpr float kCameraAdvance = 16.0f; // units along the viewing direction
constexpr float kObjectAdvance = 11.0f; // units along the object's own z axis
constexpr float kObjectTurn = 3.0f;     // degrees about the object's own x axis

} // namespace

void advanceAnimation(Scene& scene, SceneObject& camera)
{
    rotateObjectWorld(camera, kCameraTurn, 0.0f, 0.0f);
    moveObjectAlongAxes(camera, 0.0f, 0.0f, kCameraAdvance);
    for (SceneObject* object = scene.objects; object; object = object->next) {
        moveObjectAlongAxes(*object, 0.0f, 0.0f, kObjectAdvance);
        rotateObjectLocal(*object, kObjectTurn, 0.0f, 0.0f);
    }
}
