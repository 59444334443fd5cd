#pragma once

#include "frontend/port_string_ids.h"

// Numbers of the resources the program asks its resource library for.

// Dialog templates
inline constexpr int IDD_PORT_SELECT = 110;
inline constexpr int IDD_ABOUT = 120;
inline constexpr int IDD_MAIN = 121;
inline constexpr int IDD_LINK_PAGE = 122;
inline constexpr int IDD_PIN_PAGE = 123;
inline constexpr int IDD_LOCAL_NAME_PAGE = 125;
inline constexpr int IDD_NAME_EDIT = 126;

// Icon
inline constexpr int IDI_MAIN = 100;

// Controls
inline constexpr int IDC_TAB = 1000;
inline constexpr int IDC_PORT = 1001;
inline constexpr int IDC_DELETE_LINKS = 1003;
inline constexpr int IDC_PIN_IN_FORCE = 1005;
inline constexpr int IDC_PIN_NEW = 1006;
inline constexpr int IDC_PIN_AGAIN = 1009;
inline constexpr int IDC_CHANGE_NAME = 1013;
inline constexpr int IDC_CHANGE_PIN = 1015;
inline constexpr int IDC_LINK_LIST = 1016;
inline constexpr int IDC_NAME = 1017;

// Commands
inline constexpr unsigned IDM_ABOUT = 16;

// Strings
inline constexpr int IDS_ABOUT_MENU = 57345;
inline constexpr int IDS_CONFIRM_DELETE = 57349;
inline constexpr int IDS_LINK_CAPTION = 57350;
inline constexpr int IDS_CONFIRM_PIN = 57351;
inline constexpr int IDS_PIN_CAPTION = 57352;
inline constexpr int IDS_PIN_MISMATCH = 57353;
// A PIN field holding a character that cannot be sent
inline constexpr int IDS_PIN_IN_FORCE_UNSENDABLE = 57450;
inline constexpr int IDS_PIN_NEW_UNSENDABLE = 57451;
inline constexpr int IDS_UPDATE_DONE = 57354;
inline constexpr int IDS_UPDATE_FAILED = 57355;
inline constexpr int IDS_DELETE_DONE = 57356;
inline constexpr int IDS_DELETE_FAILED = 57357;
inline constexpr int IDS_LIST_FAILED = 57358;
inline constexpr int IDS_NAME_CAPTION = 57359;
inline constexpr int IDS_NAME_READ_FAILED = 57360;
inline constexpr int IDS_NO_ACCESS_POINT = 57361;
inline constexpr int IDS_TAB_LINKS = 57362;
inline constexpr int IDS_TAB_PIN = 57363;
inline constexpr int IDS_TAB_NAME = 57364;

// Port dialog: item texts, details of the chosen port, hints
inline constexpr int IDC_PORT_HINTS = 1002;
inline constexpr int IDC_PORT_DETAILS = 1004;
// The port texts, shared with apctl, are numbered in frontend/port_string_ids.h.

// Paired devices page: the count above the list, the list's menu
inline constexpr int IDC_LINK_COUNT = 1018;
inline constexpr int IDS_LINK_COUNT_NONE = 57440;
inline constexpr int IDS_LINK_COUNT_ONE = 57441;
inline constexpr int IDS_LINK_COUNT_MANY = 57442;
inline constexpr int IDS_COPY_ADDRESS = 57443;
// The list's column headings, for a toolkit whose templates cannot hold them
inline constexpr int IDS_LINK_COLUMN_ADDRESS = 57446;
inline constexpr int IDS_LINK_COLUMN_MANUFACTURER = 57447;

// What the program is waiting for
inline constexpr int IDD_IDENTIFYING = 127;
inline constexpr int IDC_WAIT_TEXT = 1020;
inline constexpr int IDS_READING_LINKS = 57444;
inline constexpr int IDS_IDENTIFYING = 57445;

// Start-up: a chosen port that cannot be opened or set up, a second start
inline constexpr int IDS_PORT_FAILED = 57455;
inline constexpr int IDS_ALREADY_RUNNING = 57458;
