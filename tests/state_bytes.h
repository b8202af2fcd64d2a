// Builds state-file bytes by hand, for tests that need exact or deliberately broken files.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

namespace state_bytes {

inline std::string u8(unsigned value) {
    return std::string(1, static_cast<char>(value));
}
inline std::string i32(int32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
    }
    return bytes;
}
inline std::string f32(float value) {
    return i32(std::bit_cast<int32_t>(value));
}
inline std::string f64(double value) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    return i32(static_cast<int32_t>(bits)) + i32(static_cast<int32_t>(bits >> 32));
}
inline std::string str(const std::string& text) {
    return i32(static_cast<int32_t>(text.size() + 1)) + text + std::string(1, '\0');
}

// The state of one number variable "score" = 10 and one plain object (script "a.lua", id 1,
// not paused, number key "hp" = 3), next object id 2.
inline std::string workedExample() {
    return u8(1) + str("score") + i32(3) + f64(10.0) + u8(0) +   // globals
           i32(1) + i32(0) + str("a.lua") + i32(1) +             // one header
           f32(0.0f) + i32(1) + str("hp") + i32(1) + f64(3.0) +  // its key block
           i32(2);                                               // next object id
}

}  // namespace state_bytes
