// Face normals, vertex normals and the bounding radius of a mesh.
#pragma once

struct SceneObject;

// Everything is in the object's local, unscaled coordinates, so it stays valid
// however the object moves. A vector of length zero (the cross product of
// collinear corners, or the normal sum of a vertex that no face uses or whose
// faces cancel) gives the zero normal rather than a NaN.

// The unit normal of every face, (corner2 - corner1) x (corner3 - corner1)
// normalised: it points to the side from which the corners run
// counter-clockwise.
void computeFaceNormals(SceneObject& object);

// The radius (largest distance of a vertex from the local origin, 0 without
// vertices) and every vertex normal: the normalised sum of the normals of
// the faces that use the vertex, once per use. Needs the face normals.
void computeVertexNormalsAndRadius(SceneObject& object);

// computeFaceNormals, then computeVertexNormalsAndRadius.
void computeNormals(SceneObject& object);
