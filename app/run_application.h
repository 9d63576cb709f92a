#pragma once

// Creates the main window, runs the thread's message pump until the quit message and
// returns its exit code. Defined with the window it creates, in ui/, so that the entry depends
// on no layer above it.
int RunApplication(const char* commandLine, int showCommand);
