#pragma once

// Creates the main window, runs the thread's message pump until the quit message and
// returns its exit code.
int RunApplication(const char* commandLine, int showCommand);
