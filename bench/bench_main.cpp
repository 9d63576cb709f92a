// Prints how long the tool's work takes on histories of several sizes, one line per
// measurement: "<what> <keywords> <median milliseconds>".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <commctrl.h>
#include <psapi.h>

#include "bench_session.h"
#include "floors.h"
#include "history/keyword_history.h"
#include "ui/main_window.h"
#include "ui/resource.h"
#include "timing.h"

namespace {

const char kPath[] = ".\\history.ini";

// A history as the search application writes it: Japanese and ASCII keywords, some deleted.
std::string HistoryText(int keywords)
{
    // Half of the words hold an "a": a one-letter filter matches about half the rows.
    static const char* const words[] = {"\x95\x5C\x8E\xA6\x90\xDD\x92\xE8", "\x83\x5C\x83\x74\x83\x67",
                                        "Wine bar", "\x94\x5C\x97\xCD data", "search query",
                                        "\x82\x60\x82\x61\x82\x62", "\xB1\xB2\xB3", "Tarnwell"};
    std::string file = "[Keywords]\r\nStartPos=0\r\nEndPos=" + std::to_string(keywords) + "\r\n";
    for (int n = 0; n < keywords; ++n) {
        file += std::to_string(n) + "=";
        if (n % 17 != 5)
            file += std::string(words[n % 8]) + " " + std::to_string(n * 7919 % 100003);
        file += "\r\n";
    }
    return file;
}

void WriteHistory(int keywords) { BenchSession::WriteHistory(HistoryText(keywords)); }

void Report(const char* what, long keywords, double ms)
{
    std::printf("%s %ld %.1f\n", what, keywords, ms);
    std::fflush(stdout);
}

// A value of exactly the given bytes. One in three is all double-byte characters, so with an
// even length one of them sits across the 259 bytes the reader keeps; one in three shifts the
// same characters by a byte so none does; the rest are ASCII.
std::string LongValue(int n, size_t bytes)
{
    std::string value;
    if (n % 3 == 1)
        value = "x";
    if (n % 3 != 2) {
        while (value.size() + 2 <= bytes)
            value += "\x82\xA0";
    }
    value.resize(bytes, 'a');
    return value;
}

// About 10 MB of keywords, every one a byte longer than the reader keeps.
int WriteLongValuesHistory()
{
    const int keywords = 38000;
    std::string file = "[Keywords]\r\nStartPos=0\r\nEndPos=" + std::to_string(keywords) + "\r\n";
    for (int n = 0; n < keywords; ++n)
        file += std::to_string(n) + "=" + LongValue(n, 260) + "\r\n";
    BenchSession::WriteHistory(file);
    return keywords;
}

// A million one-letter keywords, then a few thousand long ones at the end of the file.
int WriteMillionLinesHistory()
{
    const int shortKeywords = 1000000;
    const int keywords = shortKeywords + 5000;
    std::string file = "[Keywords]\r\nStartPos=0\r\nEndPos=" + std::to_string(keywords) + "\r\n";
    for (int n = 0; n < shortKeywords; ++n)
        file += std::to_string(n) + "=k\r\n";
    for (int n = shortKeywords; n < keywords; ++n)
        file += std::to_string(n) + "=" + LongValue(n, 300) + "\r\n";
    BenchSession::WriteHistory(file);
    return keywords;
}

void LoadHistory()
{
    KeywordHistory history(kPath);
    history.Load();
}

// Destroys the window, lets its last messages and the quit it posts pass, then frees it.
struct CloseMainWindow {
    void operator()(MainWindow* window) const
    {
        DestroyWindow(window->Window());
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        delete window;
    }
};
using OpenWindow = std::unique_ptr<MainWindow, CloseMainWindow>;

// The real main window as the tool starts: created, loaded from history.ini, filled and
// painted on screen.
OpenWindow OpenMainWindow()
{
    OpenWindow window(new MainWindow);
    UpdateWindow(window->Open(SW_SHOWNORMAL));
    return window;
}

// Dispatches the thread's messages as the tool's loop does, until the condition holds or for
// the time given.
template <typename Condition>
void PumpUntil(Condition condition, double timeoutMs)
{
    const double start = Now();
    for (MSG message; !condition() && Now() - start < timeoutMs;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

// From another program's write of one new keyword, in one write of the file, to its row on
// the screen; each write after the half second the window leaves between its readings.
double FollowMs(MainWindow& window, int keywords)
{
    const HWND list = window.List();
    int added = 0;
    std::string file;
    LRESULT rows = 0;
    return MedianMs(5, [&] {
        ++added;
        file = HistoryText(keywords);
        const std::string endPos = "EndPos=" + std::to_string(keywords);
        file.replace(file.find(endPos), endPos.size(), "EndPos=" + std::to_string(keywords + added));
        for (int n = keywords; n < keywords + added; ++n)
            file += std::to_string(n) + "=followed " + std::to_string(n) + "\r\n";
        PumpUntil([] { return false; }, 600);
        rows = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    }, [&] {
        BenchSession::WriteHistory(file);
        PumpUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > rows; }, 10000);
        UpdateWindow(list);
    });
}

// The median start-up of three, each after closing the window before it and then before();
// the window of the last run stays open.
template <typename Before>
double MedianStartupMs(OpenWindow& window, Before before)
{
    return MedianMs(3, [&] {
        window.reset();
        before();
    }, [&] { window = OpenMainWindow(); });
}

// The real main window on screen: start-up to a painted window, one keystroke's refill
// (a filter matching about half the rows, then back to the empty filter), F5, and deleting
// 1,000 selected rows; and the floors under them on the same history.
void MeasureWindow(int keywords)
{
    OpenWindow window;
    Report("startup", keywords, MedianStartupMs(window, [] {}));
    const HWND box = window->KeywordBox();
    const HWND list = window->List();
    auto refillHalf = [&] {
        return MedianMs(5, [&] { SetWindowTextA(box, ""); }, [&] {
            SendMessageA(box, WM_CHAR, 'a', 1);
            UpdateWindow(list);
        });
    };
    Report("refill-half", keywords, refillHalf());
    // The same with width and kana kind counting, as they do with the switch off.
    SendMessageA(window->Window(), WM_COMMAND, ID_IGNORE_WIDTH, 0);
    Report("refill-half-exact", keywords, refillHalf());
    SendMessageA(window->Window(), WM_COMMAND, ID_IGNORE_WIDTH, 0);
    Report("refill-empty", keywords, MedianMs(5, [&] {
               SetWindowTextA(box, "a");
               SendMessageA(box, EM_SETSEL, 1, 1);
           }, [&] {
               SendMessageA(box, WM_CHAR, '\b', 1);
               UpdateWindow(list);
           }));
    auto clickKeywordColumn = [&] {
        NMLISTVIEW click{};
        click.hdr.hwndFrom = list;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = 1;
        SendMessageA(window->Window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
        UpdateWindow(list);
    };
    Report("sort-keyword", keywords, MedianMs(5, clickKeywordColumn));
    // The first sort by keyword after a load also ranks the history's texts.
    Report("sort-keyword-first", keywords, MedianMs(3, [&] {
               SendMessageA(window->Window(), WM_COMMAND, ID_HISTORY_RELOAD, 0);
               UpdateWindow(list);
           }, clickKeywordColumn));
    Report("reload", keywords, MedianMs(5, [&] {
               SendMessageA(window->Window(), WM_COMMAND, ID_HISTORY_RELOAD, 0);
               UpdateWindow(list);
           }));
    const KeywordList& entries = window->Document()->History().ConstEntries();
    Report("floor-list", keywords, FloorListMs(list, entries));
    Report("floor-scan", keywords, FloorScanMs(entries));
    Report("floor-read", keywords, FloorReadMs(kPath));
    Report("floor-system-read", keywords, FloorSystemReadMs(kPath));
    // Every twentieth row, up to 1,000 of them, deleted and given back, five times.
    LVITEMA selected{};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    const auto rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const int step = std::max(1, rows / 1000);
    const int count = std::min(1000, (rows + step - 1) / step);
    std::vector<double> deletes, undos;
    for (int run = 0; run < 5; ++run) {
        for (int row = 0, n = 0; n < count; row += step, ++n)
            SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&selected));
        const double start = Now();
        SendMessageA(window->Window(), WM_COMMAND, ID_KEYWORD_DELETE, 0);
        UpdateWindow(list);
        const double undoStart = Now();
        SendMessageA(window->Window(), WM_COMMAND, ID_EDIT_UNDO, 0);
        UpdateWindow(list);
        deletes.push_back(undoStart - start);
        undos.push_back(Now() - undoStart);
    }
    std::sort(deletes.begin(), deletes.end());
    std::sort(undos.begin(), undos.end());
    Report(count == 1000 ? "delete-1000" : "delete-all", keywords, deletes[2]);
    Report(count == 1000 ? "undo-1000" : "undo-all", keywords, undos[2]);
    Report("follow", keywords, FollowMs(*window, keywords));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    // Wine gives the memory committed at this moment as the peak; the peak of the working set
    // is the highest so far on Windows and under Wine alike, system libraries included.
    Report("peak-memory-mb", keywords, static_cast<double>(counters.PeakPagefileUsage) / (1024 * 1024));
    Report("peak-working-set-mb", keywords, static_cast<double>(counters.PeakWorkingSetSize) / (1024 * 1024));
}

// Files written to hurt the reader: each is read alone, then opened in the window. Every run
// reads a file written just before it, as a tool just started would: the system's profile
// reader keeps the file it parsed last, and later reads of the same file skip the parsing.
void MeasureHostile(const char* loadWhat, const char* startupWhat, int (*write)())
{
    const int keywords = write();
    Report(loadWhat, keywords, MedianMs(3, write, LoadHistory));
    OpenWindow window;
    Report(startupWhat, keywords, MedianStartupMs(window, write));
}

} // namespace

int main()
{
    const BenchSession session("tnw-bench");

    for (int keywords : {1000, 10000, 100000}) {
        WriteHistory(keywords);
        Report("load", keywords, MedianMs(5, LoadHistory));
        if (keywords == 1000) {
            // The same load with one system read per key, for comparison.
            Report("load-key-by-key", keywords, MedianMs(3, [] {
                       char buffer[260];
                       for (int n = 0; n < 1000; ++n)
                           GetPrivateProfileStringA("Keywords", std::to_string(n).c_str(), "", buffer, 260, kPath);
                   }));
        }
        {
            KeywordHistory history(kPath);
            history.Load();
            int next = 0;
            // Each delete as the user sees it, up to its row leaving the list; the look at the
            // file that follows a moment later runs between the deletes.
            Report("delete-one", keywords, MedianMs(21, [&] { history.LookAgain(Deadline()); }, [&] {
                       while (!*history.ConstEntries()[next].Text())
                           ++next;
                       history.SetKeyword(history.ConstEntries()[next].Number(), "");
                   }));
        }
        WriteHistory(keywords);
        MeasureWindow(keywords);
    }

    // A corrupted file: EndPos millions past its last key.
    BenchSession::WriteHistory("[Keywords]\r\nStartPos=0\r\nEndPos=9999999\r\n0=a\r\n1=b\r\n2=c\r\n");
    Report("load-sparse", 9999999, MedianMs(3, LoadHistory));

    MeasureHostile("load-long-values", "startup-long-values", WriteLongValuesHistory);
    MeasureHostile("load-million-lines", "startup-million-lines", WriteMillionLinesHistory);
    return 0;
}
