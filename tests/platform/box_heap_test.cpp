// The heap after a message box: the GL driver frees its copies of the
// pictures made before the box only when the next frame replaces them, so
// that is when the free pages must go back; and only then, since giving
// them back every frame would fault the copies in anew each frame.
#include <gtest/gtest.h>
#include <malloc.h>

#include <fstream>
#include <string>

#include "platform/posix/box_heap.h"

namespace {

long ResidentAnonymousKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("RssAnon:", 0) == 0)
            return std::stol(line.substr(8));
    return -1;
}

// Frees a picture's copy of `kb` written pages, then shows a frame; how
// much resident memory the frame gave back. Written through volatile, so
// the compiler keeps the writes to a block about to be freed.
long FreedByAFrameKb(long kb)
{
    volatile char *copy = static_cast<char *>(malloc(kb * 1024));
    for (long i = 0; i < kb * 1024; i += 1024)
        copy[i] = 1;
    void *volatile above = malloc(64);  // keeps the copy off the heap's top
    free(const_cast<char *>(copy));
    long before = ResidentAnonymousKb();
    HeapFrameShown();
    long given_back = before - ResidentAnonymousKb();
    free(above);
    return given_back;
}

TEST(BoxHeap, FreePagesGoBackAfterTheFirstFrameFollowingABoxAndOnlyThen)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own heap";
#endif
    // As between boxes: big blocks in the heap, nothing trimmed as it is freed.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    const long kCopyKb = 8 * 1024;
    HeapBoxOpening(false);
    HeapBoxClosed();
    EXPECT_GT(FreedByAFrameKb(kCopyKb), kCopyKb / 2) << "not handed back after the frame";
    EXPECT_LT(FreedByAFrameKb(kCopyKb), kCopyKb / 2) << "handed back after every frame";
}

}  // namespace
