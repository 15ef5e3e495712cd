/* Ids of the profile dialog (501) and its controls, read by the resource
   compiler and by the code alike, so they are plain defines. */
#ifndef VELTRANO_SCROLLING_SETTINGS_PROFILE_DIALOG_IDS_H
#define VELTRANO_SCROLLING_SETTINGS_PROFILE_DIALOG_IDS_H

#define IDD_PROFILE 501
#define IDC_PROFILE_NAME 1028
#define IDC_PROFILE_PROGRAM 1029
#define IDC_PROFILE_BROWSE 1001
#define IDC_PROFILE_CAPTION 1025
#define IDC_PROFILE_CLASS 1026
#define IDC_PROFILE_PICK 1003
#define IDC_PROFILE_HELP 9

#endif
