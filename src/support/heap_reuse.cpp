#include "support/heap_reuse.h"

#include <cstdlib>  // defines __GLIBC__ with the C library's features

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vido {

void RetainFreedMemory() {
#if defined(__GLIBC__)
  // Blocks below 32 MB (the most it allows) come from the heap, whose top is trimmed only
  // beyond 256 MB free.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

}  // namespace vido
