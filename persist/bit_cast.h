// The bits of a value taken as a value of another type of the same size: std::bit_cast, which the
// standard library of the web build (libc++ 13) lacks, made of the compilers' builtin under it.
#pragma once

template <typename To, typename From>
constexpr To bitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From), "a bit cast keeps the size");
    return __builtin_bit_cast(To, from);
}
