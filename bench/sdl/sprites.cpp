// Sprites through the graphics layer against the same sprites drawn with SDL directly, in one
// run on the software renderer, headless, unless a display driver or renderer is asked for
// (SDL_RENDER_DRIVER set empty: the one the driver chooses). Also times the game's own frame:
// an 800 x 600 backdrop and 512 tinted 32 x 32 pieces.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "platform/sdl/sdl_state.h"

namespace {

constexpr int kSprites = 2000;
constexpr int kPieces = 512;

struct Scene {
    std::unique_ptr<Texture> piece;
    std::unique_ptr<Texture> backdrop;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* plainPiece = nullptr;  // the same image, for drawing with SDL directly
    std::vector<SDL_Rect> places;
    std::string rendererName;  // the one the driver chose
};

Scene* scene = nullptr;

// A 32 x 32 piece with see-through corners, or a striped backdrop.
std::string writeImage(const std::filesystem::path& folder, const char* name, int width, int height,
                       bool piece) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool corner = (x < 4 || x >= width - 4) && (y < 4 || y >= height - 4);
            uint32_t shade = static_cast<uint32_t>(x + y);
            uint32_t stripe = static_cast<uint32_t>((y / 20) % 2) * 0x101010u;
            uint32_t colour =
                piece ? (corner ? 0u : 0xFFE0E0E0u - shade * 0x10101u / 4) : 0xFF203040u + stripe;
            static_cast<uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x] = colour;
        }
    }
    std::string path = (folder / name).string();
    IMG_SavePNG(surface, path.c_str());
    SDL_FreeSurface(surface);
    return path;
}

void buildScene(const std::filesystem::path& folder) {
    if (!Graphics::init("MainGameClass", "Sprite benchmark", "")) {
        std::fprintf(stderr, "no display\n");
        std::exit(1);
    }
    ScreenFormat desktop = Graphics::getDesktopFormat();
    Graphics::setScreenFormat(ScreenFormat(800, 600, platform::D3DFMT_X8R8G8B8, desktop.refreshRate,
                                           ScreenFormat::WINDOWED));
    scene = new Scene;
    std::string piecePath = writeImage(folder, "piece.png", 32, 32, true);
    scene->piece.reset(Graphics::loadTexture(piecePath));
    scene->backdrop.reset(
        Graphics::loadTexture(writeImage(folder, "backdrop.png", 800, 600, false)));
    scene->renderer = SDL_GetRenderer(sdl::nativeWindow(Graphics::getWindow()));
    SDL_RendererInfo info;
    scene->rendererName = SDL_GetRendererInfo(scene->renderer, &info) == 0 ? info.name : "?";
    SDL_Surface* image = IMG_Load(piecePath.c_str());
    scene->plainPiece = SDL_CreateTextureFromSurface(scene->renderer, image);
    SDL_FreeSurface(image);
    SDL_SetTextureBlendMode(scene->plainPiece, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(scene->plainPiece, SDL_ScaleModeNearest);
    uint32_t seed = 12345;
    for (int i = 0; i < kSprites; ++i) {
        seed = seed * 1664525u + 1013904223u;
        scene->places.push_back(
            SDL_Rect{static_cast<int>(seed % 768), static_cast<int>((seed >> 12) % 568), 32, 32});
    }
}

void tearDownScene() {
    SDL_DestroyTexture(scene->plainPiece);
    scene->piece.reset();
    scene->backdrop.reset();
    Graphics::shutdown();
    delete scene;
}

void spriteLayer(benchmark::State& state) {
    for (auto _ : state) {
        Graphics::beginFrame();
        for (const SDL_Rect& place : scene->places) {
            Graphics::drawSprite(scene->piece.get(), place.x, place.y, 32, 32, 0, 0, 32, 32,
                                 0xFFFFFFFF, 0, 0, 0);
        }
        Graphics::endFrame();
    }
}
BENCHMARK(spriteLayer)->Unit(benchmark::kMillisecond);

void plainSdl(benchmark::State& state) {
    SDL_Rect source{0, 0, 32, 32};
    for (auto _ : state) {
        SDL_SetRenderDrawColor(scene->renderer, 0, 0, 0, 0);
        SDL_RenderClear(scene->renderer);
        for (const SDL_Rect& place : scene->places) {
            SDL_SetTextureColorMod(scene->plainPiece, 0xFF, 0xFF, 0xFF);
            SDL_SetTextureAlphaMod(scene->plainPiece, 0xFF);
            SDL_RenderCopy(scene->renderer, scene->plainPiece, &source, &place);
        }
        SDL_RenderPresent(scene->renderer);
    }
}
BENCHMARK(plainSdl)->Unit(benchmark::kMillisecond);

// The game's frame: the backdrop, then 16 columns of tinted pieces.
void gameFrame(benchmark::State& state) {
    for (auto _ : state) {
        Graphics::beginFrame();
        Graphics::drawSprite(scene->backdrop.get(), 0, 0, 800, 600, 0, 0, 800, 600, 0xFFFFFFFF, 0,
                             0, 0);
        for (int i = 0; i < kPieces; ++i) {
            uint32_t tint = 0xFF80C0FFu - static_cast<uint32_t>(i % 4) * 0x200000u;
            Graphics::drawSprite(scene->piece.get(), 144 + (i % 16) * 32, (i / 16) * 32 % 512, 32,
                                 32, 0, 0, 32, 32, tint, 0, 0, 0);
        }
        Graphics::endFrame();
    }
}
BENCHMARK(gameFrame)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's processor time per iteration for the summary. Processor time, not
// wall time: the work is single-threaded, and on a shared machine the wall clock also counts
// other programs' turns. Plain text without colour codes, so the RATIO line starts a line.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            milliseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
    }
    std::map<std::string, double> milliseconds;
};

}  // namespace

int main(int argc, char** argv) {
    // Headless and on the software renderer unless told otherwise; never wait for a refresh.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    benchmark::Initialize(&argc, argv);

    auto folder = std::filesystem::temp_directory_path() / "tumblix-bench-sprites";
    std::filesystem::create_directories(folder);
    buildScene(folder);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::string renderer = scene->rendererName;
    tearDownScene();
    std::filesystem::remove_all(folder);

    std::printf("renderer: %s\n", renderer.c_str());
    std::printf("game frame (800 x 600 backdrop and %d tinted pieces): %.3f ms of CPU\n", kPieces,
                reporter.milliseconds["gameFrame"]);
    std::printf("RATIO sprite_layer_vs_sdl %.3f\n",
                reporter.milliseconds["spriteLayer"] / reporter.milliseconds["plainSdl"]);
    return 0;
}
