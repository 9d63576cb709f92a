// Prints how long the tool's work takes on histories of several sizes, one line per
// measurement: "<what> <keywords> <median milliseconds>".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "history/keyword_history.h"

namespace {

const char kPath[] = ".\\history.ini";

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double MedianMs(int runs, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A history as the search application writes it: Japanese and ASCII keywords, some deleted.
void WriteHistory(int keywords)
{
    static const char* const words[] = {"\x95\x5C\x8E\xA6\x90\xDD\x92\xE8", "\x83\x5C\x83\x74\x83\x67",
                                        "Wine", "\x94\x5C\x97\xCD", "search query", "\x82\x60\x82\x61\x82\x62",
                                        "\xB1\xB2\xB3", "Tarnwell"};
    std::string file = "[Keywords]\r\nStartPos=0\r\nEndPos=" + std::to_string(keywords) + "\r\n";
    for (int n = 0; n < keywords; ++n) {
        file += std::to_string(n) + "=";
        if (n % 17 != 5)
            file += std::string(words[n % 8]) + " " + std::to_string(n * 7919 % 100003);
        file += "\r\n";
    }
    HANDLE out = CreateFileA(kPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(out);
}

void Report(const char* what, long keywords, double ms)
{
    std::printf("%s %ld %.1f\n", what, keywords, ms);
    std::fflush(stdout);
}

} // namespace

int main()
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string work = std::string(folder) + "tnw-bench";
    CreateDirectoryA(work.c_str(), nullptr);
    SetCurrentDirectoryA(work.c_str());

    for (int keywords : {1000, 10000, 100000}) {
        WriteHistory(keywords);
        Report("load", keywords, MedianMs(5, [] {
                   KeywordHistory history(kPath);
                   history.Load();
               }));
        if (keywords == 1000) {
            // The same load with one system read per key, for comparison.
            Report("load-key-by-key", keywords, MedianMs(3, [] {
                       char buffer[260];
                       for (int n = 0; n < 1000; ++n)
                           GetPrivateProfileStringA("Keywords", std::to_string(n).c_str(), "", buffer, 260, kPath);
                   }));
        }
        KeywordHistory history(kPath);
        history.Load();
        int next = 0;
        Report("delete-one", keywords, MedianMs(21, [&] {
                   while (!*history.ConstEntries()[next].Text())
                       ++next;
                   history.SetKeyword(history.ConstEntries()[next].Number(), "");
               }));
    }

    // A corrupted file: EndPos millions past its last key.
    HANDLE out = CreateFileA(kPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const char sparse[] = "[Keywords]\r\nStartPos=0\r\nEndPos=9999999\r\n0=a\r\n1=b\r\n2=c\r\n";
    DWORD written = 0;
    WriteFile(out, sparse, sizeof sparse - 1, &written, nullptr);
    CloseHandle(out);
    Report("load-sparse", 9999999, MedianMs(3, [] {
               KeywordHistory history(kPath);
               history.Load();
           }));
    DeleteFileA(kPath);
    SetCurrentDirectoryA(folder);
    RemoveDirectoryA(work.c_str());
    return 0;
}
