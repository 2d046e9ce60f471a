// Resource ids of NorvaneSafeMode.dll: the service window's template and the
// texts of the bar and the item.
#pragma once

#define IDD_SAFEMODE_BAR 101

#define IDS_BAR_TAP_TO_RESET 1
#define IDS_BAR_ABOUT_TO_RESTART 2
#define IDS_BAR_AUTO_RESTARTING 3
#define IDS_BAR_STARTING_SAFE 4
#define IDS_BAR_STARTING_AUTO 5
#define IDS_ITEM_TITLE 10
#define IDS_ITEM_HINT 11
#define IDS_ITEM_RESET_QUESTION 12
#define IDS_ITEM_CAPTION 13
