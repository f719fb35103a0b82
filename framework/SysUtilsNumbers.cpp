// Number conversion: decimal digits of a double, FloatToStr/FloatToStrF/FormatFloat, and the
// text-to-number routines.
#include "framework/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <string>

// =============================================================================================
// Decimal digits of a double

namespace {

// Exact decimal digits of a finite positive value: Digits (first one non-zero) and Exponent with
// value = 0.Digits x 10^Exponent. With Exact false only the first 61 digits are produced (the last
// of them rounded by the C library).
void RawDigits(double a, bool exact, std::string& digits, int& exponent)
{
    // A double's exact expansion has at most 767 significant digits.
    static thread_local char buf[900];
    const int decimals = exact ? 780 : 60;
    const int n = std::snprintf(buf, sizeof buf, "%.*e", decimals, a);
    digits.clear();
    exponent = 0;
    if (n <= 0 || n >= int(sizeof buf))
        return;
    int i = 0;
    for (; i < n && buf[i] != 'e'; ++i)
        if (buf[i] >= '0' && buf[i] <= '9')
            digits.push_back(buf[i]);
    if (i < n)
        exponent = std::atoi(buf + i + 1) + 1;
}

// Rounds Digits to N digits, half away from zero; may carry into a new first digit.
void RoundDigitsAt(std::string& digits, int& exponent, int n)
{
    if (n >= int(digits.size()))
        return;
    if (n < 0) {
        digits.clear();
        return;
    }
    const bool up = digits[size_t(n)] >= '5';
    digits.resize(size_t(n));
    if (!up)
        return;
    int i = n - 1;
    while (i >= 0 && digits[size_t(i)] == '9') {
        digits[size_t(i)] = '0';
        --i;
    }
    if (i >= 0) {
        ++digits[size_t(i)];
    } else {
        digits.insert(digits.begin(), '1');
        ++exponent;
        if (n > 0)
            digits.resize(size_t(n));
    }
}

// True when the 61 printed digits cannot tell which way digit N rounds: the digits from N on read
// "5000..." (perhaps printed up from "4999...") or "4999..." (perhaps printed down).
bool RoundingAmbiguous(const std::string& digits, int n)
{
    if (n < 0 || n >= int(digits.size()))
        return false;
    const char first = digits[size_t(n)];
    if (first != '5' && first != '4')
        return false;
    const char rest = first == '5' ? '0' : '9';
    for (size_t i = size_t(n) + 1; i < digits.size(); ++i)
        if (digits[i] != rest)
            return false;
    return true;
}

String ZeroPad(qint64 value, int digits)
{
    String s = String::number(value);
    if (s.size() < digits)
        s.prepend(String(digits - s.size(), QLatin1Char('0')));
    return s;
}

// Inserts the thousands separator between groups of three digits.
String GroupThousands(const String& digits, QChar separator)
{
    String result;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            result += separator;
        result += digits[i];
    }
    return result;
}

}  // namespace

void FloatToDecimal(TFloatRec& Result, double Value, int Precision, int Decimals)
{
    Result = TFloatRec();
    if (std::isnan(Value)) {
        Result.Nan = true;
        return;
    }
    if (std::isinf(Value)) {
        Result.Infinite = true;
        Result.Negative = Value < 0;
        return;
    }
    if (Value == 0)
        return;
    Precision = std::clamp(Precision, 1, 18);
    const double a = std::fabs(Value);
    std::string digits;
    int exponent = 0;
    RawDigits(a, false, digits, exponent);
    if (RoundingAmbiguous(digits, Precision))
        RawDigits(a, true, digits, exponent);
    RoundDigitsAt(digits, exponent, Precision);
    if (Decimals < 9999)
        RoundDigitsAt(digits, exponent, exponent + Decimals);
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.empty())
        return;
    Result.Digits = QByteArray::fromStdString(digits);
    Result.Exponent = exponent;
    Result.Negative = Value < 0;
}

// =============================================================================================
// Floating point to text

namespace {

String SpecialText(const TFloatRec& rec)
{
    if (rec.Nan)
        return QStringLiteral("NAN");
    return rec.Negative ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Mantissa d.ddd with the given digits (at least one), then E, sign and exponent digits.
String ExponentText(const QByteArray& digits, int exponent, bool plusSign, int expDigits, QChar decimalSep)
{
    String s = QChar(QLatin1Char(digits[0]));
    if (digits.size() > 1) {
        s += decimalSep;
        s += String::fromLatin1(digits.mid(1));
    }
    s += QLatin1Char('E');
    if (exponent < 0)
        s += QLatin1Char('-');
    else if (plusSign)
        s += QLatin1Char('+');
    s += ZeroPad(std::abs(exponent), expDigits);
    return s;
}

// Integer part and Decimals fraction digits of a converted value.
void FixedParts(const TFloatRec& rec, int decimals, String& intPart, String& fracPart)
{
    const int e = rec.Exponent;
    const int len = int(rec.Digits.size());
    intPart.clear();
    for (int i = 0; i < e; ++i)
        intPart += QLatin1Char(i < len ? rec.Digits[i] : '0');
    fracPart.clear();
    for (int j = 0; j < decimals; ++j) {
        const int idx = e + j;
        fracPart += QLatin1Char(idx >= 0 && idx < len ? rec.Digits[idx] : '0');
    }
}

String ApplyCurrency(const String& number, bool negative, const TFormatSettings& fs)
{
    const String c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1: return number + c;
        case 2: return c + QLatin1Char(' ') + number;
        case 3: return number + QLatin1Char(' ') + c;
        default: return c + number;
        }
    }
    const String n = number;
    switch (fs.NegCurrFormat) {
    case 1: return QLatin1Char('-') + c + n;
    case 2: return c + QLatin1Char('-') + n;
    case 3: return c + n + QLatin1Char('-');
    case 4: return QLatin1Char('(') + n + c + QLatin1Char(')');
    case 5: return QLatin1Char('-') + n + c;
    case 6: return n + QLatin1Char('-') + c;
    case 7: return n + c + QLatin1Char('-');
    case 8: return QLatin1Char('-') + n + QLatin1Char(' ') + c;
    case 9: return QLatin1Char('-') + c + QLatin1Char(' ') + n;
    case 10: return n + QLatin1Char(' ') + c + QLatin1Char('-');
    case 11: return c + QLatin1Char(' ') + n + QLatin1Char('-');
    case 12: return c + QLatin1Char(' ') + QLatin1Char('-') + n;
    case 13: return n + QLatin1Char('-') + QLatin1Char(' ') + c;
    case 14: return QLatin1Char('(') + c + QLatin1Char(' ') + n + QLatin1Char(')');
    case 15: return QLatin1Char('(') + n + QLatin1Char(' ') + c + QLatin1Char(')');
    default: return QLatin1Char('(') + c + n + QLatin1Char(')');
    }
}

}  // namespace

String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits, const TFormatSettings& Settings)
{
    Precision = std::clamp(Precision, 1, 18);
    TFloatRec rec;
    const QChar sep = Settings.DecimalSeparator;
    switch (Format) {
    case ffExponent: {
        FloatToDecimal(rec, Value, Precision, 9999);
        if (rec.Nan || rec.Infinite)
            return SpecialText(rec);
        QByteArray digits = rec.Digits;
        const int exponent = digits.isEmpty() ? 0 : rec.Exponent - 1;
        digits.append(QByteArray(Precision - digits.size(), '0'));
        const String s = ExponentText(digits, exponent, true, std::clamp(Digits, 0, 4), sep);
        return rec.Negative ? QLatin1Char('-') + s : s;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        Digits = std::clamp(Digits, 0, 18);
        FloatToDecimal(rec, Value, Precision, Digits);
        if (rec.Nan || rec.Infinite)
            return SpecialText(rec);
        if (rec.Exponent > Precision)
            return FloatToStrF(Value, ffExponent, Precision, 0, Settings);
        String intPart, fracPart;
        FixedParts(rec, Digits, intPart, fracPart);
        if (intPart.isEmpty())
            intPart = QStringLiteral("0");
        if (Format != ffFixed)
            intPart = GroupThousands(intPart, Settings.ThousandSeparator);
        String s = intPart;
        if (Digits > 0)
            s += sep + fracPart;
        if (Format == ffCurrency)
            return ApplyCurrency(s, rec.Negative, Settings);
        return rec.Negative ? QLatin1Char('-') + s : s;
    }
    case ffGeneral:
    default: {
        FloatToDecimal(rec, Value, Precision, 9999);
        if (rec.Nan || rec.Infinite)
            return SpecialText(rec);
        if (rec.Digits.isEmpty())
            return QStringLiteral("0");
        String s;
        const int e = rec.Exponent;
        if (e > Precision || e < -3) {
            s = ExponentText(rec.Digits, e - 1, false, std::clamp(Digits, 0, 4), sep);
        } else if (e <= 0) {
            s = QLatin1Char('0') + String(sep) + String(-e, QLatin1Char('0')) + String::fromLatin1(rec.Digits);
        } else {
            String intPart, fracPart;
            FixedParts(rec, std::max(0, int(rec.Digits.size()) - e), intPart, fracPart);
            s = intPart;
            if (!fracPart.isEmpty())
                s += sep + fracPart;
        }
        return rec.Negative ? QLatin1Char('-') + s : s;
    }
    }
}

String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits)
{
    return FloatToStrF(Value, Format, Precision, Digits, FormatSettings);
}

String FloatToStr(double Value, const TFormatSettings& Settings)
{
    return FloatToStrF(Value, ffGeneral, 15, 0, Settings);
}

String FloatToStr(double Value) { return FloatToStr(Value, FormatSettings); }

// =============================================================================================
// FormatFloat

namespace {

// Splits a picture into its sections at ';' outside quoted text.
QStringList SplitSections(const String& format)
{
    QStringList sections;
    String current;
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections.append(current);
            current.clear();
            continue;
        }
        current += c;
    }
    sections.append(current);
    return sections;
}

// One section of a picture, measured.
struct TPicture {
    int IntPlaceholders = 0;
    int IntRequired = 0;      // '0' placeholders from the first one to the point
    int FracPlaceholders = 0;
    int FracRequired = 0;     // up to the last '0' after the point
    bool Thousands = false;
    bool Scientific = false;
    int ExpPos = -1;          // index of the 'E' in the section
    int ExpLength = 0;        // characters of "E+00"
    bool ExpPlus = false;
    int ExpDigits = 0;
};

bool IsPlaceholder(QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('#'); }

TPicture MeasurePicture(const String& sec)
{
    TPicture p;
    bool point = false;
    int firstZero = -1;
    const int len = int(sec.size());
    for (int i = 0; i < len; ++i) {
        const QChar c = sec[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int close = int(sec.indexOf(c, i + 1));
            i = close < 0 ? len : close;
            continue;
        }
        if (IsPlaceholder(c)) {
            if (!point) {
                if (c == QLatin1Char('0') && firstZero < 0)
                    firstZero = p.IntPlaceholders;
                ++p.IntPlaceholders;
            } else {
                ++p.FracPlaceholders;
                if (c == QLatin1Char('0'))
                    p.FracRequired = p.FracPlaceholders;
            }
        } else if (c == QLatin1Char('.')) {
            point = true;
        } else if (c == QLatin1Char(',')) {
            if (!point)
                p.Thousands = true;
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && !p.Scientific && i + 2 < len &&
                   (sec[i + 1] == QLatin1Char('+') || sec[i + 1] == QLatin1Char('-')) && sec[i + 2] == QLatin1Char('0')) {
            p.Scientific = true;
            p.ExpPos = i;
            p.ExpPlus = sec[i + 1] == QLatin1Char('+');
            int j = i + 2;
            while (j < len && sec[j] == QLatin1Char('0'))
                ++j;
            p.ExpDigits = std::min(j - (i + 2), 4);
            p.ExpLength = j - i;
            i = j - 1;
        }
    }
    p.IntRequired = firstZero < 0 ? 0 : p.IntPlaceholders - firstZero;
    return p;
}

// Formats A (not negative) with one section; Zero tells whether it rounded to zero.
String FormatSection(const String& sec, double a, const TFormatSettings& fs, bool& zero)
{
    const TPicture p = MeasurePicture(sec);
    TFloatRec rec;
    String intDigits, fracDigits;
    int exponent = 0;
    if (p.Scientific) {
        const int total = std::clamp(p.IntPlaceholders + p.FracPlaceholders, 1, 18);
        FloatToDecimal(rec, a, total, 9999);
        zero = rec.Digits.isEmpty();
        const QByteArray d = rec.Digits;
        for (int i = 0; i < p.IntPlaceholders; ++i)
            intDigits += QLatin1Char(i < d.size() ? d[i] : '0');
        for (int j = 0; j < p.FracPlaceholders; ++j) {
            const int idx = p.IntPlaceholders + j;
            fracDigits += QLatin1Char(idx < d.size() ? d[idx] : '0');
        }
        exponent = zero ? 0 : rec.Exponent - p.IntPlaceholders;
        while (intDigits.size() > p.IntRequired && intDigits.startsWith(QLatin1Char('0')))
            intDigits.remove(0, 1);
    } else {
        FloatToDecimal(rec, a, 15, p.FracPlaceholders);
        zero = rec.Digits.isEmpty();
        FixedParts(rec, p.FracPlaceholders, intDigits, fracDigits);
        if (intDigits.size() < p.IntRequired)
            intDigits.prepend(String(p.IntRequired - intDigits.size(), QLatin1Char('0')));
    }
    while (fracDigits.size() > p.FracRequired && fracDigits.endsWith(QLatin1Char('0')))
        fracDigits.chop(1);

    const bool group = p.Thousands && !p.Scientific;
    const int L = int(intDigits.size());
    auto emitIntDigit = [&](String& out, int j) {
        if (group && j > 0 && (L - j) % 3 == 0)
            out += fs.ThousandSeparator;
        out += intDigits[j];
    };

    String out;
    bool point = false;
    bool intEmitted = false;
    int intIndex = 0, fracIndex = 0;
    const int len = int(sec.size());
    for (int i = 0; i < len; ++i) {
        const QChar c = sec[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int close = int(sec.indexOf(c, i + 1));
            const int end = close < 0 ? len : close;
            out += sec.mid(i + 1, end - i - 1);
            i = end;
            continue;
        }
        if (p.Scientific && i == p.ExpPos) {
            out += c;
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (p.ExpPlus)
                out += QLatin1Char('+');
            out += ZeroPad(std::abs(exponent), p.ExpDigits);
            i += p.ExpLength - 1;
            continue;
        }
        if (IsPlaceholder(c)) {
            if (!point) {
                const int k = intIndex++;
                const int P = p.IntPlaceholders;
                if (k == 0 && L > P)
                    for (int j = 0; j < L - P; ++j)
                        emitIntDigit(out, j);
                const int idx = k - (P - L);
                if (idx >= 0)
                    emitIntDigit(out, idx);
                intEmitted = true;
            } else {
                const int j = fracIndex++;
                if (j < fracDigits.size())
                    out += fracDigits[j];
            }
            continue;
        }
        if (c == QLatin1Char('.') && !point) {
            point = true;
            if (!intEmitted) {
                // A picture without integer placeholders still shows the integer digits.
                for (int j = 0; j < L; ++j)
                    emitIntDigit(out, j);
                intEmitted = true;
            }
            if (!fracDigits.isEmpty())
                out += fs.DecimalSeparator;
            continue;
        }
        if (c == QLatin1Char(','))
            continue;
        out += c;
    }
    return out;
}

}  // namespace

String FormatFloat(const String& Format, double Value, const TFormatSettings& Settings)
{
    if (std::isnan(Value))
        return QStringLiteral("NAN");
    if (std::isinf(Value))
        return Value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (Format.isEmpty())
        return FloatToStr(Value, Settings);
    const QStringList sections = SplitSections(Format);
    const bool haveNegative = sections.size() >= 2 && !sections[1].isEmpty();
    const bool haveZero = sections.size() >= 3 && !sections[2].isEmpty();
    int sec = 0;
    bool minus = false;
    if (Value < 0) {
        if (haveNegative)
            sec = 1;
        else
            minus = true;
    } else if (Value == 0 && haveZero) {
        sec = 2;
    }
    if (sections[sec].isEmpty())
        return FloatToStr(Value, Settings);
    bool zero = false;
    String s = FormatSection(sections[sec], std::fabs(Value), Settings, zero);
    if (zero && Value != 0) {
        // A value that rounds to zero takes the zero section, and never a minus sign.
        if (haveZero)
            return FormatSection(sections[2], 0.0, Settings, zero);
        minus = false;
    }
    return minus ? QLatin1Char('-') + s : s;
}

String FormatFloat(const String& Format, double Value) { return FormatFloat(Format, Value, FormatSettings); }

// =============================================================================================
// Text to numbers

namespace {

locale_t CLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}

bool IsAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

String InvalidFloatMessage(const String& s)
{
    return QStringLiteral("\"%1\" is not a valid floating point value").arg(s);
}

String InvalidIntegerMessage(const String& s)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(s);
}

// Parses an integer as the framework's Val does, within [-negLimit, posLimit] for decimal text
// and [0, hexLimit] for hexadecimal (taken as two's complement of the type).
bool ParseInteger(const String& s, uint64_t posLimit, uint64_t negLimit, uint64_t hexLimit, bool& negative, uint64_t& magnitude)
{
    const int len = int(s.size());
    int p = 0;
    while (p < len && s[p] == QLatin1Char(' '))
        ++p;
    negative = false;
    if (p < len && (s[p] == QLatin1Char('-') || s[p] == QLatin1Char('+'))) {
        negative = s[p] == QLatin1Char('-');
        ++p;
    }
    bool hex = false;
    if (p < len && (s[p] == QLatin1Char('$') || s[p] == QLatin1Char('x') || s[p] == QLatin1Char('X'))) {
        hex = true;
        ++p;
    } else if (p + 1 < len && s[p] == QLatin1Char('0') && (s[p + 1] == QLatin1Char('x') || s[p + 1] == QLatin1Char('X'))) {
        hex = true;
        p += 2;
    }
    if (p >= len)
        return false;
    uint64_t value = 0;
    const uint64_t limit = hex ? hexLimit : (negative ? negLimit : posLimit);
    const unsigned base = hex ? 16 : 10;
    for (; p < len; ++p) {
        const ushort c = s[p].unicode();
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        if (value > (limit - digit) / base)
            return false;
        value = value * base + digit;
    }
    magnitude = value;
    return true;
}

}  // namespace

bool TryStrToFloat(const String& S, double& Value, const TFormatSettings& Settings)
{
    const int len = int(S.size());
    int p = 0;
    while (p < len && S[p] == QLatin1Char(' '))
        ++p;
    std::string text;
    if (p < len && (S[p] == QLatin1Char('-') || S[p] == QLatin1Char('+')))
        text.push_back(char(S[p++].unicode()));
    int mantissaDigits = 0;
    while (p < len && IsAsciiDigit(S[p])) {
        text.push_back(char(S[p++].unicode()));
        ++mantissaDigits;
    }
    if (p < len && S[p] == Settings.DecimalSeparator) {
        ++p;
        text.push_back('.');
        while (p < len && IsAsciiDigit(S[p])) {
            text.push_back(char(S[p++].unicode()));
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (p < len && (S[p] == QLatin1Char('e') || S[p] == QLatin1Char('E'))) {
        ++p;
        text.push_back('e');
        if (p < len && (S[p] == QLatin1Char('-') || S[p] == QLatin1Char('+')))
            text.push_back(char(S[p++].unicode()));
        int expDigits = 0;
        while (p < len && IsAsciiDigit(S[p])) {
            text.push_back(char(S[p++].unicode()));
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    while (p < len && S[p] == QLatin1Char(' '))
        ++p;
    if (p != len)
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = strtod_l(text.c_str(), &end, CLocale());
    if (end != text.c_str() + text.size() || std::isinf(v) || std::isnan(v))
        return false;
    Value = v;  // underflow gives zero or a denormal, as the nearest double
    return true;
}

bool TryStrToFloat(const String& S, double& Value) { return TryStrToFloat(S, Value, FormatSettings); }

double StrToFloat(const String& S, const TFormatSettings& Settings)
{
    double v = 0;
    if (!TryStrToFloat(S, v, Settings))
        throw EConvertError(InvalidFloatMessage(S));
    return v;
}

double StrToFloat(const String& S) { return StrToFloat(S, FormatSettings); }

double StrToFloatDef(const String& S, double Default)
{
    double v = 0;
    return TryStrToFloat(S, v) ? v : Default;
}

bool TryStrToInt(const String& S, int& Value)
{
    bool negative = false;
    uint64_t m = 0;
    if (!ParseInteger(S, 0x7FFFFFFFull, 0x80000000ull, 0xFFFFFFFFull, negative, m))
        return false;
    const uint32_t u = negative ? uint32_t(0u - uint32_t(m)) : uint32_t(m);
    Value = int(int32_t(u));
    return true;
}

bool TryStrToInt64(const String& S, int64_t& Value)
{
    bool negative = false;
    uint64_t m = 0;
    if (!ParseInteger(S, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull, ~0ull, negative, m))
        return false;
    const uint64_t u = negative ? uint64_t(0) - m : m;
    Value = int64_t(u);
    return true;
}

int StrToInt(const String& S)
{
    int v = 0;
    if (!TryStrToInt(S, v))
        throw EConvertError(InvalidIntegerMessage(S));
    return v;
}

int64_t StrToInt64(const String& S)
{
    int64_t v = 0;
    if (!TryStrToInt64(S, v))
        throw EConvertError(InvalidIntegerMessage(S));
    return v;
}

int StrToIntDef(const String& S, int Default)
{
    int v = 0;
    return TryStrToInt(S, v) ? v : Default;
}

int64_t StrToInt64Def(const String& S, int64_t Default)
{
    int64_t v = 0;
    return TryStrToInt64(S, v) ? v : Default;
}
