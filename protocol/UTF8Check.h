#pragma once
// A fast check that bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF), for texts the protocol reads back from
// the cipher and from replies.

#include <string_view>

bool UTF8IsWellFormed(std::string_view bytes);
