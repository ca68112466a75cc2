// The program's backend never fails a call on purpose.
#include "platform/platform_hooks.h"

bool PlatformCallFails(const char *) { return false; }
