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
    RecordArena* storage;   // where this object's vertices, faces and links come from
};

struct Scene {
    SceneObject* objects;     // newest first
    std::int32_t objectCount; // objects added with addObject
    SceneObject* lights;      // newest first; the renderer lights with the head
    std::unique_ptr<RecordArena> storage; // owns every record of the scene

    Scene();
    ~Scene();
};

std::unique_ptr<Scene> createScene();
std::unique_ptr<SceneObject> createCamera();
SceneObject* addLight(Scene& scene);
SceneObject* addObject(Scene& scene);
void attachChild(SceneObject& parent, SceneObject& child);
Vertex* addVertex(SceneObject& object, float x, float y, float z, float u, float v);
Face* addFace(SceneObject& object, Vertex* a, Vertex* b, Vertex* c, Texture* texture);
