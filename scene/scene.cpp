// The scene records and their constructors.
#include "scene/scene.h"

#include "runtime/floating_point.h"
#include "runtime/random.h"
#include "scene/arena.h"
#include "texture/texture.h"

#include <cmath>

namespace {

// Records of objects that belong to no scene.
RecordArena& looseRecords()
{
    static RecordArena arena;
    return arena;
}

RecordArena& storageOf(SceneObject& object)
{
    return object.storage ? *object.storage : looseRecords();
}

void setInitialValues(SceneObject& object)
{
    object.orientation[0][0] = 1.0f;
    object.orientation[1][1] = 1.0f;
    object.orientation[2][2] = 1.0f;
    object.scale = {1.0f, 1.0f, 1.0f};
}

SceneObject* pushObject(Scene& scene, SceneObject*& head)
{
    auto* object = newRecord<SceneObject>(scene.storage->objects);
    setInitialValues(*object);
    object->storage = scene.storage.get();
    object->next = head;
    head = object;
    return object;
}

} // namespace

Scene::Scene()
    : objects(nullptr), objectCount(0), lights(nullptr), storage(std::make_unique<RecordArena>())
{
}

Scene::~Scene() = default;

std::unique_ptr<Scene> createScene()
{
    return std::make_unique<Scene>();
}

std::unique_ptr<SceneObject> createCamera()
{
    auto camera = std::make_unique<SceneObject>();
    setInitialValues(*camera);
    return camera;
}

SceneObject* addLight(Scene& scene)
{
    return pushObject(scene, scene.lights);
}

SceneObject* addObject(Scene& scene)
{
    ++scene.objectCount;
    return pushObject(scene, scene.objects);
}

void attachChild(SceneObject& parent, SceneObject& child)
{
    auto* link = newRecord<ChildLink>(storageOf(parent).links);
    link->child = &child;
    parent.children = link;
}

Vertex* addVertex(SceneObject& object, float x, float y, float z, float u, float v)
{
    auto* vertex = newRecord<Vertex>(storageOf(object).vertices);
    vertex->x = x;
    vertex->y = y;
    vertex->z = z;
    vertex->u = u;
    vertex->v = v;
    vertex->shade = roundToFloat(randomFraction() * 256.0);
    vertex->next = object.vertices;
    object.vertices = vertex;
    return vertex;
}

Face* addFace(SceneObject& object, Vertex* a, Vertex* b, Vertex* c, Texture* texture)
{
    auto* face = newRecord<Face>(storageOf(object).faces);
    face->corner1 = a;
    face->corner2 = b;
    face->corner3 = c;
    face->texture = texture;
    face->next = object.faces;
    object.faces = face;

    // The cross product of the two edges from the first corner, in texels:
    // one product rounded to float, the other kept wide until the difference.
    double w = static_cast<float>(texture->width);
    double h = static_cast<float>(texture->height);
    float p = roundToFloat((double(b->u) - a->u) * w * (double(c->v) - a->v) * h);
    double q = (double(c->u) - a->u) * w * (double(b->v) - a->v) * h;
    face->texelArea = std::fabs(roundToFloat(p - q));
    return face;
}

Texture* addTexture(Scene& scene, std::int32_t width, std::int32_t height, std::uint32_t fill)
{
    return createTexture(scene.storage->textures, width, height, fill);
}
