// The scene records and their constructors.
#pragma once

#include <cstdint>
#include <memory>

struct Texture;
struct SceneObject;
class RecordArena;

struct Vec3 {
    float x, y, z;
};

struct Vertex {
    float x, y, z;  // position in the object's local coordinates
    Vec3 view;      // position in camera coordinates, written by the renderer each frame
    Vec3 normal;    // unit normal in local coordinates
    float u, v;     // texture coordinates, 0..1 across the texture
    float shade;    // light falling on the vertex, 256 = full light
    Vertex* next;
};

struct Face {
    Vertex* corner1; // the corner order decides which side faces the viewer
    Vertex* corner2;
    Vertex* corner3;
    Texture* texture; // top level of the face's mip chain
    float texelArea;  // twice the triangle's area in texels of the top level
    Vec3 normal;      // unit face normal in local coordinates
    Face* next;
};

struct ChildLink {
    ChildLink* next;
    SceneObject* child; // not owned
};

struct SceneObject {
    Vertex* vertices;
    Face* faces;
    Vec3 position;          // origin in world coordinates
    float orientation[3][3]; // row by row; its columns are the object's own axes in the world
    Vec3 scale;             // applied to local coordinates before the orientation
    float radius;           // bounding radius in unscaled local units
    std::int32_t hidden;    // non-zero: the renderer skips the object
    ChildLink* children;
    SceneObject* next;      // next object of the scene's object list or light list
    RecordArena* storage;   // where its vertices, faces and links come from; none outside a scene
};

struct Scene {
    SceneObject* objects;     // newest first
    std::int32_t objectCount; // objects added with addObject
    SceneObject* lights;      // newest first; the renderer lights with the head
    std::unique_ptr<RecordArena> storage; // owns every record of the scene

    Scene();
    ~Scene();
};

// Every record below is created with every field zero except an object's
// orientation (the identity) and scale (1, 1, 1), and is pushed at the head
// of its list, so every list runs newest first.
//
// Ownership: a scene owns all its records, and the records of the objects in
// its lists, through its `storage`; dropping the scene frees them all at
// once, and nothing is freed before. A record never moves. An object outside
// any scene (the camera, or a test's own record) takes its vertices, faces
// and links from an arena of the program's that lives until the program ends.

// An empty scene: no objects, no lights, objectCount 0.
std::unique_ptr<Scene> createScene();

// An object in no list, at the origin, looking along +z.
std::unique_ptr<SceneObject> createCamera();

// A new light at the head of the scene's light list; objectCount unchanged.
SceneObject* addLight(Scene& scene);

// Counts the object, then pushes a new one at the head of the object list.
SceneObject* addObject(Scene& scene);

// Makes `child` the parent's only child: the link that was there before is
// dropped from the list. The child is not owned through the link.
void attachChild(SceneObject& parent, SceneObject& child);

// A new vertex at (x, y, z) with texture coordinates (u, v); its shade is one
// random draw scaled to [0, 256).
Vertex* addVertex(SceneObject& object, float x, float y, float z, float u, float v);

// A new face with corners a, b, c (in this order) painted with `texture`;
// texelArea is twice its area in texels of the texture's top level.
Face* addFace(SceneObject& object, Vertex* a, Vertex* b, Vertex* c, Texture* texture);

// A texture owned by the scene: it and the levels that buildMipChain builds
// below it live as long as the scene.
Texture* addTexture(Scene& scene, std::int32_t width, std::int32_t height, std::uint32_t fill);
