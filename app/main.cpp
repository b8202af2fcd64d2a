#include <cstdio>

int main() {
    std::puts("Puzzle Tumblix is not playable yet: the game comes in a later build.");
    return 0;
}
