// Quads drawn straight with the OpenGL behind SDL's "opengl" renderer: four vertices each from a
// buffer object and six indices from another, one glDrawElements a run. SDL 2.26's OpenGL
// renderer turns indexed geometry back into six vertices a quad and sends them from client
// memory every frame, and a GL that rasterises on the CPU spends most of a frame of sprites on
// that vertex work.
//
// SDL keeps its OpenGL state to itself, so every draw lets SDL set it first: SDL draws one
// zero-area triangle of the texture and runs its queue, which leaves the texture, its blend
// mode, the shader, the viewport and the projection set as SDL draws that texture. The draw
// then changes only what SDL sets anew before each of its own draws (the array pointers), the
// client arrays, which it leaves on or off as SDL left them, and the buffer bindings, which it
// puts back to none.
#pragma once

#include <SDL.h>

#include <memory>
#include <vector>

namespace sdl {

struct GlFunctions;

class GlQuads {
public:
    // The drawer for `renderer`, to be made just after it, while its OpenGL context is
    // current; null unless it is SDL's "opengl" renderer and its OpenGL has buffer objects.
    static std::unique_ptr<GlQuads> create(SDL_Renderer* renderer);

    // Deletes the buffers when their context is current, as it is until SDL destroys the
    // renderer; a context destroyed takes its buffers along anyway.
    ~GlQuads();

    GlQuads(const GlQuads&) = delete;
    GlQuads& operator=(const GlQuads&) = delete;

    // Draws `vertices`, a quad's four corners after another's, of `texture`, drawn with its
    // blend mode as it is now; the vertices may be rescaled in place. False, nothing drawn and
    // the vertices as they were, when OpenGL cannot: SDL_RenderGeometry must draw them then.
    bool draw(SDL_Renderer* renderer, SDL_Texture* texture, std::vector<SDL_Vertex>& vertices);

private:
    GlQuads(SDL_GLContext context, std::unique_ptr<GlFunctions> gl);

    // Makes the buffers, and the index buffer hold at least `quads` quads; false when OpenGL
    // refuses, after which the drawer is not used again.
    bool prepareBuffers(size_t quads);

    SDL_GLContext context;
    std::unique_ptr<GlFunctions> gl;
    bool broken = false;            // OpenGL refused buffers: SDL draws from then on
    unsigned int vertexBuffer = 0;  // 0 until the first draw
    unsigned int indexBuffer = 0;
    size_t indexedQuads = 0;  // quads the index buffer holds
};

}  // namespace sdl
