// Resource identifiers of Korvane Server.
//
// Read both by the C++ sources and by windres, so this file holds nothing but
// preprocessor lines: windres understands no enums, casts or constexpr.
// The numbers are part of the program's contract with its own code and with
// the window tests; change a number here only together with everything that
// looks it up.
#ifndef KORVANE_RESOURCES_RESOURCE_H
#define KORVANE_RESOURCES_RESOURCE_H

// ---------------------------------------------------------------------------
// Dialog templates
// ---------------------------------------------------------------------------
#define IDD_ABOUTBOX 100
#define IDD_SERVER 102           // the main window
#define IDD_SERVER_PAGE 130      // settings sheet, tab "Server"
#define IDD_RULES_PAGE 131       // settings sheet, tab "Rules"
#define IDD_TEAM_RULES_PAGE 132  // settings sheet, tab "Team Rules"
#define IDD_ADVANCED_PAGE 133    // settings sheet, tab "Advanced"
#define IDD_MAP_ROTATION 134
#define IDD_CHANGE_MAP 140

// ---------------------------------------------------------------------------
// Icon and menu
// ---------------------------------------------------------------------------
#define IDR_MAINFRAME 128  // program icon
#define IDR_MAIN_MENU 137

// ---------------------------------------------------------------------------
// String table
// ---------------------------------------------------------------------------
#define IDS_ABOUTBOX 101  // system menu entry "&About server..."
#define IDS_SOCKETS_INIT_FAILED 103
// The session text deliberately has no entry in the string table: loading it
// yields the empty text, which is what the session start is meant to pass.
#define IDS_SESSION_TEXT 104
#define IDS_QUIT_CAPTION 105
#define IDS_COL_NAME 106
#define IDS_COL_PING 107
#define IDS_COL_TIME 111
#define IDS_COL_TEAM 112
#define IDS_NEW_PLAYER 113
#define IDS_COL_SPECIALTY 115
#define IDS_SETTINGS_CAPTION 116
#define IDS_COL_WORLD 117
#define IDS_COL_ID 118
#define IDS_CONFIRM_QUIT 119
#define IDS_ERROR_CAPTION 120
#define IDS_PASSWORD_TOO_SHORT 121

// ---------------------------------------------------------------------------
// Menu commands
// ---------------------------------------------------------------------------
#define IDM_ABOUT 32771
#define IDM_CHANGE_MAP 32772
#define IDM_QUIT 32773
#define IDM_KICK_PLAYER 32774
#define IDM_SETTINGS 32776
// Commands added beside the original menu take numbers from 33000 on.
#define IDM_WEB_ADMIN 33000
// System-menu command: the system reserves the low four bits of system
// command ids, so the entry uses a multiple of 16 below 0xF000.
#define IDM_ABOUTBOX_SYS 16

// ---------------------------------------------------------------------------
// Controls of the main window (IDD_SERVER)
// ---------------------------------------------------------------------------
#define IDC_CONSOLE 1000
#define IDC_PLAYER_LIST 1001
#define IDC_SEND_BPS 1034
#define IDC_RECV_BPS 1035
#define IDC_UPDATE_RATE 1036
#define IDC_COMMAND_LINE 1040
#define IDC_SEND 1041

// ---------------------------------------------------------------------------
// Controls of the About box (IDD_ABOUTBOX)
// ---------------------------------------------------------------------------
// Same number as the main window's update-rate figure; the two never share a
// window, and the About box code reads better with its own name.
#define IDC_ABOUT_VERSION 1036

// ---------------------------------------------------------------------------
// Map lists: Change Map dialog and Map Rotation dialog
// ---------------------------------------------------------------------------
#define IDC_DISK_MAP_LIST 1032  // Map Rotation: maps found on disk
#define IDC_MAP_LIST 1033       // the rotation, in both dialogs

// ---------------------------------------------------------------------------
// Settings sheet, "Server" page (IDD_SERVER_PAGE)
// ---------------------------------------------------------------------------
#define IDC_SERVER_NAME 1002
#define IDC_ADMIN_NAME 1004
#define IDC_ADMIN_EMAIL 1008
#define IDC_SERVER_WEBSITE 1012
#define IDC_REMOTE_ADMIN_PASSWORD 1016
#define IDC_SERVER_PASSWORD 1023

// ---------------------------------------------------------------------------
// Settings sheet, "Rules" page (IDD_RULES_PAGE)
// ---------------------------------------------------------------------------
#define IDC_RULES_TIME_LIMIT_TEXT 1005
#define IDC_RULES_TIME_LIMIT 1007
#define IDC_RULES_MINUTES_TEXT 1020
#define IDC_RULES_ROUNDS_TEXT 1018
#define IDC_RULES_ROUNDS 1015
#define IDC_RULES_ROUNDS_UNIT_TEXT 1019
#define IDC_RULES_MAX_PLAYERS_TEXT 1009
#define IDC_RULES_MAX_PLAYERS_VALUE 1037
#define IDC_RULES_MAX_PLAYERS 1035  // slider
#define IDC_RULES_TEAM_FLIP_TEXT 1021
#define IDC_RULES_TEAM_FLIP 1038
#define IDC_RULES_FLIP_ROUNDS_TEXT 1026
#define IDC_RULES_FLIP_ROUNDS 1029
#define IDC_RULES_LAN_TEXT 1023
#define IDC_RULES_LAN 1039
#define IDC_RULES_MAP_ROTATION 1022  // button opening IDD_MAP_ROTATION

// ---------------------------------------------------------------------------
// Settings sheet, "Team Rules" page (IDD_TEAM_RULES_PAGE)
// ---------------------------------------------------------------------------
#define IDC_TEAM_FF_TEAM_TEXT 1020
#define IDC_TEAM_FF_TEAM_VALUE 1034
#define IDC_TEAM_FF_TEAM 1017  // slider
#define IDC_TEAM_FF_ALLIES_TEXT 1027
#define IDC_TEAM_FF_ALLIES_VALUE 1036
#define IDC_TEAM_FF_ALLIES 1024  // slider
#define IDC_TEAM_MIRROR_DAMAGE_TEXT 1030
#define IDC_TEAM_MIRROR_DAMAGE 1039
#define IDC_TEAM_MIRROR_PCT_TEXT 1028
#define IDC_TEAM_MIRROR_PCT_VALUE 1037
#define IDC_TEAM_MIRROR_PCT 1025  // slider
#define IDC_TEAM_CASH_PENALTY_TEXT 1046
#define IDC_TEAM_CASH_PENALTY 1044
#define IDC_TEAM_TK_PUNISH 1040
#define IDC_TEAM_TKS_TO_KICK_TEXT 1041
#define IDC_TEAM_TKS_TO_KICK 1042
#define IDC_TEAM_CIVS_TO_KICK_TEXT 1043
#define IDC_TEAM_CIVS_TO_KICK 1045

// ---------------------------------------------------------------------------
// Settings sheet, "Advanced" page (IDD_ADVANCED_PAGE)
// ---------------------------------------------------------------------------
#define IDC_ADV_AUTO_BALANCE_TEXT 1055
#define IDC_ADV_AUTO_BALANCE 1054
#define IDC_ADV_UPLOADS_TEXT 1057
#define IDC_ADV_UPLOADS 1056
#define IDC_ADV_LOG_EVENTS_TEXT 1059
#define IDC_ADV_LOG_EVENTS 1058
#define IDC_ADV_VOIP_TEXT 1061
#define IDC_ADV_VOIP 1060
#define IDC_ADV_BANDWIDTH_TEXT 1062
#define IDC_ADV_BANDWIDTH 1043  // combo box
#define IDC_ADV_CUSTOM_BANDWIDTH 1045
#define IDC_ADV_AFK_KICK_TEXT 1049
#define IDC_ADV_AFK_KICK 1047
#define IDC_ADV_AFK_MINUTES_TEXT 1051
#define IDC_ADV_FORCE_BALANCE_TEXT 1064
#define IDC_ADV_FORCE_BALANCE 1063
#define IDC_ADV_TIME_SYNC_TEXT 1066
#define IDC_ADV_TIME_SYNC 1065
#define IDC_ADV_VOTING_TEXT 1046
#define IDC_ADV_VOTING 1044
#define IDC_ADV_KICK_RATIO_TEXT 1037
#define IDC_ADV_KICK_RATIO_VALUE 1038
#define IDC_ADV_KICK_RATIO 1039  // slider
#define IDC_ADV_MAP_RATIO_TEXT 1041
#define IDC_ADV_MAP_RATIO_VALUE 1042
#define IDC_ADV_MAP_RATIO 1040  // slider

// Unnamed labels and group boxes.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// ---------------------------------------------------------------------------
// Operator tools: player menu, notification-area icon, their texts
// ---------------------------------------------------------------------------
#define IDR_PLAYER_MENU 350
#define IDR_TRAY_MENU 351
#define IDS_KICK_QUESTION 352        // "Kick %s (%d)?"
#define IDS_TRAY_ENGINE_STOPPED 353  // balloon text
#define IDM_PLAYER_KICK 33050
#define IDM_PLAYER_COPY_NAME 33051
#define IDM_PLAYER_COPY_ID 33052
#define IDM_TRAY_SHOW 33053
#define IDM_TRAY_QUIT 33054
#define IDM_OPEN_LOG_FOLDER 33055  // File > Open Log Folder

// ---------------------------------------------------------------------------
// Restarts: Game > Restart Server, Game > Restart Schedule
// ---------------------------------------------------------------------------
#define IDD_RESTART_SCHEDULE 360
#define IDC_RESTART_TIMES 1400
#define IDC_RESTART_WARNINGS 1401
#define IDC_RESTART_ON_STOP 1402
#define IDC_RESTART_NEXT 1403  // what the schedule says, or what is wrong with it
#define IDM_RESTART_SERVER 33056
#define IDM_RESTART_SCHEDULE 33057

#endif  // KORVANE_RESOURCES_RESOURCE_H
