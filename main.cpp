// The korvane executable. The shell's entry takes over once it is built.
#include <cstdio>

int main() {
    std::fprintf(stderr, "korvane: the game does not run yet; only its libraries and tests are built.\n");
    return 0;
}
