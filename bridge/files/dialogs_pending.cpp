// The file dialogs are not built yet: requests 7 and 8 answer 0.
#include "bridge.h"
LRESULT RequestFileDialog(UINT, LPARAM) { return 0; }
