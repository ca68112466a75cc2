// The heap after a message box: the GL driver frees its copies of the
// pictures made before the box only when the next frame replaces them, so
// that is when the free pages must go back; and only then, since giving
// them back every frame would fault the copies in anew each frame.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
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

const size_t kCopyBytes = 8 * 1024 * 1024;
const long kCopyKb = kCopyBytes / 1024;

// A picture's copy in the heap, its pages written. Through a volatile
// pointer, so the compiler keeps the block and its writes.
char *volatile g_copy = nullptr;

char *MakeCopy()
{
    g_copy = static_cast<char *>(malloc(kCopyBytes));
    memset(g_copy, 1, kCopyBytes);
    return g_copy;
}

TEST(BoxHeap, FreePagesGoBackAfterTheFirstFrameFollowingABoxAndOnlyThen)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own heap";
#endif
    // As between boxes: big blocks in the heap, nothing trimmed as it is freed.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    char *copy = MakeCopy();
    void *volatile above = malloc(64);  // keeps the copy off the heap's top

    HeapBoxOpening(false);
    HeapBoxClosed();
    free(copy);  // by the first frame after the box
    long before = ResidentAnonymousKb();
    HeapFrameShown();
    EXPECT_LT(ResidentAnonymousKb(), before - kCopyKb / 2) << "not handed back after the frame";

    free(MakeCopy());  // by a later frame
    before = ResidentAnonymousKb();
    HeapFrameShown();
    EXPECT_GT(ResidentAnonymousKb(), before - kCopyKb / 2) << "handed back after every frame";
    free(above);
}

}  // namespace
