#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// A serial port served over the network: `rfc2217://HOST:PORT` (Telnet with the COM port
// option, so the line settings are ours) or `socket://HOST:PORT` (plain TCP, the line as the
// server has set it up).
struct NetworkAddress {
  enum class Kind { kRfc2217, kSocket };
  Kind kind = Kind::kRfc2217;
  std::string host;  // a name or an address; an IPv6 address without its brackets
  std::uint16_t port = 0;

  // The address as it is written: "rfc2217://host:4001".
  std::string Text() const;
  // "host port 4001", as messages name the far end.
  std::string Where() const { return host + " port " + std::to_string(port); }
};

// Whether `text` is written as a network address at all (it starts with one of the two
// schemes), so that it is not taken for a device path.
bool IsNetworkAddressForm(std::string_view text);

// The address that `text` spells, or nothing with `problem` set to what is wrong with it.
std::optional<NetworkAddress> ParseNetworkAddress(std::string_view text, std::string* problem);

}  // namespace tarnwick
