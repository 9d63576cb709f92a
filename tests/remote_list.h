#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The keyword list of the tool running as its own process, worked from the test's process:
// the list messages that carry structures get them in the tool's memory.
class RemoteList {
public:
    // The report list among the children of the tool's top-level window.
    explicit RemoteList(HWND toolWindow);
    ~RemoteList();
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    bool Found() const { return memory_ != nullptr; }
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
    HANDLE process_ = nullptr;
    char* memory_ = nullptr; // an LVITEMA and a text buffer in the tool's memory
};
