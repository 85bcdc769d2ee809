// The command-id vocabulary of the whole program.
//
// Every user action and every request between windows travels as a WM_COMMAND with
// one of these 16-bit ids. The values are fixed: they are also the string-table ids
// of the status-bar help texts, and ranges of them are tested arithmetically
// (ModeFlags 1101..1251, the tool guard 1101..1148, the recent-file items 1936..1956).
//
// The ids are plain macros because the resource compiler includes this header too
// (menus and accelerators in resources/tavolin.rc name the same ids).
#ifndef TAVOLIN_SHELL_COMMAND_IDS_H
#define TAVOLIN_SHELL_COMMAND_IDS_H

// ---- dialog answer and controls ---------------------------------------------------
#ifndef IDOK
#define IDOK 1                        // confirm the current entry (the frame's Enter relay)
#endif
#define ID_COM_COMBO 679              // COM-port combobox on the toolbars (CBN_SELCHANGE)

// ---- keys ----------------------------------------------------------------------------
#define CMD_ENTER 706                 // Enter
#define CMD_ESCAPE 708                // Esc
#define CMD_PAGE_UP 709               // Page Up
#define CMD_PAGE_DOWN 710             // Page Down

// Function keys of the design screen: part code = id - 1088.
#define CMD_KEY_RELAY_A 1089          // F1  relay a-contact
#define CMD_KEY_RELAY_B 1090          // F2  relay b-contact
#define CMD_KEY_LIMIT_A 1091          // F3  limit-switch a-contact
#define CMD_KEY_LIMIT_B 1092          // F4  limit-switch b-contact
#define CMD_KEY_PUSH_A 1093           // F5  push-button a-contact
#define CMD_KEY_PUSH_B 1094           // F6  push-button b-contact
#define CMD_KEY_OUT 1095              // F7  OUT coil
#define CMD_KEY_TIM 1096              // F8  TIM output
#define CMD_KEY_CNT 1097              // F9  CNT output
#define CMD_KEY_LINE 1099             // F11 horizontal line
#define CMD_KEY_ERASE 1100            // F12 erase

// ---- tools and edit modes (each has a ModeFlags entry) -----------------------------
#define CMD_TOOL_RELAY_A 1101         // design toolbar: relay a-contact
#define CMD_TOOL_RELAY_B 1102         // design toolbar: relay b-contact
#define CMD_TOOL_OUT 1107             // design toolbar: OUT coil
#define CMD_TOOL_TIM 1108             // design toolbar: TIM output
#define CMD_TOOL_CNT 1109             // design toolbar: CNT output
#define CMD_TOOL_FUNCTION 1110        // design toolbar, F10: function picker
#define CMD_TOOL_LINE 1111            // design toolbar: line drawing
#define CMD_TOOL_ERASE 1112           // design toolbar: erase
#define CMD_SET_NUMBER 1114           // number entry (menu, Ctrl+F3, toolbar)
#define CMD_REPLACE 1115              // replace (menu, Ctrl+F4)
#define CMD_COMMENT 1116              // comment writing (menu, Ctrl+F6, toolbar)
#define CMD_SEARCH 1117               // search (menu, Ctrl+F5)
#define CMD_RUN_NORMAL 1119           // Shift+F1 (no window carries it out)
#define CMD_RUN_TRIAL 1120            // Shift+F2 (no window carries it out)
#define CMD_BREAK_RESUME 1121         // Shift+F3 (no window carries it out)
#define CMD_FREEZE_TIMERS 1123        // Shift+F5 (no window carries it out)
#define CMD_RELEASE_ALL 1124          // Shift+F6 (no window carries it out)
#define CMD_FORCE_CONTACT 1126        // Shift+F7 (no window carries it out)
#define CMD_PAUSE 1127                // Shift+F8 (no window carries it out)
#define CMD_POWER_RESET 1128          // Shift+F9 (no window carries it out)
#define CMD_SET_VALUE 1129            // Shift+F10 (no window carries it out)
#define CMD_UNDO 1131                 // Ctrl+Z, toolbar
#define CMD_REDO 1132                 // Ctrl+A, toolbar
#define CMD_IO_DISPLAY 1133           // Shift+F12; the monitor guide's button
#define CMD_RANGE_MODE 1134           // Ctrl+F1, toolbar: range edit mode
#define CMD_BLANK_LINE_MODE 1135      // Ctrl+F2: blank-line edit mode
#define CMD_INITIAL_SETTINGS 1136     // Ctrl+F8 (no window carries it out)

// ---- files and screens (frame commands) --------------------------------------------
#define CMD_OPEN_DESIGN 1154          // open a design file (MYMENU, initial toolbar)
#define CMD_OPEN_MNEMONIC 1158        // open a mnemonic file (MYMENU, initial toolbar)
#define CMD_SCREEN_DESIGN 1160        // switch to the design screen; design toolbar kind
#define CMD_SCREEN_OPERATION 1161     // switch to the operation-check screen; monitor toolbar kind
#define CMD_COM_DIALOG 1162           // COM communication dialog
#define CMD_SCREEN_MNEMONIC 1163      // switch to the mnemonic screen; mnemonic toolbar kind
#define CMD_SWAP_SCREEN 1164          // Home (no window carries it out)
#define CMD_COMPARE_VIEWS 1165        // Ctrl+F10 (no window carries it out)

// ---- edit menu: range and blank-line operations -------------------------------------
#define CMD_RANGE_SELECT 1179         // 範囲
#define CMD_RANGE_COPY 1180           // コピ－
#define CMD_RANGE_CUT 1181            // 切り取り
#define CMD_RANGE_DELETE 1182         // 削除
#define CMD_RANGE_PASTE 1183          // 貼り付け
#define CMD_BLANK_OPEN 1184           // 空行開け
#define CMD_BLANK_CLOSE 1185          // 空行詰め
#define CMD_LEFT_OPEN 1186            // 左空け
#define CMD_LEFT_CLOSE 1187           // 左詰め

// ---- conversions --------------------------------------------------------------------
#define CMD_COMPILE_LADDER 1190       // ladder => mnemonic (design window's compile)
#define CMD_SEQ_TO_DESIGN 1191        // frame: new operation file -> design file
#define CMD_COMPILE_MNEMONIC 1192     // mnemonic => ladder (mnemonic window's compile)
#define CMD_SEQ_TO_MNEMONIC 1193      // frame: new operation file -> mnemonic file

// ---- documents and program ------------------------------------------------------------
#define CMD_NEW_DESIGN 1209           // new design
#define CMD_NEW_MNEMONIC 1210         // new mnemonic text
#define CMD_EXIT 1211                 // exit
#define CMD_CLOSE_ALL 1212            // close all windows
#define CMD_SAVE 1213                 // save
#define CMD_SAVE_AS 1214              // save as
#define CMD_PRINT 1216                // print the design
#define TOOLBAR_INITIAL 1226          // toolbar kind argument: the initial toolbar
#define CMD_FIT_WINDOW 1229           // Shift+Home; restore and fit a document window
#define CMD_KEY_LINK_UP 1231          // Shift+F11: vertical link up
#define CMD_SEARCH_UP 1238            // Alt+F10: continue the search upwards
#define CMD_SEARCH_DOWN 1239          // Alt+F5: continue the search downwards
#define CMD_SCREEN_MONITOR 1242       // switch to the monitor screen
#define CMD_PORT_CHECK 1253           // toolbar: probe the ports and refill the COM list
#define CMD_WRITE_LADDER 1254         // design toolbar: save, compile and write the board

// ---- recent files ---------------------------------------------------------------------
#define CMD_RECENT_FILE 1936          // first recent-file item (entry i has 1936 + i)
#define CMD_RECENT_FILE_LAST 1955     // last recent-file item (entry 19)
#define CMD_RECENT_EXPAND 1956        // item "         //": show every recent file

// ---- items of the right-button popup menus (sent straight to their window) ----------
#define CMD_POPUP_COMMENT_COPY 1895   // mnemonic popup: comment copy
#define CMD_POPUP_RANGE_SELECT 1896   // acts as 1179
#define CMD_POPUP_RANGE_COPY 1897     // acts as 1180
#define CMD_POPUP_RANGE_CUT 1898      // acts as 1181
#define CMD_POPUP_RANGE_DELETE 1899   // acts as 1182
#define CMD_POPUP_RANGE_PASTE 1900    // acts as 1183
#define CMD_POPUP_BLANK_OPEN 1903     // acts as 1184
#define CMD_POPUP_BLANK_CLOSE 1904    // acts as 1185
#define CMD_POPUP_LEFT_OPEN 1905      // acts as 1186
#define CMD_POPUP_LEFT_CLOSE 1906     // acts as 1187
#define CMD_POPUP_SHOW_COMMENT 1909   // design popup: shows a comment, does nothing

// ---- private requests between windows -------------------------------------------------
#define CMD_QUERY_MODIFIED 2216       // first design window: 1 when its grid changed
#define CMD_SYNC_VIEW 2217            // repaint what lParam names in the sibling views

// ---- ranges tested arithmetically ---------------------------------------------------
#define MODE_FLAG_FIRST_ID 1101       // ModeFlags entry i belongs to id 1101 + i
#define MODE_FLAG_LAST_ID 1251
#define MODE_FLAG_COUNT 151
#define TOOL_GUARD_FIRST_ID 1101      // tool commands refused under a foreign toolbar
#define TOOL_GUARD_LAST_ID 1148

// ---- control ids of the frame's bars ------------------------------------------------
#define TOOLBAR_ID 1101               // the toolbar's control id
#define STATUS_BAR_ID 160             // the status bar's control id
#define FIRST_MDI_CHILD_ID 200        // the MDI client numbers its window-menu entries from here

#endif
