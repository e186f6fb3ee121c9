// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The allocator tuning the application applies at start-up: a big answer's buffers go back to
// the system once freed, the first and every later one.

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
    void bigBlocksGoBackOnceFreed()
    {
#if !defined(__GLIBC__)
        QSKIP("tuning applies to glibc's allocator only");
#elif defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer replaces the allocator");
#else
        tuneAllocatorForLargeAnswers();
        // glibc's own rule would keep the second block in the heap after the first was freed.
        for (int round = 0; round < 2; ++round) {
            constexpr size_t size = 8u << 20;
            const size_t mappedBefore = mallinfo2().hblkhd;
            void *block = std::malloc(size);
            QVERIFY(block);
            std::memset(block, 1, size);
            QVERIFY(mallinfo2().hblkhd >= mappedBefore + size);
            std::free(block);
            QCOMPARE(mallinfo2().hblkhd, mappedBefore);
        }
#endif
    }
};

QTEST_GUILESS_MAIN(AllocatorTest)
#include "tst_Allocator.moc"
