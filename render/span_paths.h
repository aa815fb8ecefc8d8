// The pixel loop's paths: the scalar reference and one vector loop per
// instruction set the build has, and the choice among them at run time.
#pragma once

#include "render/span.h"

#include <span>
#include <string_view>

// One way of drawing spans: a row of the table in span_paths.cpp.
struct SpanPath {
    const char* name;     // "scalar", or the instruction set's, as the frame tool's --isa takes it
    SpanLoop loop;        // one row's pixels
    RowLoop rows;         // a batch of rows: their spans' set-up, then their pixels
    bool (*available)();  // whether this CPU can run the loop
};

// Every path compiled into this build, whether the CPU can run it or not:
// the scalar reference first, then the vector loops, slowest to fastest.
std::span<const SpanPath> spanPaths();

// The reference path, spanPaths()[0]: always available.
const SpanPath& scalarSpanPath();
// The last available path of the table.
const SpanPath& fastestSpanPath();
// The path of that name, or null when the build has none.
const SpanPath* findSpanPath(std::string_view name);

// Makes the rasterizer use `path` (a row of the table) from now on, in
// every thread; returns false and changes nothing when the CPU cannot run
// it. Call it between frames, not while one is drawn.
bool useSpanPath(const SpanPath& path);
// The path in use, and its loops: the fastest until useSpanPath chooses another.
const SpanPath& currentSpanPath();
SpanLoop currentSpanLoop();
RowLoop currentRowLoop();
