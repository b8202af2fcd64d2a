#include "app/game_entry.h"

int main() {
    return runGame();
}
