#include "floors.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/unique_any.h"
#include "bench_session.h"
#include "history/file_target.h"
#include "timing.h"

namespace {

using Rows = std::vector<const KeywordEntry*>;

// The host of the bare list answers its requests for texts, as the keyword list's owner does.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOA) {
        const auto* rows = reinterpret_cast<const Rows*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0 && item.iItem >= 0 &&
            static_cast<size_t>(item.iItem) < rows->size()) {
            const KeywordEntry& entry = *(*rows)[static_cast<size_t>(item.iItem)];
            char number[16];
            std::snprintf(number, sizeof number, "%d", static_cast<int>(entry.Number()));
            lstrcpynA(item.pszText, item.iSubItem == 0 ? number : entry.Text(), item.cchTextMax);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* HostClass()
{
    static const char name[] = "TnwFloorHost";
    static const ATOM atom = [] {
        WNDCLASSA host{};
        host.lpfnWndProc = HostProc;
        host.hInstance = GetModuleHandleA(nullptr);
        host.lpszClassName = name;
        return RegisterClassA(&host);
    }();
    return atom ? name : nullptr;
}

// Gives the bare list the keyword list's columns: widths and header texts.
void CopyColumns(HWND from, HWND to)
{
    char text[64];
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    for (int i = 0; SendMessageA(from, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)); ++i)
        SendMessageA(to, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
}

} // namespace

double FloorListMs(HWND keywordList, const KeywordList& entries)
{
    Rows rows;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        if (*entry->Text())
            rows.push_back(&*entry);
    const HWND parent = GetParent(keywordList);
    RECT place{};
    GetWindowRect(keywordList, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    const UniqueWindow host(CreateWindowExA(0, HostClass(), nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                            place.left, place.top, place.right - place.left,
                                            place.bottom - place.top, parent, nullptr, GetModuleHandleA(nullptr),
                                            nullptr));
    SetWindowLongPtrA(host.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&rows));
    SetWindowPos(host.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(keywordList, GWL_STYLE)) | LVS_OWNERDATA;
    const HWND list = CreateWindowExA(static_cast<DWORD>(GetWindowLongA(keywordList, GWL_EXSTYLE)), WC_LISTVIEWA,
                                      nullptr, style, 0, 0, place.right - place.left, place.bottom - place.top,
                                      host.get(), nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, SendMessageA(keywordList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    SendMessageA(list, WM_SETFONT, SendMessageA(keywordList, WM_GETFONT, 0, 0), FALSE);
    CopyColumns(keywordList, list);
    UpdateWindow(host.get());
    return MedianMs(5, [&] {
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        SendMessageA(list, LVM_SETITEMCOUNT, rows.size(), LVSICF_NOSCROLL);
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
    });
}

double FloorScanMs(const KeywordList& entries)
{
    size_t found = 0;
    const double ms = MedianMs(5, [&] {
        for (const KeywordEntry& entry : entries)
            found += std::strstr(entry.Text(), "a") != nullptr;
    });
    // Keeps the search from being left out for want of a use of its result.
    volatile size_t sink = found;
    (void)sink;
    return ms;
}

namespace {

// The bytes as the tool reads them before a change.
FileBytes WholeFile(const char* path)
{
    FileBytes file;
    ReadFileBytes(std::wstring(path, path + std::strlen(path)), file);
    return file;
}

} // namespace

double FloorReadMs(const char* path)
{
    return MedianMs(5, [&] { WholeFile(path); });
}

double FloorSystemReadMs(const char* path)
{
    // The reader keeps what it parsed of a file that was not written in the last seconds; a
    // copy written just before each read is parsed every time.
    const char copy[] = ".\\floor-system-read.ini";
    const std::string bytes = WholeFile(path).bytes;
    std::vector<char> section(bytes.size() + 4096);
    const double ms = MedianMs(5, [&] { BenchSession::WriteFileBytes(copy, bytes); }, [&] {
        GetPrivateProfileSectionA("Keywords", section.data(), static_cast<DWORD>(section.size()), copy);
    });
    BenchSession::WriteFileBytes(copy, "");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy);
    DeleteFileA(copy);
    return ms;
}
