#pragma once
// Resource ids of the skin tests, shared by SkinTest.rc and the tests. The images are described in
// make_images.py.

#define IDP_GRID10 300
#define IDP_PUSH_NORMAL 301
#define IDP_PUSH_HOVER 302
#define IDP_PUSH_PRESSED 303
#define IDP_PUSH_FOCUSED 304
#define IDP_ICON16 305
#define IDP_CHECK_OFF 306
#define IDP_CHECK_OFF_HOVER 307
#define IDP_CHECK_ON 308
#define IDP_CHECK_ON_HOVER 309
#define IDP_ARROW 310
#define IDP_HALF_CLEAR 311
#define IDP_BACKGROUND 312
#define IDP_NOT_AN_IMAGE 313
#define IDP_MISSING 399

#define IDD_SKIN_TEST 400
#define IDD_SKIN_EMPTY 401

#define IDC_SKIN_FIRST 1101
#define IDC_SKIN_SECOND 1102
#define IDC_SKIN_THIRD 1103
#define IDC_SKIN_FOURTH 1104
#define IDC_SKIN_FIFTH 1105
#define IDC_SKIN_SIXTH 1106
#define IDC_SKIN_SEVENTH 1107
#define IDC_SKIN_EIGHTH 1108
