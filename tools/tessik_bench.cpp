// tessik-bench: frames of the demonstration drawn without a display, saved
// as pictures, counted, fingerprinted and timed.
//
//   tessik-bench --shot STEP FILE       the frame after STEP update steps, as PNG or PPM
//   tessik-bench --stats STEP           that frame's counters and hash
//   tessik-bench --frames N [--steps-per-frame K] [--json]
//                                       times N frames of the animation
//
// Each command also takes --size WxH (buffers of another size than the
// demo's 640x480; the focal length follows the width), --isa NAME (the
// pixel loop: scalar or an instruction set's, as --help lists them; by
// default the fastest the CPU has) and
// --threads N (threads that draw and clear each frame; by default one per
// core, as in the demo; 1 draws on the main thread alone).
#include "app/animation.h"
#include "app/demo_settings.h"
#include "display/converters.h"
#include "render/pixel_buffer.h"
#include "render/render_pass.h"
#include "render/render_stats.h"
#include "render/span_paths.h"
#include "runtime/floating_point.h"
#include "runtime/program.h"
#include "runtime/random.h"
#include "runtime/terminal.h"
#include "runtime/thread_team.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"
#include "tools/frame_hash.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: tessik-bench --shot STEP FILE.png|FILE.ppm [OPTIONS]\n"
                               "       tessik-bench --stats STEP [OPTIONS]\n"
                               "       tessik-bench --frames N [--steps-per-frame K] [--json] [OPTIONS]\n"
                               "options: --size WxH (1 to 16384 each)  --isa NAME  --threads N (1 to 256)\n";

constexpr int kUsageStatus = 2;

// The usage, with the pixel loops this build has.
void printUsage(std::FILE* to)
{
    std::fputs(kUsage, to);
    std::fputs("pixel loops (--isa):", to);
    for (const SpanPath& path : spanPaths())
        std::fprintf(to, " %s%s", path.name, path.available() ? "" : " (not on this CPU)");
    std::fputs("\n", to);
}

[[noreturn]] void badArguments(const char* why)
{
    std::fprintf(stderr, "tessik-bench: %s\n", why);
    printUsage(stderr);
    std::exit(kUsageStatus);
}

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "tessik-bench: %s\n", what.c_str());
    std::exit(EXIT_FAILURE);
}

// A whole number from 0 to max written in decimal digits only.
std::int64_t parseCount(const char* text, std::int64_t max, const char* what)
{
    std::int64_t value = 0;
    if (!*text)
        badArguments(what);
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            badArguments(what);
        value = value * 10 + (*p - '0');
        if (value > max)
            badArguments(what);
    }
    return value;
}

// Options that every command takes.
struct Options {
    std::int32_t width = kFrameWidth, height = kFrameHeight;
    const SpanPath* path = &fastestSpanPath();
    int threads = demoThreadCount(); // as many as the demo draws with
};

constexpr std::int64_t kMaxSide = 16384;
constexpr std::int64_t kMaxThreads = 256;

// The demonstration as its frame loop holds it: the scene just built from
// the generator's first draw, a new camera, and both buffers.
struct Demo {
    std::unique_ptr<Scene> scene;
    std::unique_ptr<SceneObject> camera;
    std::unique_ptr<PixelBuffer> depth;
    std::unique_ptr<PixelBuffer> colour;
    std::unique_ptr<ThreadTeam> team; // draws and clears the frames; of one thread, the caller alone
};

Demo startDemo(const Options& options)
{
    Demo demo;
    demo.depth = createPixelBuffer(options.width, options.height, nullptr);
    demo.colour = createPixelBuffer(options.width, options.height, demo.depth.get());
    restartRandom();
    demo.scene = buildDemoScene();
    demo.camera = createCamera();
    demo.team = std::make_unique<ThreadTeam>(options.threads);
    return demo;
}

void advance(Demo& demo, std::int64_t steps)
{
    for (std::int64_t i = 0; i < steps; ++i)
        advanceAnimation(*demo.scene, *demo.camera);
}

// The frame after `steps` update steps, drawn into the new, clear buffers.
Demo drawFrameAfter(std::int64_t steps, const Options& options, RenderStats* stats = nullptr)
{
    Demo demo = startDemo(options);
    advance(demo, steps);
    renderScene(*demo.scene, *demo.camera, *demo.colour, *demo.team, stats);
    return demo;
}

// The frame's pixels as bytes red, green, blue, row by row.
std::vector<std::uint8_t> rgbBytes(const PixelBuffer& colour)
{
    std::size_t count = static_cast<std::size_t>(colour.width) * colour.height;
    std::vector<std::uint8_t> bytes(3 * count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[3 * i] = colour.cells[i] >> 16 & 0xFF;
        bytes[3 * i + 1] = colour.cells[i] >> 8 & 0xFF;
        bytes[3 * i + 2] = colour.cells[i] & 0xFF;
    }
    return bytes;
}

void writePng(const PixelBuffer& colour, const char* path)
{
    std::vector<std::uint8_t> bytes = rgbBytes(colour);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(colour.width);
    image.height = static_cast<png_uint_32>(colour.height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path, 0, bytes.data(), 3 * colour.width, nullptr))
        fail(std::string("cannot write ") + path + ": " + image.message);
}

void writePpm(const PixelBuffer& colour, const char* path)
{
    std::vector<std::uint8_t> bytes = rgbBytes(colour);
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        fail(std::string("cannot write ") + path + ": " + std::strerror(errno));
    bool written = std::fprintf(file, "P6\n%d %d\n255\n", colour.width, colour.height) > 0 &&
                   std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written)
        fail(std::string("cannot write ") + path);
}

bool endsWith(std::string_view text, std::string_view end)
{
    if (text.size() < end.size())
        return false;
    return std::equal(end.rbegin(), end.rend(), text.rbegin(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

int shot(std::int64_t step, const char* path, const Options& options)
{
    bool png = endsWith(path, ".png");
    if (!png && !endsWith(path, ".ppm"))
        badArguments("the picture's name must end in .png or .ppm");
    Demo demo = drawFrameAfter(step, options);
    if (png)
        writePng(*demo.colour, path);
    else
        writePpm(*demo.colour, path);
    return 0;
}

int stats(std::int64_t step, const Options& options)
{
    RenderStats counts;
    Demo demo = drawFrameAfter(step, options, &counts);
    std::printf("step: %lld\n", static_cast<long long>(step));
    std::printf("objects visible: %lld\n", static_cast<long long>(counts.objectsVisible));
    std::printf("faces set up: %lld\n", static_cast<long long>(counts.facesSetUp));
    std::printf("faces rasterized: %lld\n", static_cast<long long>(counts.facesRasterized));
    std::printf("pixels drawn: %lld\n", static_cast<long long>(counts.pixelsDrawn));
    std::printf("hash: %016llx\n", static_cast<unsigned long long>(frameHash(*demo.colour)));
    return 0;
}

// Median, smallest and largest of a series of milliseconds.
struct Summary {
    double median, min, max;
};

Summary summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::size_t n = ms.size();
    double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    return {median, ms.front(), ms.back()};
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Times each stage of N frames as the frame loop runs them: the render
// pass, the conversion of every row into a 32-bit display layout, and the
// clear. Update steps between frames are not timed.
int frames(std::int64_t count, std::int64_t stepsPerFrame, bool json, const Options& options)
{
    Demo demo = startDemo(options);
    const PixelBuffer& colour = *demo.colour;
    std::vector<std::uint32_t> display(static_cast<std::size_t>(colour.width) * colour.height);
    const RowConverter convertRow = chooseRowConverter(32, 0xFF0000, 0xFF00, 0xFF); // as the demo's display
    std::vector<double> render, convert, clear, frame;
    for (auto* series : {&render, &convert, &clear, &frame})
        series->reserve(static_cast<std::size_t>(count));
    const bool progress = standardErrorIsTerminal();

    for (std::int64_t i = 0; i < count; ++i) {
        if (i > 0)
            advance(demo, stepsPerFrame);

        auto start = std::chrono::steady_clock::now();
        renderScene(*demo.scene, *demo.camera, *demo.colour, *demo.team);
        render.push_back(millisecondsSince(start));

        start = std::chrono::steady_clock::now();
        for (std::int32_t y = 0; y < colour.height; ++y) {
            std::size_t row = static_cast<std::size_t>(y) * colour.width;
            convertRow(colour.cells + row, display.data() + row, colour.width);
        }
        convert.push_back(millisecondsSince(start));

        start = std::chrono::steady_clock::now();
        clearFrame(*demo.colour, *demo.team);
        clear.push_back(millisecondsSince(start));

        frame.push_back(render.back() + convert.back() + clear.back());
        if (progress && (i % 20 == 0 || i + 1 == count))
            std::fprintf(stderr, "\rtessik-bench: frame %lld of %lld", static_cast<long long>(i + 1),
                         static_cast<long long>(count));
    }
    if (progress)
        std::fprintf(stderr, "\n");

    Summary r = summarise(render), v = summarise(convert), c = summarise(clear), f = summarise(frame);
    double fps = f.median > 0 ? 1000.0 / f.median : 0.0;
    if (json) {
        std::printf("{\"frames\": %lld, \"steps_per_frame\": %lld, \"width\": %d, \"height\": %d, \"isa\": \"%s\", \"threads\": %d, ",
                    static_cast<long long>(count), static_cast<long long>(stepsPerFrame), colour.width, colour.height,
                    currentSpanPath().name, teamSize(*demo.team));
        for (auto [name, s] : {std::pair{"render", r}, {"convert", v}, {"clear", c}, {"frame", f}})
            std::printf("\"%s_ms_median\": %.4f, \"%s_ms_min\": %.4f, \"%s_ms_max\": %.4f, ", name, s.median, name,
                        s.min, name, s.max);
        std::printf("\"fps\": %.1f}\n", fps);
        return 0;
    }
    std::printf("%lld frames of %dx%d, %lld update steps between frames, %s pixel loop, %d threads\n",
                static_cast<long long>(count), colour.width, colour.height, static_cast<long long>(stepsPerFrame),
                currentSpanPath().name, teamSize(*demo.team));
    std::printf("%-8s %10s %10s %10s\n", "ms", "median", "min", "max");
    for (auto [name, s] : {std::pair{"render", r}, {"convert", v}, {"clear", c}, {"frame", f}})
        std::printf("%-8s %10.3f %10.3f %10.3f\n", name, s.median, s.min, s.max);
    std::printf("fps (median frame): %.1f\n", fps);
    return 0;
}

// WxH, each side from 1 to 16384.
void parseSize(const char* text, Options& options)
{
    const char* x = std::strchr(text, 'x');
    if (!x)
        badArguments("SIZE must be WIDTHxHEIGHT");
    std::string width(text, x);
    options.width = static_cast<std::int32_t>(parseCount(width.c_str(), kMaxSide, "WIDTH must be 1 to 16384"));
    options.height = static_cast<std::int32_t>(parseCount(x + 1, kMaxSide, "HEIGHT must be 1 to 16384"));
    if (options.width < 1 || options.height < 1)
        badArguments("WIDTH and HEIGHT must be at least 1");
}

const SpanPath* parsePath(std::string_view name)
{
    const SpanPath* path = findSpanPath(name);
    if (!path)
        badArguments("ISA must name one of the pixel loops below");
    if (!path->available())
        badArguments("this CPU cannot run that pixel loop");
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    initFloatingPoint();
    reportFailedAllocations();

    constexpr std::int64_t kMaxCount = std::numeric_limits<std::int32_t>::max();
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        printUsage(stdout);
        return 0;
    }
    if (args.empty())
        badArguments("no command");

    // The command and its own arguments, then the options.
    const std::string_view command = args[0];
    std::size_t first = command == "--shot" ? 3 : command == "--stats" || command == "--frames" ? 2 : 0;
    if (first == 0 || args.size() < first)
        badArguments("unknown command or wrong number of arguments");
    Options options;
    std::int64_t stepsPerFrame = 1;
    bool json = false, stepsGiven = false, sizeGiven = false, pathGiven = false, threadsGiven = false;
    for (std::size_t i = first; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (command == "--frames" && args[i] == "--json" && !json) {
            json = true;
        } else if (command == "--frames" && args[i] == "--steps-per-frame" && !stepsGiven && hasValue) {
            stepsPerFrame = parseCount(argv[++i + 1], kMaxCount, "K must be a whole number");
            stepsGiven = true;
        } else if (args[i] == "--size" && !sizeGiven && hasValue) {
            parseSize(argv[++i + 1], options);
            sizeGiven = true;
        } else if (args[i] == "--threads" && !threadsGiven && hasValue) {
            options.threads = static_cast<int>(parseCount(argv[++i + 1], kMaxThreads, "THREADS must be 1 to 256"));
            if (options.threads < 1)
                badArguments("THREADS must be 1 to 256");
            threadsGiven = true;
        } else if (args[i] == "--isa" && !pathGiven && hasValue) {
            options.path = parsePath(args[++i]);
            pathGiven = true;
        } else {
            badArguments("unexpected argument");
        }
    }
    useSpanPath(*options.path);

    if (command == "--shot")
        return shot(parseCount(argv[2], kMaxCount, "STEP must be a whole number"), argv[3], options);
    if (command == "--stats")
        return stats(parseCount(argv[2], kMaxCount, "STEP must be a whole number"), options);
    std::int64_t count = parseCount(argv[2], kMaxCount, "N must be a whole number");
    if (count < 1)
        badArguments("N must be at least 1");
    return frames(count, stepsPerFrame, json, options);
}
