#include "about_dialog.h"

#include "framework/frame_window.h"
#include "resource.h"

INT_PTR AboutDialog::RunModal(HWND owner, LPARAM parameter) { return RunModalDialog(owner, IDD_ABOUTBOX, parameter); }

BOOL AboutDialog::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result, DWORD handlerSet)
{
    if (handlerSet != kOwnWindow)
        return FALSE;
    if (message == WM_INITDIALOG) {
        PlaceCentred(window, GetParent(window));
        result = 1;
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wParam));
        result = 0;
        return TRUE;
    }
    return FALSE;
}
