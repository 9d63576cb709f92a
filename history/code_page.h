#pragma once

#include <memory>

// The character tables of the process's ANSI code page, taken from the system: which bytes
// lead a double-byte character and how characters lower-case. The code page is fixed for the
// process, so the tables are read once and shared.
class CodePage {
public:
    bool Multibyte() const { return multibyte_; }
    bool IsLeadByte(unsigned char value) const { return leadByte_[value]; }
    unsigned char LowerSingle(unsigned char value) const { return lowerSingle_[value]; }
    // Lowers one double-byte character in place; false when the system cannot map it.
    bool LowerDouble(unsigned char& lead, unsigned char& trail) const;

    static const CodePage& Ansi();

private:
    CodePage();
    void FillRow(unsigned char lead) const;

    struct DoubleLower {
        unsigned char lead;
        unsigned char trail;
        unsigned char state; // 0 not read yet, 1 mapped, 2 the system failed
    };

    unsigned long locale_;
    bool multibyte_ = false;
    bool leadByte_[256] = {};
    unsigned char lowerSingle_[256] = {};
    // Rows of double-byte lower-case forms, one per lead byte, read from the system the
    // first time a character of that row is lowered.
    mutable std::unique_ptr<DoubleLower[]> rows_[256];
};
