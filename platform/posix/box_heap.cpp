// On Wayland GTK draws a box in the program's own memory, in blocks of some
// hundreds of kB sized by the box. Left to itself the C library serves such
// blocks from the heap once one has been freed, and boxes of differing sizes
// leave holes that later blocks do not fit: the heap grew by megabytes every
// few boxes. While a box is open its big blocks are mapped apart, each
// unmapped as it is freed. Between boxes they are not: the GL driver makes
// copies of the pictures for every frame, and mapping, clearing and
// unmapping those each frame made frames several times slower.
//
// The heap's free pages (the text and widgets a box laid out, on X11 as
// well) are handed back once per box, after the first frame that follows
// it, not as the box goes: the driver's copies of the pictures made by the
// last frame before the click and by the click's selection pass are freed
// only when that frame replaces them, megabytes that would otherwise stay
// resident until the next box. The raised trim threshold keeps the copies'
// pages in the heap from one frame to the next.
#include "platform/posix/box_heap.h"

#include <malloc.h>

namespace {

bool g_mapped_apart = false;
bool g_trim_due = false;

void map_big_blocks_apart(bool apart)
{
    mallopt(M_MMAP_THRESHOLD, apart ? 128 * 1024 : 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, apart ? 128 * 1024 : 64 * 1024 * 1024);
    g_mapped_apart = apart;
}

}  // namespace

void HeapBoxOpening(bool wayland)
{
    if (wayland)
        map_big_blocks_apart(true);
}

void HeapBoxClosed(void)
{
    if (g_mapped_apart)
        map_big_blocks_apart(false);
    g_trim_due = true;
}

void HeapFrameShown(void)
{
    if (!g_trim_due)
        return;
    g_trim_due = false;
    malloc_trim(0);
}
