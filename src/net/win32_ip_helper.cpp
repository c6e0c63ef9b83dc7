// The computer's network adapters on Windows, as the IP helper reports them.
#include <iphlpapi.h>
#include <winsock2.h>

#include "base/win32_error_text.h"
#include "net/ip_helper.h"
#include "net/ip_info.h"
#include "net/win32_adapter_records.h"

namespace vidideza {

namespace {

// One buffer of this size and one call: a list that does not fit is reported, not retried.
constexpr ULONG kAdapterBufferBytes = 5120;

}  // namespace

std::vector<AdapterRecord> ReadAdapterRecords() {
  // Whole records keep the chain properly aligned; the call is told the fixed size.
  std::vector<IP_ADAPTER_INFO> buffer(kAdapterBufferBytes / sizeof(IP_ADAPTER_INFO) + 1);
  ULONG size = kAdapterBufferBytes;
  const DWORD code = ::GetAdaptersInfo(buffer.data(), &size);
  if (code != ERROR_SUCCESS) {
    throw EOSError(static_cast<int>(code), SystemErrorText(code));
  }
  return AdapterRecordsOf(buffer.data());
}

}  // namespace vidideza
