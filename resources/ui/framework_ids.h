/* Strings of the dialog framework, shared by every program through
 * framework.rc2. Numbered apart from the programs' own strings. */
#ifndef RAVELOCK_FRAMEWORK_IDS_H
#define RAVELOCK_FRAMEWORK_IDS_H

#define IDS_UI_MAX_CHARS 0xF113

/* The masking button's pictures (key_entry.rc2): the key is shown, the
 * key is hidden. */
#define IDB_KEY_SHOWN 1011
#define IDB_KEY_MASKED 1013

#endif
