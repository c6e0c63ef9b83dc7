#include "serial/tty_selection.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace vidideza {

namespace {

enum class TtyGroup { UsbSerial, OnBoardUart, OtherSerial, None };

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.rfind(prefix, 0) == 0;
}

// Names of serial ports on boards and buses whose drivers do not always show in sysfs.
constexpr std::array kOtherSerialPrefixes{"ttyAMA", "ttyO",   "rfcomm", "ttymxc", "ttySAC",
                                          "ttyTHS", "ttyMSM", "ttyPS",  "ttySC",  "ttyXRUSB"};

TtyGroup GroupOf(const std::string& name, const TtyRecord* record) {
  if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM") ||
      (record != nullptr && !record->usbId.empty())) {
    return TtyGroup::UsbSerial;
  }
  if (StartsWith(name, "ttyS") && name.size() > 4 &&
      std::isdigit(static_cast<unsigned char>(name[4])) != 0) {
    // Without a record nothing tells a real UART from a placeholder: it is not offered.
    const bool uart = record != nullptr && record->hasDevice && record->uartType != 0;
    return uart ? TtyGroup::OnBoardUart : TtyGroup::None;
  }
  if (std::any_of(kOtherSerialPrefixes.begin(), kOtherSerialPrefixes.end(),
                  [&](const char* prefix) { return StartsWith(name, prefix); })) {
    return TtyGroup::OtherSerial;
  }
  if (record != nullptr && record->hasDevice && !record->driver.empty()) {
    return TtyGroup::OtherSerial;
  }
  return TtyGroup::None;
}

const TtyRecord* Find(const std::map<std::string, TtyRecord>& records, const std::string& name) {
  const auto it = records.find(name);
  return it == records.end() ? nullptr : &it->second;
}

void SortNaturally(std::vector<PortListing>& ports) {
  std::sort(ports.begin(), ports.end(),
            [](const PortListing& a, const PortListing& b) { return NaturalLess(a.name, b.name); });
}

std::string Property(const std::map<std::string, std::string>& properties, const char* key) {
  const auto it = properties.find(key);
  return it == properties.end() ? std::string() : it->second;
}

// The kernel's numbers of the common UART types, as serial-core reports them.
std::string UartName(int type) {
  constexpr std::array kNames{"8250",   "16450", "16550",   "16550A",
                              "Cirrus", "16650", "16650V2", "16750"};
  return type >= 1 && type <= static_cast<int>(kNames.size())
             ? kNames[static_cast<std::size_t>(type - 1)]
             : "type " + std::to_string(type);
}

}  // namespace

std::vector<PortListing> SelectTtyPorts(const std::vector<std::string>& devNames,
                                        const std::map<std::string, TtyRecord>& records,
                                        const std::vector<ByIdLink>& byId) {
  std::array<std::vector<PortListing>, 3> groups;
  std::vector<std::string> names = devNames;
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  for (const std::string& name : names) {
    const TtyRecord* record = Find(records, name);
    const TtyGroup group = GroupOf(name, record);
    if (group != TtyGroup::None) {
      groups[static_cast<std::size_t>(group)].push_back(
          {name, record == nullptr ? std::string() : TtyIdentity(*record)});
    }
  }
  std::vector<PortListing> links;
  for (const ByIdLink& link : byId) {
    const TtyRecord* record = Find(records, link.target);
    std::string identity = "-> " + link.target;
    if (record != nullptr) {
      if (const std::string more = TtyIdentity(*record); !more.empty()) {
        identity += ", " + more;
      }
    }
    links.push_back({"/dev/serial/by-id/" + link.name, identity});
  }
  std::vector<PortListing> ports;
  for (auto& group : groups) {
    SortNaturally(group);
    ports.insert(ports.end(), group.begin(), group.end());
  }
  SortNaturally(links);
  ports.insert(ports.end(), links.begin(), links.end());
  return ports;
}

std::string TtyIdentity(const TtyRecord& record) {
  std::vector<std::string> parts;
  std::string product = record.vendor;
  if (!record.model.empty()) {
    product += (product.empty() ? "" : " ") + record.model;
  }
  if (!product.empty()) {
    parts.push_back(product);
  }
  if (!record.serial.empty()) {
    parts.push_back("serial " + record.serial);
  }
  if (!record.usbId.empty()) {
    parts.push_back("USB " + record.usbId);
  }
  if (record.uartType > 0) {
    parts.push_back("UART " + UartName(record.uartType));
  }
  if (!record.driver.empty()) {
    parts.push_back("driver " + record.driver);
  }
  std::string identity;
  for (const std::string& part : parts) {
    identity += (identity.empty() ? "" : ", ") + part;
  }
  return identity;
}

TtyRecord WithUdevProperties(TtyRecord record,
                             const std::map<std::string, std::string>& properties) {
  const auto take = [&](std::string& field, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
      if (std::string value = Property(properties, key); !value.empty()) {
        field = std::move(value);
        return;
      }
    }
  };
  take(record.vendor, {"ID_VENDOR_FROM_DATABASE"});
  take(record.model, {"ID_MODEL_FROM_DATABASE"});
  take(record.serial, {"ID_SERIAL_SHORT"});
  if (record.driver.empty()) {
    take(record.driver, {"ID_USB_DRIVER"});
  }
  const std::string vendorId = Property(properties, "ID_VENDOR_ID");
  const std::string modelId = Property(properties, "ID_MODEL_ID");
  if (!vendorId.empty() && !modelId.empty()) {
    record.usbId = vendorId + ":" + modelId;
  }
  return record;
}

}  // namespace vidideza
