/* Resource ids of the framework test's own dialog. */
#ifndef FRAMEWORK_TEST_IDS_H
#define FRAMEWORK_TEST_IDS_H

#define IDD_FRAMEWORK_TEST 100
#define IDC_TEST_LINK 101
#define IDC_TEST_PLAIN 102
#define IDC_TEST_NAME 103
#define IDC_TEST_HAND 104
#define IDS_TEST_TITLE 110
#define IDS_TEST_HELP 111

#endif
