#pragma once

#include "framework/frame_ids.h"

#define IDD_ABOUTBOX 100
#define IDR_LISTVIEW_MENU 203
#define IDC_KEYWORD_BOX 215

#define ID_KEYWORD_DELETE 32772
#define ID_HISTORY_RELOAD 32774
#define ID_IGNORE_CASE 32775
#define ID_FILE_NEW 0xE100
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
