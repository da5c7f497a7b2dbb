#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/net/network_address.h"

namespace tarnwick {

// Which device "Com n" opens. On Windows it is COMn. Elsewhere it is the entry `com<n>` of
// the program's folder when there is one (normally a symbolic link to /dev/ttyUSB0 or a
// pseudo-terminal), else the n-th of the system's serial ports, USB adapters first, then
// the others, each group in name order; empty when there is no such port.
// `comEntryExists` tells whether `<programDir>/com<n>` exists (a link counts even when
// its target is gone). `systemPorts` are device paths in any order.
std::string ChoosePortDevice(int number, const std::string& programDir, bool comEntryExists,
                             std::vector<std::string> systemPorts);

// The network address that `device` stands for: the device string itself when it is written
// as one, or the first line of a small text file (a `com<n>` entry of the program's folder
// may be one) that holds one. Nothing for a device; nothing with `problem` set when the
// address is malformed or a regular file holds none.
std::optional<NetworkAddress> NetworkAddressOfDevice(const std::string& device,
                                                     std::string* problem);

// The device that "Com n" opens at this moment, looked up on this machine.
std::string ResolvePortDevice(int number);

// The window's port number that a name gives: com1 to com8 in any case (com3, COM3, Com3);
// 0 for anything else.
int ComNumberOf(const std::string& name);

// Why this user cannot open `device` now ("not present", "cannot be opened: ..." with the
// group to join when permission is lacking), or empty when it can be opened.
std::string PortAccessProblem(const std::string& device);

// One line for the port list's tooltip: the device that "Com n" opens now, and whether it
// is missing or cannot be opened for lack of permission (with the usual remedy).
std::string DescribePortDevice(int number);

}  // namespace tarnwick
