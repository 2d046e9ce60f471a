// Resource ids of NorvaneSetup.dll.
#pragma once

#define IDD_INSTALL 101
#define IDD_INSTALL_LANDSCAPE 102
#define IDR_PRODUCT_PICTURE 102 // of the resource type "JPEG"

#define IDC_METERS 1000
#define IDC_TITLE 1001
#define IDC_LANGUAGE 1002
#define IDC_PICTURE 1003
#define IDC_DESCRIPTION 1004
#define IDC_LANGUAGE_LABEL 1005

#define IDS_UNINSTALL_CAPTION 201
#define IDS_UNINSTALL_QUESTION 202
#define IDS_ENGLISH 203
