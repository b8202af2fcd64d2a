// Which of SDL's render drivers a device gets. SDL calls every OpenGL renderer accelerated, also
// one whose OpenGL rasterises on the CPU, as Mesa's llvmpipe does on a machine without a GPU or
// its driver; there SDL's own software renderer draws a frame of sprites several times faster,
// so the driver finds out once, from the name the OpenGL context gives its renderer, and picks
// the software renderer then. SDL_RENDER_DRIVER still decides whenever it is set.
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/sdl/sdl_direct3d.h"

namespace {

// How the CPU rasterisers behind OpenGL name themselves in GL_RENDERER, in lower case.
constexpr const char* kCpuRasterisers[] = {"llvmpipe",    "softpipe",    "software rasterizer",
                                           "swiftshader", "gdi generic", "apple software"};

bool rasterisesOnCpu(std::string glRenderer) {
    std::transform(glRenderer.begin(), glRenderer.end(), glRenderer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::any_of(
        std::begin(kCpuRasterisers), std::end(kCpuRasterisers),
        [&glRenderer](const char* name) { return glRenderer.find(name) != std::string::npos; });
}

// The renderer string of the OpenGL context current on this thread; empty without one.
std::string currentGlRenderer() {
    using GetString = const GLubyte*(APIENTRY*)(GLenum);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (SDL_GL_GetCurrentContext() == nullptr || getString == nullptr) {
        return "";
    }
    const GLubyte* name = getString(GL_RENDERER);
    return name != nullptr ? reinterpret_cast<const char*>(name) : "";
}

// The first render driver SDL lists whose name is `name` (any, for null).
bool renderDriver(const char* name, SDL_RendererInfo& info) {
    int count = SDL_GetNumRenderDrivers();
    for (int index = 0; index < count; ++index) {
        if (SDL_GetRenderDriverInfo(index, &info) == 0 &&
            (name == nullptr || SDL_strcasecmp(name, info.name) == 0)) {
            return true;
        }
    }
    return false;
}

// A window of one pixel that no one sees, for a probe of its own.
SDL_Window* hiddenWindow(Uint32 flags) {
    return SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                            SDL_WINDOW_HIDDEN | flags);
}

// The renderer string of a bare OpenGL context on a hidden window of its own; empty when none
// can be made.
std::string bareContextRenderer() {
    SDL_Window* probe = hiddenWindow(SDL_WINDOW_OPENGL);
    if (probe == nullptr) {
        return "";
    }
    std::string name;
    if (SDL_GLContext context = SDL_GL_CreateContext(probe)) {
        name = currentGlRenderer();
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(probe);
    return name;
}

// Whether SDL's first accelerated renderer is one the software renderer outdraws: none can be
// made, or its OpenGL rasterises on the CPU. Found on a hidden window of its own, so the device
// window is never made anew for a renderer it will not keep. Where SDL's first driver draws
// with OpenGL, a bare context of the same OpenGL tells, which is quicker to make than the
// renderer: that would also build its shaders, a long wait on a CPU rasteriser, for nothing.
bool acceleratedRendererIsSlow() {
    SDL_RendererInfo first;
    if (renderDriver(nullptr, first) && SDL_strncmp(first.name, "opengl", 6) == 0) {
        const std::string name = bareContextRenderer();
        if (!name.empty()) {
            return rasterisesOnCpu(name);
        }
    }
    SDL_Window* probe = hiddenWindow(0);
    if (probe == nullptr) {
        return false;  // nothing learnt: SDL's own order stands
    }
    SDL_Renderer* renderer = SDL_CreateRenderer(probe, -1, SDL_RENDERER_ACCELERATED);
    bool slow = renderer == nullptr || rasterisesOnCpu(currentGlRenderer());
    if (renderer != nullptr) {
        SDL_DestroyRenderer(renderer);
    }
    SDL_DestroyWindow(probe);
    return slow;
}

// In a browser every window is the page's one canvas, and what draws WebGL is the browser's
// business: SDL's order stands there.
bool mayProbe() {
    const char* videoDriver = SDL_GetCurrentVideoDriver();
    return videoDriver != nullptr && SDL_strcmp(videoDriver, "emscripten") != 0;
}

}  // namespace

namespace sdl {

bool chosenRenderDriver(SDL_RendererInfo& info) {
    const char* wanted = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (wanted != nullptr && *wanted != '\0') {
        return renderDriver(wanted, info);
    }
    static const bool acceleratedIsSlow = mayProbe() && acceleratedRendererIsSlow();
    if (!acceleratedIsSlow) {
        return renderDriver(nullptr, info);
    }
    // Nor should the window's pixels reach the screen through that OpenGL, as SDL would have
    // them when it can (the hint is SDL's default only: the environment and the host still
    // decide).
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    return renderDriver("software", info);
}

}  // namespace sdl
