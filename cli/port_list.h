#pragma once

#include <ostream>

namespace tarnwick::cli {

// `tarnwick-cli ports`: every serial port of the system, and every com<n> entry of the
// program's folder that leads elsewhere, with its description, USB vendor and product id,
// serial number, the window's "Com n" that opens it, and whether this user may open it (and
// the group to join when not); with `json`, one JSON object per line and port.
void ListPorts(std::ostream& out, bool json);

}  // namespace tarnwick::cli
