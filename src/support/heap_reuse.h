#ifndef VIDO_SUPPORT_HEAP_REUSE_H_
#define VIDO_SUPPORT_HEAP_REUSE_H_

namespace vido {

// Keeps freed memory in the process for the next allocation instead of handing it back
// to the system at once. Every engine built afresh allocates and clears its hash tables
// (about 1 MB); searches that build thousands of small engines otherwise spend more time
// in the system, mapping and clearing pages, than solving. Called once by main().
void RetainFreedMemory();

}  // namespace vido

#endif  // VIDO_SUPPORT_HEAP_REUSE_H_
