/* Ids of the update dialog (50101) and its controls, read by the resource
   compiler and by the code alike, so they are plain defines. */
#ifndef VELTRANO_SERVICES_UPDATE_DIALOG_IDS_H
#define VELTRANO_SERVICES_UPDATE_DIALOG_IDS_H

#define IDD_UPDATE 50101
#define IDC_UPDATE_OWN_VERSION 50135
#define IDC_UPDATE_REPLY 50137
#define IDC_UPDATE_STATUS 50138
#define IDC_UPDATE_DAYS_LABEL 50139
#define IDC_UPDATE_CHECK_NOW 50141
#define IDC_UPDATE_ENABLED 50142
#define IDC_UPDATE_INTERVAL 50143
#define IDC_UPDATE_DOWNLOAD 50147
#define IDC_UPDATE_HELP 9

#endif
