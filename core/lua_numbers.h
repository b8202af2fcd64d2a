// Lua numbers as the engine's integers: object ids, types and event numbers.
#pragma once

// A number as the int it names: truncated toward zero, NaN as 0, and numbers beyond the int
// range held at its ends rather than left undefined.
inline int truncateToInt(double number) {
    if (!(number > -2147483649.0)) {  // NaN too
        return number < 0 ? -2147483647 - 1 : 0;
    }
    return number < 2147483648.0 ? static_cast<int>(number) : 2147483647;
}
