// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Allocator.h"

// Any C library header defines __GLIBC__; without one the test below is always false.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void tuneAllocatorForLargeAnswers()
{
#if defined(__GLIBC__)
    // Blocks of 1 MiB and more (an answer's body, the parser's buffers, the decoded list of a
    // full sync) are mapped on their own and go back to the system once freed, so that the
    // resident memory is that of the records, not of the biggest answer so far. The threshold is
    // fixed: glibc would otherwise raise it after the first big block is freed and keep the next
    // ones in the heap. Those answers are decoded off the UI thread, which pays for the fresh
    // pages. Up to 32 MiB of free heap stays for the next refresh.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
#endif
}
