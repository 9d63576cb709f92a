#include "remote_list.h"

#include <commctrl.h>

namespace {

constexpr int kTextOffset = 1024;

} // namespace

RemoteMemory::RemoteMemory(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_)
        memory_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE));
}

RemoteMemory::~RemoteMemory()
{
    if (memory_)
        VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_)
        CloseHandle(process_);
}

void RemoteMemory::Write(size_t offset, const void* data, size_t bytes) const
{
    WriteProcessMemory(process_, memory_ + offset, data, bytes, nullptr);
}

void RemoteMemory::Read(size_t offset, void* data, size_t bytes) const
{
    ReadProcessMemory(process_, memory_ + offset, data, bytes, nullptr);
}

RemoteList::RemoteList(HWND toolWindow) : memory_(toolWindow)
{
    for (HWND child = GetWindow(toolWindow, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongA(child, GWL_STYLE) & LVS_REPORT)
            list_ = child;
}

int RemoteList::Count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<std::string> RemoteList::Numbers()
{
    std::vector<std::string> numbers;
    LVITEMA item{};
    item.pszText = memory_.At(kTextOffset);
    item.cchTextMax = 64;
    memory_.Write(0, &item, sizeof item);
    for (int row = 0, count = Count(); row < count; ++row) {
        char text[64] = {};
        SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(memory_.At(0)));
        memory_.Read(kTextOffset, text, sizeof text - 1);
        numbers.push_back(text);
    }
    return numbers;
}

void RemoteList::SetState(int row, UINT state)
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = state;
    memory_.Send(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), item);
}

void RemoteList::Select(int first, int count)
{
    SetState(-1, 0);
    for (int row = first; row < first + count; ++row)
        SetState(row, LVIS_SELECTED);
}

std::vector<int> RemoteList::Selected() const
{
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}
