#pragma once

#include "framework/frame_ids.h"

#define IDD_ABOUTBOX 100
#define IDR_LISTVIEW_MENU 203
#define IDC_KEYWORD_BOX 215

#define ID_KEYWORD_DELETE 32772
#define ID_HISTORY_RELOAD 32774
#define ID_IGNORE_CASE 32775
#define ID_IGNORE_WIDTH 32776
#define ID_FILE_NEW 0xE100
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_UNDO 0xE12B
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141

// Why the keywords of a delete command were not deleted.
#define IDS_NOT_DELETED 310
#define IDS_KEYWORD_CHANGED 311
#define IDS_FILE_KEPT_CHANGING 312
#define IDS_CHECK_FAILED 313
// Why history.ini was not read, and what a stopped delete left.
#define IDS_NOT_READ 314
#define IDS_FILE_TOO_LARGE 315
#define IDS_LEFTOVER_NOT_REMOVED 316
// What an undo gave back, and why it could not give back some.
#define IDS_RESTORED 317
#define IDS_NOT_RESTORED 318
#define IDS_NUMBER_REUSED 319
#define IDS_RESTORED_HIDDEN 320
#define IDS_NOTHING_TO_UNDO 321
#define IDS_RESTORED_UNLISTED 326
#define IDS_UNDO_FORGOTTEN 327
#define IDS_MORE_KEYWORDS 328
#define IDS_OTHER_NAME_KEEPS 329
#define IDS_DELETED 330
#define IDS_COPIED 331
#define IDS_RELOADED 332
#define IDS_WRITTEN_BACK_ELSEWHERE 333
#define IDS_FILE_MISSING 334
// What another program did to the file meanwhile.
#define IDS_KEYWORDS_GONE 322
#define IDS_WRITTEN_BACK 323
// The status bar's count of the keywords shown.
#define IDS_COUNTS 324
#define IDS_NO_MATCH 325
