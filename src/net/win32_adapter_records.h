#pragma once

#include <iphlpapi.h>
#include <winsock2.h>

#include <vector>

#include "net/ip_helper.h"

namespace vidideza {

// The adapter records of a chain as GetAdaptersInfo fills it, in chain order. Texts end at the
// first zero byte or at the end of their field.
std::vector<AdapterRecord> AdapterRecordsOf(const IP_ADAPTER_INFO* first);

}  // namespace vidideza
