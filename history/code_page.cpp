#include "code_page.h"

#include <windows.h>

#include <utility>

CodePage::CodePage() : locale_(GetSystemDefaultLCID())
{
    CPINFO info{};
    if (GetCPInfo(CP_ACP, &info)) {
        for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
            for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
                leadByte_[b] = true;
    }
    for (int b = 0; b < 256; ++b) {
        multibyte_ = multibyte_ || leadByte_[b];
        lowerSingle_[b] = static_cast<unsigned char>(b);
        if (b == 0 || leadByte_[b])
            continue;
        char in = static_cast<char>(b);
        WORD type = 0;
        char out[4] = {};
        if (GetStringTypeExA(locale_, CT_CTYPE1, &in, 1, &type) && (type & C1_UPPER) &&
            LCMapStringA(locale_, LCMAP_LOWERCASE, &in, 1, out, sizeof out) == 1)
            lowerSingle_[b] = static_cast<unsigned char>(out[0]);
    }
}

const CodePage& CodePage::Ansi()
{
    static const CodePage ansi;
    return ansi;
}

void CodePage::FillRow(unsigned char lead) const
{
    std::unique_ptr<DoubleLower[]> row(new DoubleLower[256]);
    for (int trail = 0; trail < 256; ++trail) {
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        char out[8] = {};
        const int written = trail ? LCMapStringA(locale_, LCMAP_LOWERCASE, in, 2, out, sizeof out) : 0;
        if (written == 0) {
            row[trail] = {lead, static_cast<unsigned char>(trail), 2};
        } else if (written == 2) {
            row[trail] = {static_cast<unsigned char>(out[0]), static_cast<unsigned char>(out[1]), 1};
        } else {
            // No two-byte lower form: the character has no case and stays as it is.
            row[trail] = {lead, static_cast<unsigned char>(trail), 1};
        }
    }
    rows_[lead] = std::move(row);
}

bool CodePage::LowerDouble(unsigned char& lead, unsigned char& trail) const
{
    if (!rows_[lead])
        FillRow(lead);
    const DoubleLower& mapped = rows_[lead][trail];
    if (mapped.state != 1)
        return false;
    lead = mapped.lead;
    trail = mapped.trail;
    return true;
}
