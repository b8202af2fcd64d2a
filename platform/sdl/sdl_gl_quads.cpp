#include "platform/sdl/sdl_gl_quads.h"

#include <SDL_opengl.h>

#include <cstddef>
#include <cstdio>

namespace sdl {

// The OpenGL entry points the draw uses, as the renderer's context gives them.
struct GlFunctions {
    const GLubyte*(APIENTRY* getString)(GLenum);
    GLenum(APIENTRY* getError)();
    void(APIENTRY* genBuffers)(GLsizei, GLuint*);
    void(APIENTRY* deleteBuffers)(GLsizei, const GLuint*);
    void(APIENTRY* bindBuffer)(GLenum, GLuint);
    void(APIENTRY* bufferData)(GLenum, GLsizeiptr, const void*, GLenum);
    void(APIENTRY* vertexPointer)(GLint, GLenum, GLsizei, const void*);
    void(APIENTRY* colorPointer)(GLint, GLenum, GLsizei, const void*);
    void(APIENTRY* texCoordPointer)(GLint, GLenum, GLsizei, const void*);
    void(APIENTRY* drawElements)(GLenum, GLsizei, GLenum, const void*);
    GLboolean(APIENTRY* isEnabled)(GLenum);
    void(APIENTRY* enableClientState)(GLenum);
    void(APIENTRY* disableClientState)(GLenum);
};

namespace {

template <typename Function>
bool load(Function& function, const char* name) {
    function = reinterpret_cast<Function>(SDL_GL_GetProcAddress(name));
    return function != nullptr;
}

// Buffer objects came with OpenGL 1.5. Asking the version matters: a GLX library hands out an
// entry point for any name, whether the context has it or not.
bool hasBufferObjects(const GLubyte* version) {
    int major = 0, minor = 0;
    return version != nullptr &&
           std::sscanf(reinterpret_cast<const char*>(version), "%d.%d", &major, &minor) == 2 &&
           (major > 1 || (major == 1 && minor >= 5));
}

// Where the parts of an SDL_Vertex lie: the vertex buffer holds them as the batch queued them.
const void* offset(size_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

bool loadAll(GlFunctions& gl) {
    return load(gl.getString, "glGetString") && load(gl.getError, "glGetError") &&
           load(gl.genBuffers, "glGenBuffers") && load(gl.deleteBuffers, "glDeleteBuffers") &&
           load(gl.bindBuffer, "glBindBuffer") && load(gl.bufferData, "glBufferData") &&
           load(gl.vertexPointer, "glVertexPointer") && load(gl.colorPointer, "glColorPointer") &&
           load(gl.texCoordPointer, "glTexCoordPointer") &&
           load(gl.drawElements, "glDrawElements") && load(gl.isEnabled, "glIsEnabled") &&
           load(gl.enableClientState, "glEnableClientState") &&
           load(gl.disableClientState, "glDisableClientState");
}

}  // namespace

std::unique_ptr<GlQuads> GlQuads::create(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    SDL_GLContext context = SDL_GL_GetCurrentContext();
    if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0 ||
        SDL_strcmp(info.name, "opengl") != 0 || context == nullptr) {
        return nullptr;
    }
    auto gl = std::make_unique<GlFunctions>();
    if (!loadAll(*gl) || !hasBufferObjects(gl->getString(GL_VERSION))) {
        return nullptr;
    }
    return std::unique_ptr<GlQuads>(new GlQuads(context, std::move(gl)));
}

GlQuads::GlQuads(SDL_GLContext context, std::unique_ptr<GlFunctions> gl)
    : context(context), gl(std::move(gl)) {}

GlQuads::~GlQuads() {
    if (vertexBuffer != 0 && SDL_GL_GetCurrentContext() == context) {
        const GLuint buffers[] = {vertexBuffer, indexBuffer};
        gl->deleteBuffers(2, buffers);
    }
}

bool GlQuads::prepareBuffers(size_t quads) {
    if (vertexBuffer == 0) {
        GLuint buffers[2] = {0, 0};
        gl->genBuffers(2, buffers);
        vertexBuffer = buffers[0];
        indexBuffer = buffers[1];
        if (vertexBuffer == 0 || indexBuffer == 0) {
            broken = true;  // with none bound, the pointers would point into client memory
            return false;
        }
    }
    if (quads <= indexedQuads) {
        return true;
    }
    // Grown by doubling, so a batch growing frame by frame rebuilds it a few times only.
    size_t wanted = indexedQuads == 0 ? 1024 : indexedQuads;
    while (wanted < quads) {
        wanted *= 2;
    }
    std::vector<GLuint> indices;
    indices.reserve(wanted * 6);
    for (GLuint first = 0; first < wanted * 4; first += 4) {
        indices.insert(indices.end(), {first, first + 1, first + 2, first, first + 2, first + 3});
    }
    // Errors SDL's draws left are not this one's. A context keeps a few at most.
    for (int drained = 0; drained < 8 && gl->getError() != GL_NO_ERROR; ++drained) {
    }
    gl->bindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    gl->bufferData(GL_ELEMENT_ARRAY_BUFFER,
                   static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data(),
                   GL_STATIC_DRAW);
    gl->bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    if (gl->getError() != GL_NO_ERROR) {
        broken = true;
        indexedQuads = 0;
        return false;
    }
    indexedQuads = wanted;
    return true;
}

bool GlQuads::draw(SDL_Renderer* renderer, SDL_Texture* texture,
                   std::vector<SDL_Vertex>& vertices) {
    size_t quads = vertices.size() / 4;
    if (broken || quads == 0 || quads * 6 > static_cast<size_t>(SDL_MAX_SINT32)) {
        return false;
    }
    // SDL draws nothing for a hidden or minimised window, and then need not make its context
    // current.
    if ((SDL_GetWindowFlags(SDL_RenderGetWindow(renderer)) &
         (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0) {
        return true;
    }
    const SDL_Vertex nothing[3] = {};
    if (SDL_RenderGeometry(renderer, texture, nothing, 3, nullptr, 0) != 0 ||
        SDL_RenderFlush(renderer) != 0 || SDL_GL_GetCurrentContext() != context) {
        return false;
    }
    // What the texture's coordinates span: 1 by 1 for most, but its size in texels for a
    // rectangle texture and less for one padded to a power of two.
    float texelsWide = 1.0f, texelsHigh = 1.0f;
    if (SDL_GL_BindTexture(texture, &texelsWide, &texelsHigh) != 0 || !prepareBuffers(quads)) {
        return false;
    }
    // SDL scales its own vertices by the render scale (a logical size sets it), and the
    // projection it leaves set is in the window's pixels.
    float scaleX = 1.0f, scaleY = 1.0f;
    SDL_RenderGetScale(renderer, &scaleX, &scaleY);
    if (scaleX != 1.0f || scaleY != 1.0f || texelsWide != 1.0f || texelsHigh != 1.0f) {
        for (SDL_Vertex& vertex : vertices) {
            vertex.position.x *= scaleX;
            vertex.position.y *= scaleY;
            vertex.tex_coord.x *= texelsWide;
            vertex.tex_coord.y *= texelsHigh;
        }
    }

    // Specified anew each draw: the driver hands over fresh storage rather than waiting for
    // the last draw from the old one.
    gl->bindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    gl->bufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(SDL_Vertex)),
                   vertices.data(), GL_STREAM_DRAW);
    gl->bindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    constexpr GLsizei stride = sizeof(SDL_Vertex);
    gl->vertexPointer(2, GL_FLOAT, stride, offset(offsetof(SDL_Vertex, position)));
    gl->colorPointer(4, GL_UNSIGNED_BYTE, stride, offset(offsetof(SDL_Vertex, color)));
    gl->texCoordPointer(2, GL_FLOAT, stride, offset(offsetof(SDL_Vertex, tex_coord)));
    // SDL 2.26 turns its arrays off once its queue has run, and may keep them on in another
    // version: on for this draw, then as SDL left them.
    constexpr GLenum arrays[] = {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY};
    bool wasOn[3];
    for (int index = 0; index < 3; ++index) {
        wasOn[index] = gl->isEnabled(arrays[index]) == GL_TRUE;
        if (!wasOn[index]) {
            gl->enableClientState(arrays[index]);
        }
    }
    gl->drawElements(GL_TRIANGLES, static_cast<GLsizei>(quads * 6), GL_UNSIGNED_INT, offset(0));
    for (int index = 0; index < 3; ++index) {
        if (!wasOn[index]) {
            gl->disableClientState(arrays[index]);
        }
    }
    // SDL sets its pointers before each draw of its own, into client memory: with no buffer
    // bound, as it expects.
    gl->bindBuffer(GL_ARRAY_BUFFER, 0);
    gl->bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return true;
}

}  // namespace sdl
