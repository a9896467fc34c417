// Compiled with the include folders of site/, this must compile: the site's operations reach neither the
// terminal (velmarctl's streams and Ctrl+C) nor a widget, so a window can run them as they are.
#if __has_include("terminal.h") || __has_include("command_line.h")
#error "a terminal header is found from site/"
#endif
#if __has_include(<QWidget>) || __has_include("entry_fields.h")
#error "a widget header is found from site/"
#endif
#include "session.h"
#include "worker.h"
