#pragma once

#include <windows.h>

#include <initializer_list>

// Real keyboard and mouse input, as a user would give it, to the foreground window.

// Presses the keys in order and releases them in reverse: modifiers first, released last.
void PressKeys(std::initializer_list<WORD> keys);
// A left click at a point of the screen.
void ClickAt(POINT screenPoint);
