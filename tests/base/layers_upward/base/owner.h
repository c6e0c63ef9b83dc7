#include "net/udp_server.h"
