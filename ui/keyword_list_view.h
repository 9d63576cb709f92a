#pragma once

#include <windows.h>

#include <commctrl.h>

#include "app/window_object.h"
#include "history/sort_state.h"

// The report list of keywords. Rows show an entry's number and text and carry a pointer to
// the entry; the list sorts itself when a column header is clicked and offers the delete
// command on a context menu while rows are selected.
class KeywordListView : public WindowObject {
public:
    HWND Create(HWND parent, DWORD style, DWORD extendedStyle);
    BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                       DWORD handlerSet) override;

    SortState& Sort() { return sortState_; }

private:
    void ShowContextMenu(LPARAM lParam);
    void SortByColumn(int column);
    // Fills in the text of a row's column from the entry the row points to.
    void ShowRowText(LVITEMA& item);

    SortState sortState_;
};
