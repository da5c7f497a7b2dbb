#include "tools/target-sim/line_settings.h"

// Linux keeps a rate without a B constant of its own (56000, 14400) in termios2's c_ospeed, and
// fills that in for every rate; <termios.h> cannot show it and must not be included beside.
#ifdef __linux__
#include <asm/termbits.h>
#include <sys/ioctl.h>
#else
#include <termios.h>
#endif

namespace tarnwick::sim {
namespace {

const char* Parity(tcflag_t cflag) {
  if ((cflag & PARENB) == 0) return "none";
#ifdef CMSPAR
  if ((cflag & CMSPAR) != 0) return (cflag & PARODD) != 0 ? "mark" : "space";
#endif
  return (cflag & PARODD) != 0 ? "odd" : "even";
}

int DataBits(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

const char* XonXoff(tcflag_t iflag) {
  const bool obeys = (iflag & IXON) != 0;
  const bool sends = (iflag & IXOFF) != 0;
  if (obeys && sends) return "on";
  if (obeys) return "ixon";
  return sends ? "ixoff" : "off";
}

}  // namespace

std::optional<std::string> DescribeLineSettings(int fd) {
#ifdef __linux__
  termios2 settings{};
  if (ioctl(fd, TCGETS2, &settings) != 0) return std::nullopt;
  const unsigned long baud = settings.c_ospeed;
#else
  // The BSDs and macOS keep the rate itself in speed_t.
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return std::nullopt;
  const unsigned long baud = cfgetospeed(&settings);
#endif
  return "baud " + std::to_string(baud) + " data " + std::to_string(DataBits(settings.c_cflag)) +
         " parity " + Parity(settings.c_cflag) + " stop " +
         ((settings.c_cflag & CSTOPB) != 0 ? "2" : "1") + " xonxoff " + XonXoff(settings.c_iflag);
}

LineSettingsReport::LineSettingsReport(const std::string& path, int fd)
    : wanted_(!path.empty()), fd_(fd) {
  if (wanted_) file_.open(path, std::ios::trunc);
}

void LineSettingsReport::Check() {
  if (!wanted_) return;
  const auto settings = DescribeLineSettings(fd_);
  if (!settings || *settings == last_) return;
  last_ = *settings;
  file_ << last_ << std::endl;  // at once: a test may be waiting for it
}

}  // namespace tarnwick::sim
