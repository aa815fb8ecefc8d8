// One fixed update step of the demonstration's animation.
#pragma once

struct Scene;
struct SceneObject;

// The camera pitches 0.4 degrees about the world x axis through its position
// and advances 16 units along its viewing direction; then every object of the
// scene, in list order, advances 11 units along its own z axis (carrying its
// descendants) and turns 3 degrees about its own x axis. Lights stay put.
// The frame loop runs it once per update step; headless tools run the same.
void advanceAnimation(Scene& scene, SceneObject& camera);
