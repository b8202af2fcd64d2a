#include "graphics/texture.h"

Texture::Texture(platform::DeviceTexture* texture, int32_t imageWidth, int32_t imageHeight,
                 int32_t textureWidth, int32_t textureHeight)
    : texture(texture),
      imageWidth(imageWidth),
      imageHeight(imageHeight),
      textureWidth(textureWidth),
      textureHeight(textureHeight) {}

Texture::~Texture() {
    if (texture != nullptr) {
        platform::releaseTexture(texture);
    }
}
