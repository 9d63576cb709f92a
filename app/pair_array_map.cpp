#include "pair_array_map.h"

#include <cstdlib>

PairArrayMap::~PairArrayMap()
{
    std::free(keys_);
    std::free(values_);
    count_ = 0;
}

int PairArrayMap::Add(uint32_t key, void* value)
{
    void* grownKeys = std::realloc(keys_, sizeof(uint32_t) * (count_ + 1));
    if (!grownKeys)
        return 0;
    keys_ = static_cast<uint32_t*>(grownKeys);
    void* grownValues = std::realloc(values_, sizeof(void*) * (count_ + 1));
    if (!grownValues)
        return 0;
    values_ = static_cast<void**>(grownValues);
    keys_[count_] = key;
    values_[count_] = value;
    ++count_;
    return 1;
}

int PairArrayMap::IndexOf(uint32_t key) const
{
    for (int i = 0; i < count_; ++i)
        if (keys_[i] == key)
            return i;
    return -1;
}

void* PairArrayMap::Find(uint32_t key) const
{
    const int index = IndexOf(key);
    return index < 0 ? nullptr : values_[index];
}

int PairArrayMap::Remove(uint32_t key)
{
    const int index = IndexOf(key);
    if (index < 0)
        return 0;
    for (int i = index; i + 1 < count_; ++i) {
        keys_[i] = keys_[i + 1];
        values_[i] = values_[i + 1];
    }
    --count_;
    if (count_ == 0) {
        // An empty map holds no storage at all.
        std::free(keys_);
        std::free(values_);
        keys_ = nullptr;
        values_ = nullptr;
        return 1;
    }
    // Shrinking never fails in practice; if it did, the larger blocks stay valid.
    if (void* k = std::realloc(keys_, sizeof(uint32_t) * count_))
        keys_ = static_cast<uint32_t*>(k);
    if (void* v = std::realloc(values_, sizeof(void*) * count_))
        values_ = static_cast<void**>(v);
    return 1;
}
