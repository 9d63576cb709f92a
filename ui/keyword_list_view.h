#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <unordered_set>
#include <vector>

#include "app/window_object.h"
#include "history/keyword_entry.h"
#include "history/keyword_history.h"
#include "history/keyword_matching.h"

// The report list of keywords. Each row shows an entry's number and text; the rows live here
// as pointers to the entries (the list control only knows how many there are and asks for the
// texts of the rows it paints), so filling the list costs no more than finding the matches.
// It sorts itself when a column header is clicked and offers the delete command on a context
// menu while rows are selected.
class KeywordListView : public WindowObject {
public:
    // What the user sees of the list, by keyword number: kept across a reading of the file.
    struct View {
        std::vector<int32_t> selected;
        std::optional<int32_t> focused;
        std::optional<int32_t> top; // the keyword at the top of the view
        int topRow = 0;
        SortState sort;
    };

    HWND Create(HWND parent, DWORD style, DWORD extendedStyle);
    BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                       DWORD handlerSet) override;

    // Puts rows after the existing ones, in the order given; those of marked entries are
    // selected.
    void AppendRows(const std::vector<const KeywordEntry*>& rows);
    // Puts rows where the present sort order has them, and makes them the selection, the
    // first of them focused and in view. The marked entries are selected whenever a later fill
    // shows them, until the user selects with the mouse or the keys, or ForgetMarks.
    void InsertSelected(const std::vector<const KeywordEntry*>& rows, const std::vector<const KeywordEntry*>& marked);
    void ForgetMarks() { marked_.clear(); }
    // Removes the rows of those entries.
    void RemoveRowsOf(const std::vector<const KeywordEntry*>& entries);
    const KeywordEntry* EntryAt(int row) const;
    const SortState& Sort() const { return sortState_; }
    // Back to number order, newest first, as after every fill.
    void ResetSortOrder();
    // The keyword column takes whatever width the other column leaves, never less than this.
    void SetKeywordColumnMinimum(int width);
    View KeepView() const;
    // Gives a list filled anew the view it had, where its keywords are still listed; the sort
    // too, unless the fill's own order is wanted (F5).
    void RestoreView(const View& view, bool keepSort);
    // Selects and focuses the row, scrolled into view: where the keyboard goes on from.
    void SelectRow(int row);
    // The selected rows, in the list's order.
    std::vector<int> SelectedRows() const;
    // Whether typing in the list reads width and kana kind alike, as the filter does.
    void SetIgnoreWidth(bool ignore) { ignoreWidth_ = ignore; }
    // The history whose entries the rows show: sorting by keyword has it rank their texts.
    void ShowEntriesOf(KeywordHistory* history) { history_ = history; }

private:
    void ShowContextMenu(LPARAM lParam);
    void SortByColumn(int column);
    // Puts the rows in the order of the sort state, the selection and focus staying with their
    // keywords.
    void SortRows();
    // The sorted column's header shows the system's arrow, where common controls 6 draw one.
    void ShowSortArrow();
    void FitKeywordColumn();
    void SelectAll();
    void ShowRowText(LVITEMA& item) const;
    void OnDeleteItem(WPARAM row);
    void OnSize();
    BOOL OnKeyDown(WPARAM key);
    BOOL OnNotify(NMHDR& notification, LRESULT& result);
    // Typing in the list: the row found for what was typed, or -1.
    int FindRow(const NMLVFINDITEMA& find) const;
    int FindRow(const NMLVFINDITEMW& find) const;

    std::vector<const KeywordEntry*> rows_;
    std::unordered_set<const KeywordEntry*> marked_;
    SortState sortState_;
    KeywordHistory* history_ = nullptr;
    int keywordColumnMinimum_ = 0;
    bool ignoreWidth_ = true;
    bool fitPosted_ = false; // a fit of the keyword column waits in the queue
    static constexpr UINT kFitKeywordColumn = WM_APP;
};
