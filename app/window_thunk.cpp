#include "window_thunk.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "app_context.h"

namespace {

constexpr size_t kStubBytes = 13;
constexpr size_t kSlotBytes = 16;

// Hands out 16-byte slots from read-and-execute pages; freed slots are reused.
class StubPages {
public:
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

StubPages& Pages()
{
    static StubPages pages;
    return pages;
}

} // namespace

WindowThunk::~WindowThunk()
{
    if (code_) {
        ScopedLock lock(App().windowCreationLock);
        Pages().Give(code_);
    }
}

bool WindowThunk::Bind(void* object, void* procedure)
{
    ScopedLock lock(App().windowCreationLock);
    if (!code_)
        code_ = Pages().Take();
    if (!code_)
        return false;
    // mov dword ptr [esp+4], object ; jmp procedure
    unsigned char stub[kStubBytes] = {0xC7, 0x44, 0x24, 0x04, 0, 0, 0, 0, 0xE9, 0, 0, 0, 0};
    const auto objectAddress = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object));
    const auto jump = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(procedure) -
                                            reinterpret_cast<uintptr_t>(code_ + kStubBytes));
    std::memcpy(stub + 4, &objectAddress, 4);
    std::memcpy(stub + 9, &jump, 4);
    DWORD old = 0;
    if (!VirtualProtect(code_, kStubBytes, PAGE_READWRITE, &old))
        return false;
    std::memcpy(code_, stub, kStubBytes);
    VirtualProtect(code_, kStubBytes, PAGE_EXECUTE_READ, &old);
    FlushInstructionCache(GetCurrentProcess(), code_, kStubBytes);
    return true;
}
