#pragma once

#include <string>
#include <vector>

#include "serial/port_listing.h"

namespace vidideza {

// The names of a port list, in its order.
inline std::vector<std::string> Names(const std::vector<PortListing>& listings) {
  std::vector<std::string> names;
  for (const PortListing& listing : listings) {
    names.push_back(listing.name);
  }
  return names;
}

}  // namespace vidideza
