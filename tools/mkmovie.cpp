// Writes a test movie (solid frames that tell their index, and a tone).
//   mkmovie <out.mpg> [width height fps frames]
#include <cstdio>
#include <cstdlib>

#include "tools/writers/movie_writer.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: mkmovie <out.mpg> [width height fps frames]\n");
        return 2;
    }
    tools::TestMovieOptions o;
    if (argc == 6) {
        o.width = std::atoi(argv[2]);
        o.height = std::atoi(argv[3]);
        o.fps = std::atoi(argv[4]);
        o.frames = std::atoi(argv[5]);
    }
    if (!tools::WriteTestMovie(argv[1], o)) {
        std::fprintf(stderr, "mkmovie: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
