// values.txt of a skin source folder: the integer, colour, flag and string values of a skin.
//
// Syntax, one value per line:
//   KEY = VALUE
// Blank lines and lines starting with '#' or ';' are comments; a '#' outside quotes ends a value.
// KEY is 1-64 characters of letters, digits, '_', '.' and '-'. VALUE is one of
//   a decimal integer            12, -1
//   a hexadecimal integer        $00BBGGRR (as TColor is written), 0x1F
//   a colour name                clFuchsia, clBtnFace (the framework's colour constants)
//   a flag                       true, false (a flag key also takes a number 0-255, stored as its byte)
//   a string in double quotes    "text", with \" \\ \n \r \t escapes
// The skin's own keys decide the kind: colour and integer keys take an integer, flag keys a flag;
// another key's kind follows its value (quoted: string, true/false: flag, else integer).
// A key may appear once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TKvKind { Integer, Flag, String };

struct TKvEntry {
    std::string Key;
    TKvKind Kind = TKvKind::Integer;
    int32_t Int = 0;    // Integer
    uint8_t Flag = 0;   // Flag
    std::string Str;    // String
    int Line = 0;       // where it was read (1-based)
};

// Parses values.txt; on an error returns false with a message "line N: ...".
bool KvParseValues(const std::string& Text, std::vector<TKvEntry>& Entries, std::string& Error);

// Writes entries in the syntax above (colour keys in $00BBGGRR form), grouped under comments.
std::string KvFormatValues(const std::vector<TKvEntry>& Entries);

// A string value quoted with escapes, and the escaping of dump lines (\\ \t \n \r).
std::string KvQuote(const std::string& s);
std::string KvEscapeLine(const std::string& s);

// Colour names: the framework's clXxx constants. Lookup is case-insensitive.
bool KvColorFromName(const std::string& Name, int32_t& Color);
