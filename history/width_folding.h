#pragma once

#include <cstring>
#include <string>

// How a Japanese user reads characters when the width and the kind of kana do not count:
// full-width Latin letters, digits, symbols and the ideographic space are their half-width
// forms, half-width katakana are full-width ones (a following ﾞ or ﾟ joined to its letter, so
// ﾊﾟ is パ), and hiragana are katakana. Every other character stays as it is. Built once for
// the ANSI code page from the system's conversions to and from Unicode.
class WidthFolding {
public:
    static const WidthFolding& Ansi();

    // The text in that one form; false, leaving folded alone, when nothing in it changes.
    bool Fold(const char* text, size_t length, std::string& folded) const;
    bool Fold(const char* text, std::string& folded) const { return Fold(text, std::strlen(text), folded); }

private:
    WidthFolding();

    // The folded form of each double-byte character by its code (lead * 256 + trail), and of
    // each single byte, with the forms it takes before a ﾞ or a ﾟ: a code below 0x100 is a
    // single byte, 0 is the character itself.
    unsigned short doubles_[0x10000] = {};
    unsigned short singles_[256] = {};
    unsigned short voiced_[256] = {};
    unsigned short semiVoiced_[256] = {};
};
