// The handshake keeps what a chattering target sends within a bound. The bound must never
// change what the handshake decides: whether the active and ready settings came, and which V
// the version is read from. Random streams are read in pieces of random size, from one byte
// to 1 MiB, into a bounded buffer (as the handshake handles it after every read) and into a
// plain string, and the two must agree after every read.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/download/received_text.h"
#include "core/download/version_number.h"

namespace tarnwick {
namespace {

struct Case {
  const char* active;
  const char* ready;
  std::size_t limit;  // the bound
};

// Mostly filler that holds none of the settings, sprinkled with V's and version-like text,
// with the settings themselves (whole, or split over two reads by chance) here and there.
std::string RandomStream(std::mt19937& random, const Case& c) {
  static constexpr char kFiller[] = "xyz0123456789. \r\n";
  const std::size_t size = std::size_t{1} << std::uniform_int_distribution<int>(4, 21)(random);
  std::uniform_int_distribution<std::size_t> place(0, size);
  std::string text;
  text.reserve(size + 64);
  for (std::size_t i = 0; i < size; ++i) text += kFiller[random() % (sizeof kFiller - 1)];
  const std::string insertions[] = {"V",      "V1.20", "V2.0x",
                                    c.active, c.ready, std::string(c.ready) + "V1.30"};
  for (int n = std::uniform_int_distribution<int>(0, 8)(random); n > 0; --n) {
    text.insert(place(random), insertions[random() % std::size(insertions)]);
  }
  return text;
}

// What the handshake reads: the number after the first V that follows the first ready, or
// after the first V at all.
float PlainVersion(const std::string& text, const std::string& ready) {
  std::size_t v = std::string::npos;
  if (const std::size_t r = text.find(ready); r != std::string::npos) {
    v = text.find('V', r + ready.size());
  }
  if (v == std::string::npos) v = text.find('V');
  return v == std::string::npos ? 0.0f : ReadVersionNumber(std::string_view(text).substr(v + 1));
}

float BoundedVersion(const ReceivedTextBuffer& buffer, const std::string& ready) {
  const std::size_t v = buffer.VersionStart(ready);
  return v == std::string::npos ? 0.0f
                                : ReadVersionNumber(std::string_view(buffer.Text()).substr(v + 1));
}

TEST(ReceivedText, TheBoundNeverChangesWhatTheHandshakeDecides) {
  const Case kCases[] = {{"^", "?", 1024},        {"^", "?", 256 * 1024}, {"^^", "?!", 1024},
                         {"^^", "?!", 64 * 1024}, {"AB", "?V", 4096},     {"^", "!?!", 256 * 1024}};
  std::mt19937 random(20261207);
  for (const Case& c : kCases) {
    for (int stream = 0; stream < 40; ++stream) {
      const std::string text = RandomStream(random, c);
      ReceivedTextBuffer bounded;
      std::string plain;
      std::size_t at = 0;
      while (at < text.size()) {
        const std::size_t most = std::size_t{1}
                                 << std::uniform_int_distribution<int>(0, 20)(random);
        const std::size_t size = std::uniform_int_distribution<std::size_t>(1, most)(random);
        const std::string read = text.substr(at, size);
        at += read.size();
        plain += read;
        bounded.Append(read);
        bounded.KeepWithin(c.limit, c.ready);
        SCOPED_TRACE(testing::Message() << c.active << " " << c.ready << " limit " << c.limit
                                        << " stream " << stream << " at " << at);
        ASSERT_EQ(bounded.Contains(c.active), plain.find(c.active) != std::string::npos);
        const bool ready = plain.find(c.ready) != std::string::npos;
        ASSERT_EQ(bounded.Contains(c.ready), ready);
        // The handshake stops reading once the ready answer is in; the version follows.
        if (ready) {
          ASSERT_EQ(BoundedVersion(bounded, c.ready), PlainVersion(plain, c.ready));
          break;
        }
      }
    }
  }
}

// The version as sent is exactly the characters the value was read from: reading them alone
// gives the same value, and nothing around the number comes with them.
TEST(VersionNumber, TextAsSentIsWhatTheValueWasReadFrom) {
  const struct {
    const char* text;
    const char* asSent;
  } kCases[] = {{"1.30\r\n", "1.30"},
                {" 1.27?", "1.27"},
                {"-2E1x", "-2E1"},
                {"1.5Ex", "1.5"},
                {"+.5 ", "+.5"},
                {"1.30.2", "1.30"},
                {"\t2d-1;", "2d-1"},
                {"abc", ""},
                {"-", ""},
                {"", ""}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(VersionNumberText(c.text), c.asSent);
    EXPECT_EQ(ReadVersionNumber(c.asSent), ReadVersionNumber(c.text));
  }
}

}  // namespace
}  // namespace tarnwick
