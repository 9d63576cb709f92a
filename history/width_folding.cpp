#include "width_folding.h"

#include <windows.h>

#include <utility>

#include "code_page.h"

namespace {

// Half-width katakana and punctuation (U+FF61 to U+FF9F) as their full-width forms.
// LCMapString maps them too (LCMAP_FULLWIDTH joins ﾞ and ﾟ, under Wine as on Windows), but it
// widens Latin letters with them, and LCMAP_HALFWIDTH narrows katakana with the letters: no
// one call gives the form wanted here, and a table made once costs nothing per keyword.
const wchar_t kFullWidthKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

// The katakana with the voiced mark (゛) or the semi-voiced mark (゜), or 0.
wchar_t Voiced(wchar_t kana)
{
    if (kana == 0x30A6) // ウ
        return 0x30F4;  // ヴ
    if ((kana >= 0x30AB && kana <= 0x30C1 && (kana - 0x30AB) % 2 == 0) || kana == 0x30C4 || kana == 0x30C6 ||
        kana == 0x30C8)
        return static_cast<wchar_t>(kana + 1); // カ to チ, ツ, テ, ト
    return kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0 ? static_cast<wchar_t>(kana + 1) : 0;
}

wchar_t SemiVoiced(wchar_t kana)
{
    return kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0 ? static_cast<wchar_t>(kana + 2) : 0;
}

// The folded form of one Unicode character, or 0 when it folds to itself.
wchar_t Folded(wchar_t c)
{
    if (c == 0x3000)
        return L' ';
    if (c >= 0xFF01 && c <= 0xFF5E)
        return static_cast<wchar_t>(c - 0xFEE0); // ！ to ～
    if (c >= 0xFF61 && c <= 0xFF9F)
        return kFullWidthKana[c - 0xFF61];
    if (c >= 0x3041 && c <= 0x3096)
        return static_cast<wchar_t>(c + 0x60); // ぁ to ゖ
    return 0;
}

// The character's code in the ANSI code page, or 0 where it has none.
unsigned short AnsiCode(wchar_t c)
{
    if (!c)
        return 0;
    char bytes[2] = {};
    BOOL defaulted = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, 2, nullptr, &defaulted);
    if (defaulted || length < 1)
        return 0;
    const auto lead = static_cast<unsigned char>(bytes[0]);
    return length == 1 ? lead : static_cast<unsigned short>(lead << 8 | static_cast<unsigned char>(bytes[1]));
}

void Append(std::string& text, unsigned short code)
{
    if (code > 0xFF)
        text += static_cast<char>(code >> 8);
    text += static_cast<char>(code & 0xFF);
}

} // namespace

const WidthFolding& WidthFolding::Ansi()
{
    static const WidthFolding folding;
    return folding;
}

WidthFolding::WidthFolding()
{
    // Only the characters that fold are looked up, a few hundred, not every code of the code
    // page: the table is made while the tool starts.
    const std::pair<wchar_t, wchar_t> foldingRanges[] = {{0x3000, 0x3000}, {0x3041, 0x3096}, {0xFF01, 0xFF5E}, {0xFF61, 0xFF9F}};
    for (const auto& [first, last] : foldingRanges) {
        for (wchar_t c = first; c <= last; ++c) {
            const unsigned short code = AnsiCode(c);
            const wchar_t folded = Folded(c);
            if (!code)
                continue;
            if (code > 0xFF) {
                doubles_[code] = AnsiCode(folded);
                continue;
            }
            singles_[code] = AnsiCode(folded);
            voiced_[code] = AnsiCode(Voiced(folded));
            semiVoiced_[code] = AnsiCode(SemiVoiced(folded));
        }
    }
}

bool WidthFolding::Fold(const char* text, size_t length, std::string& folded) const
{
    const CodePage& page = CodePage::Ansi();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    auto isDouble = [&](size_t at) { return page.IsLeadByte(bytes[at]) && at + 1 < length && bytes[at + 1]; };
    // Most keywords hold nothing to fold, and no ASCII byte folds: they are not copied.
    size_t at = 0;
    for (; at < length; ++at) {
        if (bytes[at] < 0x80)
            continue;
        if (isDouble(at)) {
            if (doubles_[bytes[at] << 8 | bytes[at + 1]])
                break;
            ++at;
        } else if (singles_[bytes[at]]) {
            break;
        }
    }
    if (at >= length)
        return false;
    folded.assign(text, at);
    folded.reserve(2 * length); // a half-width letter may become a double-byte one
    while (at < length) {
        const unsigned char b = bytes[at];
        if (isDouble(at)) {
            const auto code = static_cast<unsigned short>(b << 8 | bytes[at + 1]);
            Append(folded, doubles_[code] ? doubles_[code] : code);
            at += 2;
            continue;
        }
        const unsigned char next = at + 1 < length ? bytes[at + 1] : 0;
        const unsigned short joined = next == 0xDE ? voiced_[b] : next == 0xDF ? semiVoiced_[b] : 0;
        Append(folded, joined ? joined : singles_[b] ? singles_[b] : b);
        at += joined ? 2 : 1;
    }
    return true;
}
