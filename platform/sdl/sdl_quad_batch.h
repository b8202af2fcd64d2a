// Textured quads on their way to an SDL renderer: queued as four corners each and sent as
// indexed triangles, one SDL_RenderGeometry call for each run of quads of one texture, so a
// frame of sprites costs the renderer a few calls rather than several per sprite. Behind SDL's
// OpenGL renderer the quads go to OpenGL directly instead (see sdl_gl_quads.h).
#pragma once

#include <SDL.h>

#include <memory>
#include <vector>

#include "platform/sdl/sdl_gl_quads.h"

namespace sdl {

class QuadBatch {
public:
    // Sends quads to `renderer` from now on, through its OpenGL when that can draw them; to be
    // called just after the renderer is made, while its context is current.
    void useRenderer(SDL_Renderer* renderer) { gl = GlQuads::create(renderer); }

    // Queues a quad of `texture` modulated by `colour`: `corners` are where the source's
    // top-left, top-right, bottom-right and bottom-left land, `source` the part of the texture
    // in texture coordinates (0 to 1). Quads of another texture queued before are sent first.
    // False when the renderer refused those.
    bool add(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_FPoint (&corners)[4],
             const SDL_FRect& source, SDL_Color colour);

    // Sends the queued quads, drawn with the texture's blend mode as it is now; false when the
    // renderer refused them. Nothing stays queued either way.
    bool flush(SDL_Renderer* renderer);

    // Forgets the queued quads unsent, and what was made in the renderer's OpenGL context, for
    // when the renderer goes.
    void drop();

    // Whether quads of `texture` wait to be sent: they must go before the texture changes.
    bool holds(const SDL_Texture* texture) const { return texture == queuedTexture; }

private:
    void clear();

    std::unique_ptr<GlQuads> gl;           // null where SDL_RenderGeometry draws the quads
    SDL_Texture* queuedTexture = nullptr;  // null while nothing is queued
    std::vector<SDL_Vertex> vertices;
    // 0 1 2 0 2 3 for the first quad, then the same 4 further on for each next one; built once
    // for the most quads sent so far.
    std::vector<int> indices;
};

}  // namespace sdl
