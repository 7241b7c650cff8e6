/* Resource ids of vellapp. The numbers are the design's, apart from the
 * pictures and strings marked as the program's own. */
#ifndef VELLAPP_RESOURCE_H
#define VELLAPP_RESOURCE_H

#define IDI_VELLAPP 128
#define IDI_ENCRYPT_FILES 152
#define IDI_ENCRYPT_FOLDER 153
#define IDI_DECRYPT_FILES 154
#define IDI_DECRYPT_FOLDER 155
#define IDI_HELP 156
#define IDI_WEB 157
/* The program's own picture: the picture panel's. */
#define IDB_PICTURE 160

/* Templates: the main window, its panels, its pages, the icon button. */
#define IDD_MAIN_WINDOW 102
#define IDD_KEY_MANAGER_PAGE 129
#define IDD_PICTURE_PANEL 130
#define IDD_LEFT_BAR 131
#define IDD_HEADER 132
#define IDD_TOP_BAR 133
#define IDD_ABOUT_PAGE 134
#define IDD_ICON_BUTTON 137
#define IDD_PREFERENCES_PAGE 139
#define IDD_ENCRYPT_DECRYPT_PAGE 143

/* The main window's placeholders. */
#define IDC_PLACE_PAGES 1006
#define IDC_PLACE_PICTURE 1007
#define IDC_PLACE_HEADER 1008
#define IDC_PLACE_LEFT_BAR 1009
#define IDC_PLACE_TOP_BAR 1010

/* The left bar's page buttons (pages 0 to 3) and Exit; the top bar's Help
 * button. */
#define IDC_PAGE_FIRST 1082
#define IDC_PAGE_ENCRYPT_DECRYPT 1082
#define IDC_PAGE_KEY_MANAGER 1083
#define IDC_PAGE_PREFERENCES 1084
#define IDC_PAGE_ABOUT 1085
#define IDC_EXIT 1086
#define IDC_HELP_BUTTON 1080

/* The icon button's parts. */
#define IDC_ICON_BUTTON_ICON 1012
#define IDC_ICON_BUTTON_TITLE 1013
#define IDC_ICON_BUTTON_TEXT 1014

/* The pages' placeholders and painted texts. */
#define IDC_PLACE_ENCRYPT_FILES 1035
#define IDC_PLACE_DECRYPT_FILES 1036
#define IDC_PLACE_ENCRYPT_FOLDER 1037
#define IDC_PLACE_DECRYPT_FOLDER 1038
#define IDC_PLACE_HOMEPAGE 1014
#define IDC_PLACE_HELP_FILE 1015
#define IDC_ABOUT_PRODUCT 1054
#define IDC_ABOUT_NOTICE 1055
#define IDC_ABOUT_PLATFORMS 1056

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
#define IDS_HOMEPAGE 240
#define IDS_HOMEPAGE_TEXT 241
#define IDS_HELP_FILE 242
#define IDS_HELP_FILE_TEXT 243
#define IDS_PRODUCT_LINE 244
#define IDS_MAKER_NOTICE 245
#define IDS_PLATFORMS 246
/* The program's own: the top bar's caption and Help button. */
#define IDS_TOP_BAR_CAPTION 247
#define IDS_HELP_BUTTON 248
#define IDS_ENCRYPT_FILES 260
#define IDS_ENCRYPT_FILES_TEXT 261
#define IDS_DECRYPT_FILES 262
#define IDS_DECRYPT_FILES_TEXT 263
#define IDS_ENCRYPT_FOLDER 264
#define IDS_ENCRYPT_FOLDER_TEXT 265
#define IDS_DECRYPT_FOLDER 266
#define IDS_DECRYPT_FOLDER_TEXT 267
#define IDS_FILTER_ALL 268
#define IDS_BROWSE_FOLDER 269
#define IDS_FILTER_ENCRYPTED 270
#define IDS_CLOSE 299
#define IDS_DATABASE_NOT_FOUND 348
#define IDS_HOMEPAGE_URL 349
#define IDS_LOGON_EXPLANATION 358
#define IDS_CAPTION_ENCRYPT_DECRYPT 400
#define IDS_CAPTION_KEY_MANAGER 401
#define IDS_CAPTION_PREFERENCES 402
#define IDS_CAPTION_ABOUT 403
#define IDS_CAPTION_EXIT 404

/* The key manager page and its dialogs. */
#include "key_manager_ids.h"

#endif
