// Key state for drivers that learn of key presses from events, as the OS keeps it: whether a
// key is down now, and a latch that remembers a press until the next read, so a tap that starts
// and ends between two reads still counts once.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

class KeyStates {
public:
    void press(int virtualKey) {
        if (Key* key = find(virtualKey)) {
            key->down = true;
            key->latched = true;
        }
    }
    void release(int virtualKey) {
        if (Key* key = find(virtualKey)) {
            key->down = false;
        }
    }
    // Bit 15 while down, bit 0 when pressed since the previous read (the latch is then cleared).
    int16_t read(int virtualKey) {
        Key* key = find(virtualKey);
        if (key == nullptr) {
            return 0;
        }
        int16_t state = static_cast<int16_t>((key->down ? 0x8000 : 0) | (key->latched ? 1 : 0));
        key->latched = false;
        return state;
    }

private:
    struct Key {
        bool down = false;
        bool latched = false;
    };
    Key* find(int virtualKey) {
        return virtualKey >= 0 && virtualKey < 256 ? &keys[static_cast<size_t>(virtualKey)]
                                                   : nullptr;
    }
    std::array<Key, 256> keys{};
};

}  // namespace platform
