#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/message_pump.h"
#include "temp_folder.h"
#include "ui/main_window.h"

// A real main window in a temporary folder holding the given history.ini, with a registered
// pump so that its accelerators work as in the program.
class MainWindowFixture {
public:
    explicit MainWindowFixture(const std::string& history);
    ~MainWindowFixture();

    // Dispatches the queued messages the way the program's pump does, until none is left.
    void Pump();
    // Pumps until the condition holds, or for the timeout (stretched by the time scale); returns
    // whether it held.
    bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
    // Sends a command to the window as its menu would, then pumps until the look at the file
    // that follows a write has been.
    void Command(UINT id);
    // Presses and releases keys with real keyboard input, modifiers first and released last,
    // and pumps until the thread has taken the last release from its queue.
    void PressKeys(std::initializer_list<WORD> keys);
    // The rows from top to bottom as "number:text".
    std::vector<std::string> Rows();
    void SelectRows(std::initializer_list<int> rows);
    // The selected rows, from top to bottom.
    std::vector<int> SelectedRows();
    // What a part of the status bar says: the messages in the first, the counts in the second.
    std::string StatusText(int part = 0);
    void Type(const std::string& text);

    MainWindow window;
    MessagePump pump;
    std::unique_ptr<TempFolder> folder;
    HWND frame = nullptr;
    int quitCode = -1; // the code of a quit message the window posted, -1 for none
};
