#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// UTF-8, the one walker of it: settings text, paths and names are UTF-8 throughout.

// The code point of the sequence at text[i], moving i past it; nothing (and i unmoved) when
// no well-formed sequence starts there: a stray continuation byte, a cut sequence, an overlong
// form, a surrogate or a code point above U+10FFFF.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& i);

// Appends the UTF-8 form of `code` (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t code);

// The characters of `text` as a text box counts them: every byte that does not continue a
// sequence.
std::size_t Utf8CharacterCount(std::string_view text);

}  // namespace tarnwick
