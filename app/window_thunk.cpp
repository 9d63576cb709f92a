#include "window_thunk.h"

#include <cstdint>
#include <cstring>

#include "app_context.h"

namespace {

constexpr size_t kStubBytes = 13;

} // namespace

WindowThunk::~WindowThunk()
{
    if (code_) {
        ScopedLock lock(App().windowCreationLock);
        App().stubPages.Give(code_);
    }
}

bool WindowThunk::Bind(void* object, void* procedure)
{
    ScopedLock lock(App().windowCreationLock);
    if (!code_)
        code_ = App().stubPages.Take();
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
