#pragma once

#include <cstdint>

// A small map from a 32-bit key to a pointer: two parallel arrays that always hold exactly
// count elements. Duplicate keys are appended; lookups and removals take the first match.
class PairArrayMap {
public:
    PairArrayMap() = default;
    PairArrayMap(const PairArrayMap&) = delete;
    PairArrayMap& operator=(const PairArrayMap&) = delete;
    ~PairArrayMap();

    int Add(uint32_t key, void* value);
    void* Find(uint32_t key) const;
    int Remove(uint32_t key);
    int Count() const { return count_; }
    bool HoldsStorage() const { return keys_ != nullptr || values_ != nullptr; }
    uint32_t KeyAt(int index) const { return keys_[index]; }

private:
    int IndexOf(uint32_t key) const;

    uint32_t* keys_ = nullptr;
    void** values_ = nullptr;
    int count_ = 0;
};
