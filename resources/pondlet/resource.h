#pragma once
// pondlet's resources: the fish dialog, its menus and commands, the icon,
// and each size's picture and outline.

#define IDD_FISH 129
#define IDM_CONTEXT 133
#define IDM_DROP 144
#define IDI_PONDLET 136

#define IDB_FISH_MEDIUM 135
#define IDB_FISH_LARGE 137
#define IDB_FISH_SMALL 138
// Outlines, of the custom resource type "OBRYS".
#define IDR_OUTLINE_LARGE 141
#define IDR_OUTLINE_SMALL 142
#define IDR_OUTLINE_MEDIUM 143

// The picture in the dialog's top-left corner.
#define IDC_FISH_PICTURE 1000

#define ID_EXIT 32771
#define ID_TOPMOST 32772
#define ID_SIZE_SMALL 32773
#define ID_SIZE_MEDIUM 32774
#define ID_SIZE_LARGE 32775
#define ID_DROP_ENCRYPT 32776
#define ID_DROP_DECRYPT 32777
#define ID_DROP_CANCEL 32778
#define ID_RAVELOCK 32779
