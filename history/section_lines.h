#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Bytes inside a buffer that someone else owns.
struct ByteSpan {
    const char* data = "";
    size_t length = 0;

    std::string String() const { return std::string(data, length); }
    bool operator==(const ByteSpan& other) const;
};

// What a read of a single key gives for a value as the section read shows it: one pair of
// enclosing quotes stripped, and the text cut to what the 260-byte buffer of a keyword read
// holds. The system cuts at 259 characters first and then at 259 bytes, on a character's
// boundary; when the value is quoted and its closing quote lies at most one character past
// the cut, the last character kept goes too.
ByteSpan ValueAsRead(ByteSpan value);

// The text the reader takes from a value as it is written in the file: blanks around it
// trimmed, then as a read of the single key gives it.
std::string TextAsRead(const std::string& value);

// What a read of a single key gives, and whether the section has the key at all.
struct KeyReading {
    bool present = false;
    ByteSpan text;
};

// The lines of one section as the system's section read gives them (blanks around keys and
// values trimmed, quotes kept, duplicates kept, in the file's order), each split into its
// key and its value.
class SectionLines {
public:
    struct Line {
        ByteSpan key;
        ByteSpan value; // empty for a line without "="
    };

    SectionLines() = default;
    // Each line NUL-terminated, the last followed by a second NUL.
    explicit SectionLines(std::vector<char> lines);
    SectionLines(SectionLines&&) = default;
    SectionLines& operator=(SectionLines&&) = default;
    SectionLines(const SectionLines&) = delete;
    SectionLines& operator=(const SectionLines&) = delete;

    const std::vector<Line>& Lines() const { return lines_; }
    // What reads of the single keys give, in one pass over the lines: from the first line of
    // each key, the letter case of ASCII ignored; empty when no line has the key.
    std::vector<KeyReading> Read(const std::vector<std::string>& keys) const;

private:
    std::vector<char> buffer_;
    std::vector<Line> lines_;
};

// Key and section names are compared as the reader compares them: cut at a NUL, ignoring the
// letter case of ASCII. Names are the same when their folded forms are.
std::string FoldKey(const char* key, size_t length);
