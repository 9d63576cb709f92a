#pragma once

#include <cstdint>

// Waits on the window's thread while history.ini is busy, keeping the windows alive: they
// repaint and answer other programs' messages, and the pointer shows the wait cursor. Keys and
// clicks wait in the queue, so no second command starts before the first has ended.
void WaitKeepingWindowsAlive(uint32_t ms);
