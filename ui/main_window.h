#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/message_pump.h"
#include "framework/command_bar.h"
#include "framework/control_font.h"
#include "framework/display_scale.h"
#include "framework/frame_window.h"
#include "framework/ui_state_table.h"
#include "history/keyword_document.h"
#include "file_follower.h"
#include "keyword_list_view.h"

// The tool's only top-level window: the menu bar and the keyword box in a rebar row, the
// keyword list below them and the status bar at the bottom. It owns the document of the
// history file, carries out the user's commands on it and shows what each did.
class MainWindow : public FrameWindowBase, private PumpFilter, private IdleHook {
public:
    MainWindow();
    // Creates the tool's window at its size, centred on the work area, and shows it.
    HWND Open(int showCommand);
    BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                       DWORD handlerSet) override;

    HWND KeywordBox() const { return keywordBox_; }
    HWND List() const { return listView_.Window(); }
    CommandBar& Bar() { return commandBar_; }
    KeywordDocument* Document() { return document_.get(); }
    bool IgnoreCase() const { return ignoreCase_ != 0; }

private:
    // Keys before any window sees them: Tab, the box's search keys, Alt+K, the accelerators.
    int FilterMessage(MSG* message) override;
    int RunIdle() override { return 0; }

    // Building and scaling the window (main_window.cpp, main_window_scale.cpp).
    BOOL OnCreate();
    void OnDestroy();
    BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    void OnInitMenuPopup(HMENU menu);
    void OnNotify(const NMHDR& notification);
    bool OnTimer(UINT_PTR timer);
    void SizeForDpi(); // the window's size at its DPI, or as large as fits the work area
    HWND CreateKeywordBox();
    void ScaleKeywordBox(); // font, margin and height at the window's DPI
    void ScaleBars();       // the rebar, its bands and the status bar, the frame laid out again
    void SetupColumns();
    void LoadIconsForDpi();
    // WM_DPICHANGED, applied once the bar's menu has closed.
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void ApplyPendingDpi();
    // At least every menu button, the label and a usable box across, a few rows down.
    void OnGetMinMaxInfo(MINMAXINFO& limits);

    // Keys (main_window.cpp). Each returns whether it took the key.
    bool TabBetweenBoxAndList(const MSG& message);
    bool SearchBoxKey(const MSG& message); // Esc empties the box, Down and Enter go into the list
    void FocusKeywordBox();

    // The list (main_window_list.cpp).
    std::string Filter() const; // the box's text, as far as it filters (259 bytes)
    void Refill();
    // A row for every matching entry, the highest number at the top, in number order.
    void FillList(const char* filter);
    // The entries' rows put in where the list's order has them, selected; how many are shown.
    int ShowSelected(const std::vector<const KeywordEntry*>& entries);
    // The status bar's second part: keywords shown out of those held, counted or as given.
    void ShowCounts();
    void ShowCounts(int held);
    void PlaceStatusParts();
    void CopySelectedKeywords();
    void ToggleMatching(int& ignoring, UINT id); // the letter case, or width and kana kind
    void ToggleStatusBar();

    // Commands on the file (main_window_file.cpp).
    void OpenHistory();
    void ReloadHistory();
    void DeleteSelectedRows();
    void UndoLastDelete();
    void FollowFile(); // the list follows other programs' changes, keeping the user's view
    CommandResult ReadAgain(const std::function<CommandResult()>& read, bool keepSort);
    // The look after a write, when due: the rows follow what an older copy of the file undid.
    void SettleLastWrite();
    void WarnWrittenBack(int notDeleted, int notRestored, const FileFailure& failure); // by an older copy
    void ScheduleLook();
    void ShowUndoState(const CommandResult& result);
    void ReportNotRead();
    // A command's message (and tooltip), until the next command, selection or filter.
    void ShowStatus(const std::string& text);
    void ClearStatus();

    BOOL ReflectNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    UiStateTable uiState_;
    KeywordListView listView_;
    CommandBar commandBar_;
    std::unique_ptr<KeywordDocument> document_;
    std::unique_ptr<FileFollower> follower_;
    Waiting waiting_;
    HWND keywordBox_ = nullptr;
    UINT dpi_ = kBaseDpi;
    std::pair<UINT, RECT> pendingDpi_{}; // a change of scale that waits for the bar's menu to close
    ControlFont boxFont_;
    ControlFont listFont_;
    UniqueIcon largeIcon_;
    UniqueIcon smallIcon_;
    std::string countsText_; // what the status bar's second part says
    int ignoreCase_ = 0, ignoreWidth_ = 0; // the matching switches, 1 while on
    bool keepingStatus_ = false; // the list refilled for the file, not for the user
    static constexpr UINT kReportNotRead = WM_APP; // history.ini could not be read at start
    static constexpr UINT kApplyPendingDpi = WM_APP + 1;
    static constexpr UINT_PTR kLookTimer = 1;
};
