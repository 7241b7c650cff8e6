/* Strings of the dialog framework, shared by every program through
 * framework.rc2. Numbered apart from the programs' own strings. */
#ifndef RAVELOCK_FRAMEWORK_IDS_H
#define RAVELOCK_FRAMEWORK_IDS_H

#define IDS_UI_MAX_CHARS 0xF113

#endif
