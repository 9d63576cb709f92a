#pragma once

// Identifiers the frame window uses for its own children and prompts.
#define IDR_MAINFRAME 128
#define ID_VIEW_STATUS_BAR 0xE801     // also the status bar's control ID
#define IDW_REBAR 0xE800
#define IDW_FIRST_BAND 0xEB00         // rebar bands are numbered from here in order
#define IDS_READY 0xE001              // the status bar's text while no menu is open
#define IDS_SYSTEM_COMMAND_FIRST 0xEF00 // prompts of the system menu, one per SC_ command
#define IDS_ACTIVATE_WINDOW 0xEF1F
#define IDS_OPEN_DOCUMENT 0xEFDA
