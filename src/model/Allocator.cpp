#include "Allocator.h"

// Any C library header defines __GLIBC__; without one the test below is always false.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void tuneAllocatorForLargeAnswers()
{
#if defined(__GLIBC__)
    // Every block comes from the heap, big ones included (the decoded map of a full sync of
    // 100,000 torrents is one block of some 50 MB), and up to 256 MiB of free memory stays at
    // its top for the next refresh instead of going back to the system. What is kept is
    // bounded by the peak of a refresh; a small server never grows the heap that far.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}
