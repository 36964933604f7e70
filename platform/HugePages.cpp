#include "platform/HugePages.h"

#include <cstdint>
#include <sys/mman.h>

namespace {

constexpr std::size_t hugePage = std::size_t(2) << 20;

} // namespace

std::unique_ptr<HugePages> HugePages::allocate(std::size_t bytes)
{
    // Room to start on a huge page's boundary: the kernel backs only aligned 2 MB with one.
    const std::size_t length = bytes + hugePage;
    void *mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return nullptr;
    const auto start = (reinterpret_cast<std::uintptr_t>(mapping) + hugePage - 1) & ~(hugePage - 1);
    // A small buffer in a huge page would hold 2 MB for a few kilobytes.
    if (bytes >= hugePage)
        madvise(reinterpret_cast<void *>(start), bytes, MADV_HUGEPAGE);
    return std::unique_ptr<HugePages>(
        new HugePages(mapping, length, reinterpret_cast<unsigned char *>(start), bytes));
}

HugePages::HugePages(void *mapping, std::size_t length, unsigned char *data, std::size_t size)
    : m_mapping(mapping), m_length(length), m_data(data), m_size(size)
{
}

HugePages::~HugePages()
{
    munmap(m_mapping, m_length);
}
