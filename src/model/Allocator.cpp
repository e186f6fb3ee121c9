#include "Allocator.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void tuneAllocatorForLargeAnswers()
{
#if defined(__GLIBC__)
    // Blocks up to 32 MiB (the most glibc allows here) come from the heap, and up to 256 MiB
    // of free memory stays at its top for the next refresh instead of going back to the
    // system. What is kept is bounded by the peak of a refresh; a small server never grows the
    // heap that far.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}
