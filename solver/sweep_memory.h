// The memory of a sweep: vectors on the system's large pages and the arena of its counts.
// Internal to the sweep.
#pragma once

#include "work.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

// Hidden, as file-local code would be: the sweep's insides are neither exported from the
// engine module nor bound outside it.
#pragma GCC visibility push(hidden)
namespace kelvane::solver::detail
{

// A wide sweep looks its states and their counts up all over its layers, and on the system's
// small pages nearly every such look first walks the page tables: its large blocks ask for
// the system's large pages, where it gives them on request. Only whole large pages inside the
// block can be given.
inline constexpr uintptr_t LargePage = uintptr_t{1} << 21;
void AskForLargePages(void *memory, size_t bytes);

// Memory for the large vectors of a wide sweep: blocks of two large pages or more ask for them.
template <typename T> struct LargePages {
    using value_type = T;
    LargePages() = default;
    template <typename U> LargePages(const LargePages<U> &) {}
    T *allocate(size_t n)
    {
        const size_t bytes = n * sizeof(T);
        void *memory = std::malloc(bytes);
        if (memory == nullptr) throw std::bad_alloc();
        if (bytes >= 2 * LargePage) AskForLargePages(memory, bytes);
        return static_cast<T *>(memory);
    }
    void deallocate(T *values, size_t) { std::free(values); }
    bool operator==(const LargePages &) const { return true; }
};
template <typename T> using LargeVector = std::vector<T, LargePages<T>>;

// Frees a vector's memory when it is more than a small layer keeps for the next sweeps.
template <typename T> void Free(LargeVector<T> &values)
{
    if (values.capacity() * sizeof(T) > (size_t{1} << 13)) LargeVector<T>().swap(values);
}

// Zeroed memory for the forward layers, taken in order and given back in reverse order.
// Fresh pages come zeroed from the system, so nothing is cleared twice.
class Arena
{
  public:
    ~Arena() { Release(0); }
    double *Take(size_t count, Work &work);
    size_t Mark() const { return Chunks.size(); }
    // Frees every chunk from index `keep` on.
    void Release(size_t keep, Work *work = nullptr);

  private:
    struct Chunk {
        double *Memory;
        size_t Size, Used;
        bool Mapped;
    };
    // A layer's pages are brought in at once as it takes them (a kernel without that brings
    // them in as they are first written); the rest of a chunk, which a layer too large for it
    // leaves, never.
    static void Populate(double *at, size_t count);
    // The pages of a mapped chunk past what its layers use go back to the system when the
    // next layer does not fit there.
    static void Trim(Chunk &chunk, Work &work);
    static constexpr size_t LargestChunk = size_t{1} << 22;
    static constexpr size_t MappedChunk = size_t{1} << 16;
    size_t Next = size_t{1} << 7;
    std::vector<Chunk> Chunks;
};

} // namespace kelvane::solver::detail
#pragma GCC visibility pop
