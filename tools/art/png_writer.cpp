#include "tools/art/png_writer.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace art {

namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + data.size()));
    putBigEndian(out, static_cast<uint32_t>(crc));
}

// Every row but the first is stored as its difference to the row above ("up" filter): the art
// is mostly vertical gradients, which this turns into runs that compress well.
std::vector<uint8_t> filteredRows(int width, int height, const std::vector<uint8_t>& rgba) {
    const size_t stride = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> rows;
    rows.reserve((stride + 1) * static_cast<size_t>(height));
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        const uint8_t* row = rgba.data() + y * stride;
        rows.push_back(y == 0 ? 0 : 2);
        for (size_t i = 0; i < stride; ++i) {
            rows.push_back(static_cast<uint8_t>(y == 0 ? row[i] : row[i] - row[i - stride]));
        }
    }
    return rows;
}

}  // namespace

std::vector<uint8_t> encodePng(int width, int height, const std::vector<uint8_t>& rgba) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
        throw std::invalid_argument("image size does not match its pixel data");
    }
    std::vector<uint8_t> raw = filteredRows(width, height, rgba);
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        throw std::runtime_error("image data cannot be compressed");
    }
    packed.resize(packedSize);

    std::vector<uint8_t> header;
    putBigEndian(header, static_cast<uint32_t>(width));
    putBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no interlace

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", {});
    return png;
}

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> png = encodePng(width, height, rgba);
    // Written beside the target and renamed over it, so a failed run never leaves half an image.
    std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png.data()),
                  static_cast<std::streamsize>(png.size()));
        if (!out.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace art
