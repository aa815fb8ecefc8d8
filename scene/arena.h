// The storage that a scene's records come from.
#pragma once

#include "runtime/arena.h"

// One arena per kind of record, so the records of one list lie together:
// an object's vertices one after another, its faces likewise, the scene's
// objects likewise. Everything goes when the scene that owns it goes.
class RecordArena {
public:
    Arena objects{"scene objects"};
    Arena vertices{"vertices"};
    Arena faces{"faces"};
    Arena links{"child links"};
    Arena textures{"textures"};
};
