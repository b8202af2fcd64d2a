#include "platform/sdl/sdl_quad_batch.h"

namespace sdl {

bool QuadBatch::add(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_FPoint (&corners)[4],
                    const SDL_FRect& source, SDL_Color colour) {
    bool sent = true;
    if (texture != queuedTexture) {
        sent = flush(renderer);
        queuedTexture = texture;
    }
    float right = source.x + source.w;
    float bottom = source.y + source.h;
    vertices.push_back(SDL_Vertex{corners[0], colour, SDL_FPoint{source.x, source.y}});
    vertices.push_back(SDL_Vertex{corners[1], colour, SDL_FPoint{right, source.y}});
    vertices.push_back(SDL_Vertex{corners[2], colour, SDL_FPoint{right, bottom}});
    vertices.push_back(SDL_Vertex{corners[3], colour, SDL_FPoint{source.x, bottom}});
    return sent;
}

bool QuadBatch::flush(SDL_Renderer* renderer) {
    if (vertices.empty()) {
        queuedTexture = nullptr;
        return true;
    }
    if (gl != nullptr && gl->draw(renderer, queuedTexture, vertices)) {
        clear();
        return true;
    }
    size_t quads = vertices.size() / 4;
    for (size_t quad = indices.size() / 6; quad < quads; ++quad) {
        int first = static_cast<int>(quad * 4);
        indices.insert(indices.end(), {first, first + 1, first + 2, first, first + 2, first + 3});
    }
    bool sent = SDL_RenderGeometry(renderer, queuedTexture, vertices.data(),
                                   static_cast<int>(vertices.size()), indices.data(),
                                   static_cast<int>(quads * 6)) == 0;
    clear();
    return sent;
}

void QuadBatch::drop() {
    clear();
    gl.reset();
}

void QuadBatch::clear() {
    vertices.clear();
    queuedTexture = nullptr;
}

}  // namespace sdl
