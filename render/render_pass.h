// The frame render pass: object visibility, view transform and vertex light.
#pragma once

struct PixelBuffer;
struct RenderStats;
struct Scene;
struct SceneObject;
struct ThreadTeam;

// Draws the scene as the camera sees it into the colour buffer and its depth
// buffer, which the caller has cleared. Objects whose bounding spheres lie
// wholly outside the view are skipped; every vertex of the others gets its
// view position and its light from the scene's first light, and every face
// goes to face set-up, objects and faces in list order. Draws nothing when
// the scene has no light. Allocates only when the scene or the frame's
// triangles have grown beyond what earlier calls needed. Adds to stats when
// given. This one runs on the calling thread alone.
void renderScene(Scene& scene, const SceneObject& camera, PixelBuffer& colour, RenderStats* stats = nullptr);

// The same frame, pixel for pixel, drawn by every thread of the team: the
// calling thread tests the objects' visibility; then the threads take
// batches of visible objects in turn, transforming them and setting up
// their faces, and once all are set up, each draws every triangle on its
// own rows (render/row_set.h). Returns when the frame is complete.
void renderScene(Scene& scene, const SceneObject& camera, PixelBuffer& colour, ThreadTeam& team,
                 RenderStats* stats = nullptr);
