// The device shell's helper library (aygshell): everything product code needs
// from it, under the SDK's names (prefixed "Ce" where the desktop has a call of
// the same name that means something else).
#pragma once

#include "CeChangeNotify.h"
#include "CeGesture.h"
#include "CeLaunch.h"
#include "CeShell.h"
#include "TodayApi.h"
