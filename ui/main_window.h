#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/message_pump.h"
#include "framework/command_bar.h"
#include "framework/control_font.h"
#include "framework/display_scale.h"
#include "framework/frame_window.h"
#include "framework/ui_state_table.h"
#include "history/keyword_history.h"
#include "keyword_list_view.h"

// The tool's only top-level window: the menu bar and the keyword box in a rebar row, the
// keyword list below them and the status bar at the bottom. It owns the keyword history.
class MainWindow : public FrameWindowBase {
public:
    using RowAction = std::function<void(MainWindow& window, int row, const KeywordEntry* entry)>;

    MainWindow();
    // Creates the tool's window at its size, centred on the work area, and shows it.
    HWND Open(int showCommand);

    BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                       DWORD handlerSet) override;

    // The two columns, at the window's DPI.
    void SetupColumns();
    // Adds a row for every entry that matches the filter, the highest number at the top, and
    // returns the sort to that order.
    void FillList(const char* filter);
    // Puts in the rows of the entries the filter shows, where the list's order has them, as the
    // selection; the others are selected once a later fill shows them. Returns how many it put in.
    int ShowSelected(const std::vector<const KeywordEntry*>& entries);
    // Says in the status bar's second part how many keywords the list shows out of how many the
    // history holds (counted, or as the caller counted them), and that the filter matches none.
    void ShowCounts();
    void ShowCounts(int held);
    // Visits the selected rows from the last to the first, so an action may delete its row.
    void ForEachSelected(const RowAction& action);
    // Puts the selected rows' keywords on the clipboard, one a line, in the list's order.
    void CopySelectedKeywords();
    // Removes the row once its keyword is blank.
    static void DeleteRow(MainWindow& window, int row, const KeywordEntry* entry);
    // Deletes every selected row's keyword, writing the file once for all of them. Rows whose
    // keyword the file still holds stay selected, and a message says why.
    void DeleteSelectedRows();
    // Reads history.ini again, keeping the typed filter; a file that cannot be read whole
    // leaves the list as it was, and a message says why.
    void ReloadHistory();
    // Gives back what the last delete not yet undone blanked: the keywords come back into the
    // list where the filter matches them, in its order, and selected; what cannot come back
    // is said in a message.
    void UndoLastDelete();
    // Looks at history.ini once more after the last write, if that is still due: what a program
    // that wrote an older copy back undid is written again, and what cannot be comes back into
    // the list (KeywordHistory::LookAgain).
    void SettleLastWrite(const Deadline& deadline);

    // Tab and Shift+Tab move the focus between the keyword box and the list, as in a dialog.
    // True when the key was taken.
    bool TabBetweenBoxAndList(const MSG& message);
    // The keyword box as a search box: Esc empties it, Down and Enter go into the list,
    // selecting its first row when none is. True when the key was taken.
    bool SearchBoxKey(const MSG& message);
    // Moves the focus into the keyword box, its text selected.
    void FocusKeywordBox();

    HWND KeywordBox() const { return keywordBox_; }
    HWND List() const { return listView_.Window(); }
    KeywordListView& ListView() { return listView_; }
    CommandBar& Bar() { return commandBar_; }
    KeywordHistory* History() { return history_.get(); }
    bool IgnoreCase() const { return ignoreCase_ != 0; }
    // What the keyword box holds, as far as it filters the list (259 bytes).
    std::string Filter() const;

private:
    // Translates the accelerators (Delete, F5) before any window sees the key.
    class AcceleratorFilter : public PumpFilter {
    public:
        explicit AcceleratorFilter(MainWindow& owner) : owner_(owner) {}
        int FilterMessage(MSG* message) override;

    private:
        MainWindow& owner_;
    };
    class NoIdleWork : public IdleHook {
    public:
        int RunIdle() override { return 0; }
    };
    // While the window works on history.ini it may wait for the file, answering other
    // programs' messages meanwhile. Commands and closing that arrive then are carried out, in
    // their order, once the work is done.
    class Busy {
    public:
        explicit Busy(MainWindow& owner);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        MainWindow& owner_;
        bool outermost_;
    };
    struct Deferred {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    BOOL OnCreate();
    void OnDestroy();
    // The window's size at its DPI, or as large as fits the work area.
    void SizeForDpi();
    HWND CreateKeywordBox();
    // The box's font, margin and height at the window's DPI.
    void ScaleKeywordBox();
    // The rebar, its bands and the status bar at the window's DPI, the frame laid out again.
    void ScaleBars();
    void LoadIconsForDpi();
    // The window has moved to a monitor of another scale (WM_DPICHANGED): everything it sizes
    // itself takes that DPI, and the window the rectangle Windows suggests.
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void ApplyPendingDpi();
    // The status bar's first part takes what the counts' text leaves.
    void PlaceStatusParts();
    // The least the window can be made: the bar's buttons, the label and a usable box across,
    // a few rows of the list down.
    void OnGetMinMaxInfo(MINMAXINFO& limits);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    void Refill();
    void ToggleIgnoreCase();
    void ToggleStatusBar();
    // Creates the history over .\history.ini, removes what a stopped delete left beside it and
    // loads it.
    void OpenHistory();
    void ReportUndeleted(const WriteOutcome& outcome);
    // Sets the timer of the look after a write, when one is due.
    void ScheduleLook();
    // Keeps a delete's blanked keywords for undoing, the last hundred deletes at most.
    void RememberForUndo(UndoStep blanked);
    // Forgets keywords whose deletion the file no longer holds.
    void ForgetForUndo(const std::vector<const KeywordEntry*>& entries);
    // Forgets every delete once a command has found history.ini missing, and says so.
    void ForgetUndoIfGone(const FileFailure& failure);
    void ReportNotRead();
    // Says what a command did in the status bar's text, until the next command says something
    // or the selection or the filter changes. Its tooltip shows a text too long for its part.
    void ShowStatus(const std::string& text);
    // Takes back what the last command said once the user has gone on.
    void ClearStatus();
    BOOL ReflectNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    AcceleratorFilter acceleratorFilter_;
    NoIdleWork idleHook_;
    UiStateTable uiState_;
    KeywordListView listView_;
    CommandBar commandBar_;
    std::unique_ptr<KeywordHistory> history_;
    HWND keywordBox_ = nullptr;
    UINT dpi_ = kBaseDpi;
    struct PendingDpi {
        UINT dpi;
        RECT suggested;
    };
    PendingDpi pendingDpi_{}; // a change of scale that waits for the bar's menu to close
    ControlFont boxFont_;
    ControlFont listFont_;
    UniqueIcon largeIcon_;
    UniqueIcon smallIcon_;
    std::string countsText_; // what the status bar's second part says
    int ignoreCase_ = 0;
    bool busy_ = false; // reading or writing history.ini, which may wait for the file
    std::vector<Deferred> deferred_; // what arrived meanwhile
    Waiting waiting_;
    std::vector<UndoStep> undoSteps_; // the newest last; forgotten when the tool closes
    static constexpr UINT kReportNotRead = WM_APP; // history.ini could not be read at start
    static constexpr UINT kApplyPendingDpi = WM_APP + 1;
    static constexpr UINT_PTR kLookTimer = 1;
    static constexpr int kStatusPartPadding = 12; // the counts' part beside its text, at 96 DPI
};
