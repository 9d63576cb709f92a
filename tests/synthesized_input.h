#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

// Real keyboard and mouse input, as a user would give it, to the foreground window.

// Presses the keys in order and releases them in reverse: modifiers first, released last.
void PressKeys(const std::vector<WORD>& keys);
inline void PressKeys(std::initializer_list<WORD> keys) { PressKeys(std::vector<WORD>(keys)); }
// One key going down or up.
void KeyEvent(WORD key, bool down);
// Moves the mouse to a point of the screen; a left click there.
void MoveMouseTo(POINT screenPoint);
void ClickAt(POINT screenPoint);
