// A frame of 100,000 scripted objects, a tenth of them waking, against a frame of 10,000: ten
// times the work, so 10 is linear, and what lies above it is what the larger heap costs in
// cache misses.
#include "bench/ratio.h"
#include "bench/sleepers.h"

int main(int argc, char** argv) {
    return bench::compare(argc, argv, "scale_100k_vs_10k",
                          {"engineFrame100k", bench::engineFrames<100000>},
                          {"engineFrame10k", bench::engineFrames<10000>});
}
