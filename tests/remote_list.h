#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A block of memory in the process of a window, for the messages whose structures that
// process must read or write.
class RemoteMemory {
public:
    explicit RemoteMemory(HWND window);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool Ready() const { return memory_ != nullptr; }
    // The address of offset there.
    char* At(size_t offset) const { return memory_ + offset; }
    void Write(size_t offset, const void* data, size_t bytes) const;
    void Read(size_t offset, void* data, size_t bytes) const;
    // Sends the message with lParam pointing to a copy of data there, then reads the copy back.
    template <typename Data>
    LRESULT Send(HWND window, UINT message, WPARAM wParam, Data& data) const
    {
        Write(0, &data, sizeof data);
        const LRESULT result = SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(memory_));
        Read(0, &data, sizeof data);
        return result;
    }
    static constexpr size_t kBytes = 4096;

private:
    HANDLE process_ = nullptr;
    char* memory_ = nullptr;
};

// The keyword list of the tool running as its own process, worked from the test's process:
// the list messages that carry structures get them in the tool's memory.
class RemoteList {
public:
    // The report list among the children of the tool's top-level window.
    explicit RemoteList(HWND toolWindow);
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    bool Found() const { return list_ && memory_.Ready(); }
    HWND Window() const { return list_; }
    int Count() const;
    // The first column of every row, from top to bottom.
    std::vector<std::string> Numbers();
    // Selects the rows first to first + count - 1 and nothing else.
    void Select(int first, int count);
    // The selected rows, from top to bottom.
    std::vector<int> Selected() const;

private:
    void SetState(int row, UINT state);

    HWND list_ = nullptr;
    RemoteMemory memory_; // an LVITEMA and a text buffer
};
