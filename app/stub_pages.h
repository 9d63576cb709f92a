#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

// Hands out 16-byte slots for window stubs from read-and-execute pages; freed slots are
// reused. The pages live as long as the process: a stub may be called until its window's last
// message.
class StubPages {
public:
    static constexpr size_t kSlotBytes = 16;

    unsigned char* Take()
    {
        if (free_.empty() && !Grow())
            return nullptr;
        unsigned char* slot = free_.back();
        free_.pop_back();
        return slot;
    }
    void Give(unsigned char* slot) { free_.push_back(slot); }

private:
    bool Grow()
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        auto* page = static_cast<unsigned char*>(
            VirtualAlloc(nullptr, info.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READ));
        if (!page)
            return false;
        for (size_t at = 0; at + kSlotBytes <= info.dwPageSize; at += kSlotBytes)
            free_.push_back(page + at);
        return true;
    }

    std::vector<unsigned char*> free_;
};
