#pragma once

#include <string>

// The host system beneath Wine, for what a test must set up outside Windows: links, file
// modes, small file systems.

// Runs a command line with the host's shell and waits for it; its exit status, or -1 when it
// could not run or did not end within the timeout. Wine gives no handle to wait on for a
// host program, so the shell leaves its status in a file that is waited for.
int RunOnHost(const std::string& command, unsigned timeoutMs = 20000);

// The host's name of a Windows path, or empty.
std::string HostPath(const std::string& windowsPath);

// Makes a symbolic link with the host's ln; false where there are none.
bool MakeLink(const std::string& target, const std::string& link);
