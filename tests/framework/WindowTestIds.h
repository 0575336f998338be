#pragma once
// Resource ids of the framework's window tests, shared by WindowTest.rc and the tests.

#define IDD_WINDOW_TEST 100
#define IDD_NESTED_BOX 101

#define IDC_ACT 1001
#define IDC_CHECK 1002
#define IDC_EDIT 1003
#define IDC_OWNERDRAWN 1004
