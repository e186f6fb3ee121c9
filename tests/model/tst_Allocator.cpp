// The allocator tuning the application applies at start-up: a full sync's big blocks come
// from the heap and stay there for the next refresh instead of being mapped fresh each time.

#include "model/Allocator.h"

#include <QTest>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

class AllocatorTest : public QObject
{
    Q_OBJECT

private slots:
    void bigBlocksComeFromTheHeapAndStay()
    {
#if !defined(__GLIBC__)
        QSKIP("tuning applies to glibc's allocator only");
#elif defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer replaces the allocator");
#else
        tuneAllocatorForLargeAnswers();
        // Bigger than any threshold glibc accepts for mapping blocks on their own (32 MiB).
        constexpr size_t size = 64u << 20;
        const size_t mappedBefore = mallinfo2().hblkhd;
        void *block = std::malloc(size);
        QVERIFY(block);
        std::memset(block, 1, size);
        QCOMPARE(mallinfo2().hblkhd, mappedBefore);
        const size_t heap = mallinfo2().arena;
        std::free(block);
        // Freed, but kept for reuse.
        QCOMPARE(mallinfo2().arena, heap);
#endif
    }
};

QTEST_GUILESS_MAIN(AllocatorTest)
#include "tst_Allocator.moc"
