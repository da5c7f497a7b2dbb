#include "platform/net/network_address.h"

#include <charconv>

namespace tarnwick {
namespace {

constexpr std::string_view kRfc2217Scheme = "rfc2217://";
constexpr std::string_view kSocketScheme = "socket://";

}  // namespace

std::string NetworkAddress::Text() const {
  const bool ipv6 = host.find(':') != std::string::npos;
  return std::string(kind == Kind::kRfc2217 ? kRfc2217Scheme : kSocketScheme) +
         (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool IsNetworkAddressForm(std::string_view text) {
  return text.starts_with(kRfc2217Scheme) || text.starts_with(kSocketScheme);
}

std::optional<NetworkAddress> ParseNetworkAddress(std::string_view text, std::string* problem) {
  NetworkAddress address;
  std::string_view rest;
  if (text.starts_with(kRfc2217Scheme)) {
    rest = text.substr(kRfc2217Scheme.size());
  } else if (text.starts_with(kSocketScheme)) {
    address.kind = NetworkAddress::Kind::kSocket;
    rest = text.substr(kSocketScheme.size());
  } else {
    *problem = "give rfc2217://HOST:PORT or socket://HOST:PORT";
    return std::nullopt;
  }
  // The last colon separates the port, except inside an IPv6 address's brackets.
  const std::size_t colon = rest.rfind(':');
  std::string_view host = colon == std::string_view::npos ? rest : rest.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  } else if (host.find_first_of("[]:/") != std::string_view::npos) {
    host = {};
  }
  const std::string_view port = colon == std::string_view::npos ? "" : rest.substr(colon + 1);
  unsigned value = 0;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (host.empty() || port.empty() || error != std::errc() || end != port.data() + port.size() ||
      value < 1 || value > 65535) {
    *problem = "give HOST:PORT with a port from 1 to 65535 after the scheme";
    return std::nullopt;
  }
  address.host = std::string(host);
  address.port = static_cast<std::uint16_t>(value);
  return address;
}

}  // namespace tarnwick
