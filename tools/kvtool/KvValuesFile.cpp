#include "tools/kvtool/KvValuesFile.h"

#include "framework/Colors.h"
#include "skin/theme/Kiv2define.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

struct TColorName {
    const char* Name;
    TColor Value;
};

const TColorName kColorNames[] = {
    {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
    {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
    {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
    {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen}, {"clSkyBlue", clSkyBlue}, {"clCream", clCream}, {"clMedGray", clMedGray},
    {"clNone", clNone}, {"clDefault", clDefault},
    {"clScrollBar", clScrollBar}, {"clBackground", clBackground}, {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption}, {"clMenu", clMenu}, {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame}, {"clMenuText", clMenuText}, {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText}, {"clActiveBorder", clActiveBorder}, {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace}, {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace}, {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText}, {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText}, {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow}, {"cl3DLight", cl3DLight}, {"clInfoText", clInfoText}, {"clInfoBk", clInfoBk},
    {"clHotLight", clHotLight}, {"clGradientActiveCaption", clGradientActiveCaption},
    {"clGradientInactiveCaption", clGradientInactiveCaption}, {"clMenuHighlight", clMenuHighlight},
    {"clMenuBar", clMenuBar},
};

bool EqualNoCase(const std::string& a, const char* b)
{
    const size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i]))
            return false;
    return true;
}

bool ValidKeyChar(char c) { return std::isalnum((unsigned char)c) || c == '_' || c == '.' || c == '-'; }

std::string Trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && std::isspace((unsigned char)s[a]))
        ++a;
    while (b > a && std::isspace((unsigned char)s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

// Parses an integer in decimal, $hex or 0xhex; the 32-bit pattern is kept for hex.
bool ParseInteger(const std::string& s, int32_t& v)
{
    if (s.empty())
        return false;
    const char* p = s.c_str();
    int base = 10;
    bool neg = false;
    if (*p == '$') {
        base = 16;
        ++p;
    } else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (*p == '-' || *p == '+') {
        neg = *p == '-';
        ++p;
    }
    if (!*p)
        return false;
    uint64_t acc = 0;
    for (; *p; ++p) {
        int d;
        if (*p >= '0' && *p <= '9')
            d = *p - '0';
        else if (base == 16 && std::isxdigit((unsigned char)*p))
            d = std::tolower((unsigned char)*p) - 'a' + 10;
        else
            return false;
        acc = acc * uint64_t(base) + uint64_t(d);
        if (acc > 0xFFFFFFFFull)
            return false;
    }
    if (base == 16) {
        v = int32_t(uint32_t(acc));
        return true;
    }
    if (neg ? acc > 0x80000000ull : acc > 0x7FFFFFFFull)
        return false;
    v = neg ? int32_t(-int64_t(acc)) : int32_t(acc);
    return true;
}

std::string Hex8(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", v);
    return buf;
}

}  // namespace

bool KvColorFromName(const std::string& Name, int32_t& Color)
{
    for (const auto& c : kColorNames) {
        if (EqualNoCase(Name, c.Name)) {
            Color = c.Value;
            return true;
        }
    }
    return false;
}

bool KvParseValues(const std::string& Text, std::vector<TKvEntry>& Entries, std::string& Error)
{
    Entries.clear();
    std::set<std::string> seen;
    size_t pos = 0;
    int lineNo = 0;
    while (pos <= Text.size()) {
        size_t eol = Text.find('\n', pos);
        if (eol == std::string::npos)
            eol = Text.size();
        std::string line = Text.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (lineNo == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        auto fail = [&](const std::string& msg) {
            Error = "line " + std::to_string(lineNo) + ": " + msg;
            return false;
        };
        const std::string t = Trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';')
            continue;

        const size_t eq = t.find('=');
        if (eq == std::string::npos)
            return fail("expected KEY = VALUE");
        TKvEntry e;
        e.Key = Trim(t.substr(0, eq));
        e.Line = lineNo;
        if (e.Key.empty() || e.Key.size() > 64)
            return fail("a key has 1 to 64 characters");
        for (char c : e.Key)
            if (!ValidKeyChar(c))
                return fail("invalid character in key \"" + e.Key + "\"");
        if (!seen.insert(e.Key).second)
            return fail("key " + e.Key + " appears twice");

        std::string rest = Trim(t.substr(eq + 1));
        std::string value;
        bool quoted = false;
        if (!rest.empty() && rest[0] == '"') {
            quoted = true;
            size_t i = 1;
            bool closed = false;
            for (; i < rest.size(); ++i) {
                char c = rest[i];
                if (c == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (c == '\\') {
                    if (++i >= rest.size())
                        break;
                    switch (rest[i]) {
                    case 'n': value += '\n'; break;
                    case 'r': value += '\r'; break;
                    case 't': value += '\t'; break;
                    case '"': value += '"'; break;
                    case '\\': value += '\\'; break;
                    default: return fail(std::string("unknown escape \\") + rest[i]);
                    }
                    continue;
                }
                value += c;
            }
            if (!closed)
                return fail("unterminated string");
            const std::string after = Trim(rest.substr(i));
            if (!after.empty() && after[0] != '#')
                return fail("unexpected text after the string");
        } else {
            const size_t hash = rest.find('#');
            value = Trim(hash == std::string::npos ? rest : rest.substr(0, hash));
            if (value.empty())
                return fail("missing value for " + e.Key);
        }

        const TSk2KeyKind kind = Sk2KeyKind(e.Key.c_str());
        const bool isTrue = !quoted && EqualNoCase(value, "true");
        const bool isFalse = !quoted && EqualNoCase(value, "false");
        if (kind == TSk2KeyKind::Bool) {
            int32_t n = 0;
            if (isTrue || isFalse)
                n = isTrue ? 1 : 0;
            else if (quoted || !ParseInteger(value, n) || n < 0 || n > 255)
                return fail(e.Key + " is a flag: 0, 1, true, false or a byte 0-255");
            e.Kind = TKvKind::Flag;
            e.Flag = uint8_t(n);
        } else if (kind == TSk2KeyKind::Color || kind == TSk2KeyKind::Int) {
            if (quoted || !(ParseInteger(value, e.Int) || KvColorFromName(value, e.Int)))
                return fail(e.Key + std::string(kind == TSk2KeyKind::Color ? " is a colour: $00BBGGRR, a number or a clXxx name"
                                                                          : " is an integer"));
            e.Kind = TKvKind::Integer;
        } else if (kind == TSk2KeyKind::Bitmap) {
            return fail(e.Key + " is a bitmap: store it as " + e.Key + ".bmp");
        } else if (quoted) {
            e.Kind = TKvKind::String;
            e.Str = value;
        } else if (isTrue || isFalse) {
            e.Kind = TKvKind::Flag;
            e.Flag = isTrue ? 1 : 0;
        } else if (ParseInteger(value, e.Int) || KvColorFromName(value, e.Int)) {
            e.Kind = TKvKind::Integer;
        } else {
            return fail("cannot read the value of " + e.Key + " (strings go in double quotes)");
        }
        Entries.push_back(std::move(e));
    }
    return true;
}

std::string KvQuote(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

std::string KvEscapeLine(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out;
}

std::string KvFormatValues(const std::vector<TKvEntry>& Entries)
{
    std::string colors, ints, flags, strings;
    for (const auto& e : Entries) {
        const TSk2KeyKind kind = Sk2KeyKind(e.Key.c_str());
        switch (e.Kind) {
        case TKvKind::Integer:
            if (kind == TSk2KeyKind::Color)
                colors += e.Key + " = " + Hex8(uint32_t(e.Int)) + "\n";
            else
                ints += e.Key + " = " + std::to_string(e.Int) + "\n";
            break;
        case TKvKind::Flag:
            flags += e.Key + " = " + (e.Flag == 0 ? std::string("false") : e.Flag == 1 ? std::string("true") : std::to_string(e.Flag)) + "\n";
            break;
        case TKvKind::String:
            strings += e.Key + " = " + KvQuote(e.Str) + "\n";
            break;
        }
    }
    std::string out = "# Skin values: KEY = VALUE (colours $00BBGGRR, flags true/false, strings in quotes)\n";
    if (!colors.empty())
        out += "\n# Colours\n" + colors;
    if (!ints.empty())
        out += "\n# Integers\n" + ints;
    if (!flags.empty())
        out += "\n# Flags\n" + flags;
    if (!strings.empty())
        out += "\n# Strings\n" + strings;
    return out;
}
