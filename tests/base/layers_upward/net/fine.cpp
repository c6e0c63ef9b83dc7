#include "base/ui_dispatcher.h"
#include "net/udp_server.h"
