#include "sweep_memory.h"

#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>

namespace kelvane::solver::detail
{

void AskForLargePages(void *memory, size_t bytes)
{
    const auto at = reinterpret_cast<uintptr_t>(memory);
    const uintptr_t first = (at + LargePage - 1) & ~(LargePage - 1);
    const uintptr_t last = (at + bytes) & ~(LargePage - 1);
    if (last > first) madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
}

double *Arena::Take(size_t count, Work &work)
{
    if (Chunks.empty() || Chunks.back().Used + count > Chunks.back().Size) {
        if (!Chunks.empty()) Trim(Chunks.back(), work);
        // Chunks grow with the sweep; each comes zeroed and mapped in one call, which
        // costs far less than a fault on every page as the sweep first writes it.
        Next = std::min(Next * 2, LargestChunk);
        const size_t size = std::max(count, Next);
        const bool mapped = size >= MappedChunk;
        // Claimed first: a chunk past the limit is never taken.
        const auto bytes = static_cast<int64_t>(size * sizeof(double));
        work.Claim(bytes);
        void *memory = nullptr;
        if (mapped) {
            memory = mmap(nullptr, size * sizeof(double), PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (memory == MAP_FAILED) memory = nullptr;
            if (memory != nullptr) AskForLargePages(memory, size * sizeof(double));
        } else {
            memory = std::calloc(size, sizeof(double));
        }
        if (memory == nullptr) {
            work.Claim(-bytes);
            throw StopRun{true};
        }
        Chunks.push_back({static_cast<double *>(memory), size, 0, mapped});
    }
    Chunk &chunk = Chunks.back();
    double *at = chunk.Memory + chunk.Used;
    chunk.Used += count;
    if (chunk.Mapped) Populate(at, count);
    return at;
}

void Arena::Release(size_t keep, Work *work)
{
    while (Chunks.size() > keep) {
        if (Chunks.back().Mapped)
            munmap(Chunks.back().Memory, Chunks.back().Size * sizeof(double));
        else
            std::free(Chunks.back().Memory);
        if (work != nullptr)
            work->Claim(-static_cast<int64_t>(Chunks.back().Size * sizeof(double)));
        Chunks.pop_back();
    }
}

void Arena::Populate(double *at, size_t count)
{
#ifdef MADV_POPULATE_WRITE
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t first = reinterpret_cast<uintptr_t>(at) & ~(page - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(at + count);
    if (end > first) madvise(reinterpret_cast<void *>(first), end - first, MADV_POPULATE_WRITE);
#else
    (void)at;
    (void)count;
#endif
}

void Arena::Trim(Chunk &chunk, Work &work)
{
    if (!chunk.Mapped) return;
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE)) / sizeof(double);
    const size_t keep = (chunk.Used + page - 1) / page * page;
    if (keep >= chunk.Size) return;
    munmap(chunk.Memory + keep, (chunk.Size - keep) * sizeof(double));
    work.Claim(-static_cast<int64_t>((chunk.Size - keep) * sizeof(double)));
    chunk.Size = keep;
}

} // namespace kelvane::solver::detail
