#pragma once

// A full sync of a big server decodes some hundred megabytes of short-lived records. With
// glibc's defaults every such block is mapped fresh and returned at once, so each refresh pays
// a page fault per 4 KiB; taking them from the heap and keeping freed memory up to a bound
// lets the next refresh reuse them. Call once at start-up, before the first sync.
void tuneAllocatorForLargeAnswers();
