// "coredll.dll" of the simulated device: only the memory division call, which
// programs look up by name at run time.
#include "CePower.h"

extern "C" BOOL WINAPI GetSystemMemoryDivision(LPDWORD lpdwStorePages, LPDWORD lpdwRamPages,
                                               LPDWORD lpdwPageSize) {
    return CeGetSystemMemoryDivision(lpdwStorePages, lpdwRamPages, lpdwPageSize);
}
