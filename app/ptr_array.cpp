#include "ptr_array.h"

#include <cstdlib>

PtrArray::~PtrArray() { Free(); }

int PtrArray::Add(void* element)
{
    if (count_ == capacity_) {
        const int grown = capacity_ == 0 ? 1 : 2 * count_;
        void* moved = std::realloc(storage_, sizeof(void*) * grown);
        if (!moved)
            return 0;
        storage_ = static_cast<void**>(moved);
        capacity_ = grown;
    }
    storage_[count_++] = element;
    return 1;
}

void PtrArray::Free()
{
    std::free(storage_);
    storage_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}
