// The one clock of the start-up measurements: the programs report their
// steps by it and startup_bench times them by it, so the figures of
// different processes on one machine can be compared.
#pragma once

#include <time.h>

// Monotonic milliseconds.
inline double now_ms()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
