#include "platform/sdl/sdl_image_file.h"

#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace sdl {

namespace {

// The most of a file's start that a header is looked for in: the signature-led formats keep
// their size within it, and a PNM header's comments must end within it.
constexpr size_t kHeadSize = 4096;

uint32_t bigEndian(const uint8_t* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

uint32_t littleEndian(const uint8_t* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i > 0; --i) {
        value = (value << 8) | bytes[i - 1];
    }
    return value;
}

ImageHeader sized(ImageFormat format, uint32_t width, uint32_t height) {
    return width > 0 && height > 0 ? ImageHeader{format, width, height} : ImageHeader{};
}

// The signature, then the IHDR chunk, which must come first: width and height, big-endian.
ImageHeader png(const uint8_t* head, size_t size) {
    static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 24 || std::memcmp(head, kSignature, 8) != 0 || std::memcmp(head + 12, "IHDR", 4)) {
        return {};
    }
    uint32_t width = bigEndian(head + 16, 4);
    uint32_t height = bigEndian(head + 20, 4);
    return width <= INT32_MAX && height <= INT32_MAX ? sized(ImageFormat::png, width, height)
                                                     : ImageHeader{};
}

// "BM", then the info header: 16-bit sizes in the old 12-byte one, else 32-bit ones, the
// height negative for a top-down image.
ImageHeader bmp(const uint8_t* head, size_t size) {
    if (size < 26 || head[0] != 'B' || head[1] != 'M') {
        return {};
    }
    if (littleEndian(head + 14, 4) == 12) {
        return sized(ImageFormat::bmp, littleEndian(head + 18, 2), littleEndian(head + 20, 2));
    }
    auto width = static_cast<int32_t>(littleEndian(head + 18, 4));
    auto height = static_cast<int32_t>(littleEndian(head + 22, 4));
    if (width <= 0 || height == INT32_MIN) {
        return {};
    }
    return sized(ImageFormat::bmp, static_cast<uint32_t>(width),
                 static_cast<uint32_t>(height < 0 ? -height : height));
}

// A fixed 18-byte header with a colour-mapped, true-colour or grey image type, raw or
// run-length encoded; width and height as 16-bit numbers.
ImageHeader tga(const uint8_t* head, size_t size, const std::string& path) {
    std::string extension = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const uint8_t type = size >= 18 ? head[2] : 0;
    if (extension != ".tga" || head[1] > 1 || (type & ~8) < 1 || (type & ~8) > 3) {
        return {};
    }
    return sized(ImageFormat::tga, littleEndian(head + 12, 2), littleEndian(head + 14, 2));
}

// "P1" to "P6", then width and height in decimal, with white space and "#" comments between.
ImageHeader pnm(const uint8_t* head, size_t size) {
    if (size < 3 || head[0] != 'P' || head[1] < '1' || head[1] > '6' || !std::isspace(head[2])) {
        return {};
    }
    size_t at = 2;
    uint32_t numbers[2] = {0, 0};
    for (uint32_t& number : numbers) {
        while (at < size && (std::isspace(head[at]) || head[at] == '#')) {
            if (head[at] == '#') {
                while (at < size && head[at] != '\n' && head[at] != '\r') {
                    ++at;
                }
            } else {
                ++at;
            }
        }
        size_t digits = 0;
        for (; at < size && std::isdigit(head[at]); ++at, ++digits) {
            if (number > (INT32_MAX - 9) / 10) {
                return {};
            }
            number = number * 10 + static_cast<uint32_t>(head[at] - '0');
        }
        if (digits == 0 || at == size) {
            return {};
        }
    }
    return sized(ImageFormat::pnm, numbers[0], numbers[1]);
}

// The next marker's code, passing over what is no marker as the decoder does: bytes before a
// 0xFF, fill bytes of 0xFF, and a stuffed 0xFF 0x00. -1 at the end of the file.
int nextMarker(SDL_RWops* file) {
    uint8_t byte = 0;
    for (;;) {
        do {
            if (SDL_RWread(file, &byte, 1, 1) != 1) {
                return -1;
            }
        } while (byte != 0xFF);
        do {
            if (SDL_RWread(file, &byte, 1, 1) != 1) {
                return -1;
            }
        } while (byte == 0xFF);
        if (byte != 0) {
            return byte;
        }
    }
}

// Segments after the start-of-image marker, until a start-of-frame segment gives the size: its
// precision byte, then height and width, big-endian. Image data or the end of the file before
// one gives nothing.
ImageHeader jpeg(SDL_RWops* file) {
    uint8_t bytes[5];
    if (SDL_RWseek(file, 2, RW_SEEK_SET) != 2) {
        return {};
    }
    for (;;) {
        const int marker = nextMarker(file);
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue;  // markers without a segment
        }
        if (marker < 0 || marker == 0xD9 || marker == 0xDA || SDL_RWread(file, bytes, 1, 2) != 2) {
            return {};
        }
        const int64_t length = bigEndian(bytes, 2);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            if (length < 7 || SDL_RWread(file, bytes, 1, 5) != 5) {
                return {};
            }
            return sized(ImageFormat::jpeg, bigEndian(bytes + 3, 2), bigEndian(bytes + 1, 2));
        }
        if (length < 2 || SDL_RWseek(file, length - 2, RW_SEEK_CUR) < 0) {
            return {};
        }
    }
}

}  // namespace

ImageHeader readImageHeader(const std::string& path) {
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        return {};
    }
    std::array<uint8_t, kHeadSize> head{};
    const size_t size = SDL_RWread(file, head.data(), 1, head.size());
    ImageHeader header = png(head.data(), size);
    if (header.format == ImageFormat::unknown) {
        header = bmp(head.data(), size);
    }
    if (header.format == ImageFormat::unknown) {
        header = pnm(head.data(), size);
    }
    if (header.format == ImageFormat::unknown) {
        header = tga(head.data(), size, path);
    }
    if (header.format == ImageFormat::unknown && size >= 2 && head[0] == 0xFF && head[1] == 0xD8) {
        header = jpeg(file);
    }
    SDL_RWclose(file);
    return header;
}

SDL_Surface* decodeImage(const std::string& path, ImageFormat format) {
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    SDL_Surface* image = nullptr;
    switch (format) {
        case ImageFormat::png:
            image = IMG_LoadPNG_RW(file);
            break;
        case ImageFormat::bmp:
            image = IMG_LoadBMP_RW(file);
            break;
        case ImageFormat::jpeg:
            image = IMG_LoadJPG_RW(file);
            break;
        case ImageFormat::tga:
            image = IMG_LoadTGA_RW(file);
            break;
        case ImageFormat::pnm:
            image = IMG_LoadPNM_RW(file);
            break;
        case ImageFormat::unknown:
            break;
    }
    SDL_RWclose(file);
    return image;
}

}  // namespace sdl
