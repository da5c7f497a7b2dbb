#pragma once

#include <ostream>

namespace tarnwick::cli {

// `tarnwick-cli ports`: every serial port of the system with its description, USB vendor and
// product id, serial number, the window's "Com n" that opens it, and whether this user may
// open it (and the group to join when not).
void ListPorts(std::ostream& out);

}  // namespace tarnwick::cli
