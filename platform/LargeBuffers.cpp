#include "platform/LargeBuffers.h"

#include <sys/mman.h>

namespace {

// Only whole, aligned huge pages can be mapped as one; smaller buffers gain nothing.
constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;

} // namespace

void AdviseHugePages(void* data, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + size) & ~(kHugePage - 1);
    if (data && last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}
