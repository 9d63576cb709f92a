#pragma once

#include <windows.h>

#include <string>

#include "app/app_context.h"

// What a measuring program needs around the work it measures: the program's own platform
// set-up and module state, and a scratch folder that is the current directory while the
// session lasts (history.ini is written there) and is removed afterwards.
class BenchSession {
public:
    explicit BenchSession(const char* folderName);
    ~BenchSession();
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    // Writes history.ini in the scratch folder.
    static void WriteHistory(const std::string& bytes) { WriteFileBytes("history.ini", bytes); }
    // Writes a file, replacing what it held.
    static void WriteFileBytes(const char* path, const std::string& bytes);

private:
    struct CommonControls {
        CommonControls();
    } controls_;
    AppContextScope context_;
    std::string previous_;
    std::string scratch_;
};
