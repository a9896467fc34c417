// Compiled with the include folders of a layer below the window, this must not find the window's header:
// the layers' build keeps each one from reaching a higher one.
#include "entry_fields.h"
