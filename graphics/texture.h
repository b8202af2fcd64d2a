// A loaded texture: the device texture and the sizes of its image and of its top level.
#pragma once

#include <cstdint>

#include "../platform/direct3d.h"

class Texture {
public:
    // Takes over the caller's reference to `texture`.
    Texture(platform::DeviceTexture* texture, int32_t imageWidth, int32_t imageHeight,
            int32_t textureWidth, int32_t textureHeight);
    // Gives the texture reference back; safe after Graphics::shutdown too.
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    platform::DeviceTexture* getTexture() const { return texture; }
    // The image in the file; drawing measures in these pixels.
    int32_t getImageWidth() const { return imageWidth; }
    int32_t getImageHeight() const { return imageHeight; }
    // The texture's top level: the image's size rounded up to powers of two.
    int32_t getTextureWidth() const { return textureWidth; }
    int32_t getTextureHeight() const { return textureHeight; }

private:
    platform::DeviceTexture* texture;
    int32_t imageWidth;
    int32_t imageHeight;
    int32_t textureWidth;
    int32_t textureHeight;
};
