#include "base/ui_dispatcher.h"
#include "serial/com_port.h"
