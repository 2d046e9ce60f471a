// The device kernel's services that desktop Win32 lacks or answers differently:
// message queues, power, memory and storage figures, version, storage cards,
// folder listings.
#pragma once

#include "CeFiles.h"
#include "CeFlashCard.h"
#include "CeMsgQueue.h"
#include "CePower.h"
