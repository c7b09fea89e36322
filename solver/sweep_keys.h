// The states of a sweep: the needs of its open numbers packed into words, and the index that
// finds a state among those of a layer. Internal to the sweep.
#pragma once

#include "sweep_memory.h"

#include <cstddef>
#include <cstdint>

// Hidden, as file-local code would be: the sweep's insides are neither exported from the
// engine module nor bound outside it.
#pragma GCC visibility push(hidden)
namespace kelvane::solver::detail
{

// The needs of up to 16 * Words open numbers, four bits each; free slots hold 0.
template <int Words> struct Key {
    uint64_t W[Words] = {};
    int Get(int slot) const { return static_cast<int>((W[slot >> 4] >> ((slot & 15) * 4)) & 15); }
    void Set(int slot, int value)
    {
        uint64_t &w = W[slot >> 4];
        const int shift = (slot & 15) * 4;
        w = (w & ~(uint64_t{15} << shift)) | (static_cast<uint64_t>(value) << shift);
    }
    bool operator==(const Key &o) const
    {
        for (int i = 0; i < Words; ++i)
            if (W[i] != o.W[i]) return false;
        return true;
    }
    uint64_t Hash() const
    {
        uint64_t h = 0x9E3779B97F4A7C15ull;
        for (int i = 0; i < Words; ++i) {
            h = (h ^ W[i]) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 31;
        }
        return h;
    }
};

// Open addressing over the indices of a layer's keys.
template <int Words> class KeyIndex
{
  public:
    void Reset(size_t expected)
    {
        size_t capacity = 16;
        while (capacity < expected * 2)
            capacity <<= 1;
        Slots.assign(capacity, -1);
        Count = 0;
    }
    // Asks for the slot of a key with this hash to be brought into the cache.
    void Expect(uint64_t hash) const { __builtin_prefetch(&Slots[hash & (Slots.size() - 1)]); }
    // The key's index in keys, appending it when new; hash is the key's.
    int32_t FindOrAdd(const Key<Words> &key, uint64_t hash, LargeVector<Key<Words>> &keys,
                      bool &added)
    {
        if ((Count + 1) * 2 > Slots.size()) Grow(keys);
        size_t mask = Slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const int32_t at = Slots[i];
            if (at < 0) {
                Slots[i] = static_cast<int32_t>(keys.size());
                keys.push_back(key);
                ++Count;
                added = true;
                return Slots[i];
            }
            if (keys[at] == key) {
                added = false;
                return at;
            }
        }
    }

    size_t Bytes() const { return Slots.capacity() * sizeof(int32_t); }

  private:
    void Grow(const LargeVector<Key<Words>> &keys)
    {
        LargeVector<int32_t> old(Slots.size() * 2, -1);
        old.swap(Slots);
        const size_t mask = Slots.size() - 1;
        for (int32_t at : old) {
            if (at < 0) continue;
            size_t i = keys[at].Hash() & mask;
            while (Slots[i] >= 0)
                i = (i + 1) & mask;
            Slots[i] = at;
        }
    }
    LargeVector<int32_t> Slots;
    size_t Count = 0;
};

} // namespace kelvane::solver::detail
#pragma GCC visibility pop
