// Resource identifiers of the web administration (its dialog, strings and page files). Read by
// the C++ sources and by windres, so it holds nothing but preprocessor lines.
#ifndef KORVANE_WEB_WEBRESOURCE_H
#define KORVANE_WEB_WEBRESOURCE_H

#define IDD_WEBADMIN 300

#define IDS_WEB_BAD_ADDRESS 301
#define IDS_WEB_BAD_PORT 302
#define IDS_WEB_SHORT_PASSWORD 303
#define IDS_WEB_NEED_PASSWORD 304
#define IDS_WEB_PASSWORD_SET 305
#define IDS_WEB_PASSWORD_UNSET 306
#define IDS_WEB_HASH_FAILED 307
#define IDS_WEB_BAD_HOST 308
#define IDS_WEB_LONG_PASSWORD 309
#define IDS_WEB_PASSWORD_OUTDATED 310
#define IDS_WEB_TOKEN_SET 311
#define IDS_WEB_TOKEN_UNSET 312
#define IDS_WEB_TOKEN_NEW 313
#define IDS_WEB_TOKEN_FAILED 314

// The page's files (RCDATA).
#define IDR_WEB_INDEX 340
#define IDR_WEB_STYLE 341
#define IDR_WEB_SCRIPT 342
#define IDR_WEB_CHART 343

// Controls of the Web Administration dialog.
#define IDC_WEB_ENABLE 1300
#define IDC_WEB_ADDRESS 1301
#define IDC_WEB_PORT 1302
#define IDC_WEB_PASSWORD 1303
#define IDC_WEB_PASSWORD_STATE 1304
#define IDC_WEB_WARNING 1305
#define IDC_WEB_MESSAGE 1306
#define IDC_WEB_HOST 1307
#define IDC_WEB_NEW_TOKEN 1308
#define IDC_WEB_TOKEN 1309
#define IDC_WEB_COPY_TOKEN 1310
#define IDC_WEB_TOKEN_STATE 1311

// The dialog's Source RCON group.
#define IDC_RCON_ENABLE 1320
#define IDC_RCON_ADDRESS 1321
#define IDC_RCON_PORT 1322
#define IDC_RCON_PASSWORD 1323
#define IDC_RCON_PASSWORD_STATE 1324
#define IDC_RCON_WARNING 1325

#endif  // KORVANE_WEB_WEBRESOURCE_H
