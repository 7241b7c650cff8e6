/* Resource ids of vellapp. The numbers are the design's; the placeholder
 * main window uses the main window's template and left-bar button ids. */
#ifndef VELLAPP_RESOURCE_H
#define VELLAPP_RESOURCE_H

#define IDI_VELLAPP 128
#define IDD_MAIN_WINDOW 102

/* The main window's page buttons (pages 0 to 3) and Exit. */
#define IDC_PAGE_FIRST 1082
#define IDC_PAGE_ENCRYPT_DECRYPT 1082
#define IDC_PAGE_KEY_MANAGER 1083
#define IDC_PAGE_PREFERENCES 1084
#define IDC_PAGE_ABOUT 1085
#define IDC_EXIT 1086
#define IDC_PAGE_TITLE 1090

/* Strings: the start-up's, the pages', and the system integration
 * dialog's (template 141). */
#define IDS_ABOUT_MENU 101
#define IDS_TITLE_ENCRYPT_DECRYPT 102
#define IDS_TITLE_KEY_MANAGER 103
#define IDS_TITLE_PREFERENCES 104
#define IDS_TITLE_ABOUT 105
#define IDS_NO_ENGINE 106
#define IDS_APP_TITLE 107
#define IDS_INTERNAL_ERROR 108
#define IDS_INTEGRATION_TITLE 320
#define IDS_ASSOCIATED 321
#define IDS_NOT_ASSOCIATED 322
#define IDS_MENU_ENABLED 323
#define IDS_MENU_DISABLED 324
#define IDS_ASSOCIATION_TEXT 325
#define IDS_ASSOCIATION_RUN_TEXT 326
#define IDS_MENU_TEXT 327
#define IDS_EXTENSION_GROUP 328
#define IDS_MENU_GROUP 329
#define IDS_CURRENT_STATUS 330
#define IDS_ASSOCIATE 331
#define IDS_UNLINK 332
#define IDS_ADD_MENU 333
#define IDS_REMOVE_MENU 334
#define IDS_INTEGRATION_FAILED 335
#define IDS_CLOSE 299
#define IDS_DATABASE_NOT_FOUND 348
#define IDS_LOGON_EXPLANATION 358
#define IDS_CAPTION_ENCRYPT_DECRYPT 400
#define IDS_CAPTION_KEY_MANAGER 401
#define IDS_CAPTION_PREFERENCES 402
#define IDS_CAPTION_ABOUT 403
#define IDS_CAPTION_EXIT 404

#endif
