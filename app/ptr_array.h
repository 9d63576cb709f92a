#pragma once

// A growable array of pointers that never owns what its elements point to.
// Capacity starts at 1 and doubles; a failed growth leaves the array as it was.
class PtrArray {
public:
    PtrArray() = default;
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;
    ~PtrArray();

    int Add(void* element);
    void* At(int index) const { return storage_[index]; }
    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    void Free();

private:
    void** storage_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
};
