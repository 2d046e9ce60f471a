// Ids shared by the test program's own string table and the test language module.
#pragma once

#define IDS_TEST_BOTH 50001     // in both: the module's text wins
#define IDS_TEST_OWN_ONLY 50002 // only in the program's table
#define IDS_TEST_MODULE_ONLY 50003
#define IDS_TEST_NOWHERE 50004
#define IDS_TEST_LONG 10149
