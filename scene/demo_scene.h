// The demonstration scene: three textures, one light and 2000 cubes.
#pragma once

#include <memory>

struct Scene;

// Builds the whole demonstration world from the program's random generator,
// in a fixed order of draws, so every run builds the same scene.
std::unique_ptr<Scene> buildDemoScene();
