// The frame render pass: object visibility, view transform and vertex light.
#pragma once

struct PixelBuffer;
struct RenderStats;
struct Scene;
struct SceneObject;

// Draws the scene as the camera sees it into the colour buffer and its depth
// buffer, which the caller has cleared. Objects whose bounding spheres lie
// wholly outside the view are skipped; every vertex of the others gets its
// view position and its light from the scene's first light, and every face
// goes to face set-up, objects and faces in list order. Draws nothing when
// the scene has no light. Allocates only when the scene has grown since the
// last call. Adds to stats when given.
void renderScene(Scene& scene, const SceneObject& camera, PixelBuffer& colour, RenderStats* stats = nullptr);
