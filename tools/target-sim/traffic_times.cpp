#include "tools/target-sim/traffic_times.h"

#include <chrono>
#include <fstream>
#include <sstream>

#include "tools/target-sim/sim_log.h"

namespace tarnwick::sim {

TrafficTimes::TrafficTimes(std::string path) : path_(std::move(path)) {
  if (path_.empty()) return;
  // Room for a long download up front: growing the buffers between a verdict and the next
  // read would hold up the host sharing this processor.
  moments_.reserve(1 << 17);
  bytes_.reserve(1 << 22);
}

void TrafficTimes::Add(bool sent, std::string_view bytes) {
  if (path_.empty()) return;
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
  moments_.push_back({ns, sent, bytes_.size(), bytes.size()});
  bytes_.append(bytes);
}

bool TrafficTimes::Save() const {
  if (path_.empty()) return true;
  std::ofstream out(path_, std::ios::binary);
  for (const Moment& m : moments_) {
    out << m.ns << (m.sent ? " TX " : " RX ")
        << EscapeBytes(std::string_view(bytes_).substr(m.offset, m.size)) << '\n';
  }
  return static_cast<bool>(out.flush());
}

std::vector<TrafficEvent> ReadTrafficTimes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<TrafficEvent> events;
  std::string line;
  while (std::getline(in, line)) {
    // "<ns> TX <bytes>"; the bytes may be empty.
    std::istringstream fields(line);
    TrafficEvent event;
    std::string kind;
    if (!(fields >> event.ns >> kind)) continue;
    event.sent = kind == "TX";
    const auto bytes = line.find(' ', line.find(' ') + 1);
    if (bytes != std::string::npos) event.bytes = UnescapeBytes(line.substr(bytes + 1));
    events.push_back(std::move(event));
  }
  return events;
}

}  // namespace tarnwick::sim
