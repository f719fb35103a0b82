// The framework's routines: number and date/time conversion with its formatting rules, string
// helpers, file-name helpers and a few system services.
//
// Number and date texts follow FormatSettings, whose defaults are fixed ('.' decimal separator,
// ',' thousands separator, "yyyy/mm/dd" short date, ...) rather than taken from the C locale, so a
// text is the same on every machine. The time of day is the exception: see GetLocaleTimeFormats.
#pragma once

#include "framework/System.h"

#include <QStringList>

class QLocale;
#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <variant>

RQ_DECLARE_EXCEPTION(EOSError, Exception)

// ---------------------------------------------------------------------------------------------
// Format settings

struct TFormatSettings {
    QChar DecimalSeparator = QLatin1Char('.');
    QChar ThousandSeparator = QLatin1Char(',');
    QChar DateSeparator = QLatin1Char('-');
    QChar TimeSeparator = QLatin1Char(':');
    QChar ListSeparator = QLatin1Char(',');
    // In date formats '/' stands for DateSeparator and ':' for TimeSeparator.
    String ShortDateFormat = QStringLiteral("yyyy/mm/dd");
    String LongDateFormat = QStringLiteral("dddd, mmmm d, yyyy");
    String ShortTimeFormat = QStringLiteral("hh:nn");
    String LongTimeFormat = QStringLiteral("hh:nn:ss");
    String TimeAMString = QStringLiteral("AM");
    String TimePMString = QStringLiteral("PM");
    String CurrencyString = QStringLiteral("$");
    uint8_t CurrencyFormat = 0;   // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    uint8_t NegCurrFormat = 0;    // 0 "($1)", 1 "-$1", ... 15 "(1 $)"
    uint8_t CurrencyDecimals = 2;
    QStringList ShortMonthNames = {QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"),
                                   QStringLiteral("Apr"), QStringLiteral("May"), QStringLiteral("Jun"),
                                   QStringLiteral("Jul"), QStringLiteral("Aug"), QStringLiteral("Sep"),
                                   QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
    QStringList LongMonthNames = {QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
                                  QStringLiteral("April"), QStringLiteral("May"), QStringLiteral("June"),
                                  QStringLiteral("July"), QStringLiteral("August"), QStringLiteral("September"),
                                  QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    // Index 0 is Sunday.
    QStringList ShortDayNames = {QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"),
                                 QStringLiteral("Wed"), QStringLiteral("Thu"), QStringLiteral("Fri"),
                                 QStringLiteral("Sat")};
    QStringList LongDayNames = {QStringLiteral("Sunday"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
                                QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"),
                                QStringLiteral("Saturday")};
};

// The settings used by the routines that take none, SystemFormatSettings() when the program
// starts. GUI thread only when changed.
extern TFormatSettings FormatSettings;

// Decisions (the time of day and the locale):
// - The time-of-day texts are the user's: ShortTimeFormat (the "t" specifier, the status bar's
//   clock), LongTimeFormat ("tt") and TimeAMString/TimePMString come from the locale, so a 12-hour
//   locale shows "3:07 PM" (en_US: "h:nn ampm") and a 24-hour one "15:07" (de_DE: "hh:nn"), as the
//   original platform's framework does with the user's regional settings.
// - The locale is QLocale::system(), read once when the program starts: on Linux it follows
//   LC_ALL, then LC_TIME, then LANG. Later QLocale::setDefault calls do not change FormatSettings;
//   GetLocaleTimeFormats applies any other locale explicitly.
// - The C/POSIX locale has no short time form of its own (its only one has seconds); it keeps the
//   framework's "hh:nn" and "hh:nn:ss", which are the 24-hour forms.
// - Everything else stays fixed: decimal and thousands separators, dates and the time separator
//   (':' in a converted format still stands for TimeSeparator, so the locale's own separator is
//   written as literal text when it is not ':'). Numbers typed into the window and frequencies
//   shown in it therefore read the same on every machine.
// - A locale's format is converted to the framework's specifiers: h/hh/H/HH to h/hh, m/mm to n/nn,
//   s/ss, z/zzz, AP/A/ap/a to ampm with the locale's AM/PM texts in the case the format asks for,
//   quoted and other literal text kept literally. The time zone ('t') has no specifier here and is
//   left out, with the blanks it leaves at either end.
void GetLocaleTimeFormats(const QLocale& Locale, TFormatSettings& Settings);
// The fixed defaults with the time-of-day formats of QLocale::system().
TFormatSettings SystemFormatSettings();

// ---------------------------------------------------------------------------------------------
// Floating-point numbers

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// A number as decimal digits: Value = 0.Digits x 10^Exponent. Digits holds no trailing zeros and is
// empty for zero (and for NaN/infinity, flagged separately).
struct TFloatRec {
    int Exponent = 0;
    bool Negative = false;
    bool Nan = false;
    bool Infinite = false;
    QByteArray Digits;
};

// Converts Value rounded to Precision significant digits (1..18) and then, unless Decimals is 9999
// or more, to Decimals digits after the point. Both roundings are half away from zero on the
// decimal digits. A value that rounds to zero is not negative.
void FloatToDecimal(TFloatRec& Result, double Value, int Precision, int Decimals);

// General format, 15 significant digits: "490", "433.919921875", "0.3", "1E15", "1E-5";
// "NAN", "INF", "-INF".
String FloatToStr(double Value);
String FloatToStr(double Value, const TFormatSettings& Settings);
// Precision: significant digits. Digits: minimum exponent digits (ffGeneral, ffExponent) or
// digits after the point (ffFixed, ffNumber, ffCurrency).
String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits, const TFormatSettings& Settings);
// Formats with a picture: '0' digit, '#' optional digit, '.' decimal point, ',' thousands,
// "E+0"/"E-0" exponent, "..." or '...' literal text, up to three sections
// positive;negative;zero. The value is taken to 15 significant digits and then rounded half away
// from zero to the picture's decimals. An empty picture gives FloatToStr.
String FormatFloat(const String& Format, double Value);
String FormatFloat(const String& Format, double Value, const TFormatSettings& Settings);

// Accepts blanks around, a sign, digits with an optional decimal separator, an optional exponent.
// Raises EConvertError "\"<text>\" is not a valid floating point value" otherwise (also for
// thousands separators, hexadecimal, "inf", "nan", empty text and values beyond the double range).
double StrToFloat(const String& S);
double StrToFloat(const String& S, const TFormatSettings& Settings);
bool TryStrToFloat(const String& S, double& Value);
bool TryStrToFloat(const String& S, double& Value, const TFormatSettings& Settings);
double StrToFloatDef(const String& S, double Default);

// ---------------------------------------------------------------------------------------------
// Integers

template <std::integral T>
String IntToStr(T Value)
{
    return String::number(Value);
}

// Upper-case hexadecimal, at least Digits digits; a negative value shows its two's complement in
// the width of its type.
template <std::integral T>
String IntToHex(T Value, int Digits = int(sizeof(T) * 2))
{
    using U = std::make_unsigned_t<T>;
    String s = String::number(static_cast<unsigned long long>(static_cast<U>(Value)), 16).toUpper();
    if (Digits > 64)
        Digits = 64;
    if (s.size() < Digits)
        s.prepend(String(Digits - s.size(), QLatin1Char('0')));
    return s;
}

// Decimal with an optional sign, or hexadecimal written "$1F" / "0x1F" (up to the type's unsigned
// range, taken as two's complement); leading blanks allowed. StrToInt raises EConvertError
// "'<text>' is not a valid integer value".
int StrToInt(const String& S);
int64_t StrToInt64(const String& S);
int StrToIntDef(const String& S, int Default);
int64_t StrToInt64Def(const String& S, int64_t Default);
bool TryStrToInt(const String& S, int& Value);
bool TryStrToInt64(const String& S, int64_t& Value);

// ---------------------------------------------------------------------------------------------
// Date and time

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = 24 * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

TDateTime Now();
TDateTime Date();
TDateTime Time();
// EConvertError "Invalid argument to date encode" / "Invalid argument to time encode".
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result);
void DecodeDate(TDateTime DateTime, uint16_t& Year, uint16_t& Month, uint16_t& Day);
void DecodeDate(TDateTime DateTime, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime DateTime, uint16_t& Hour, uint16_t& Min, uint16_t& Sec, uint16_t& MSec);
void DecodeTime(TDateTime DateTime, int& Hour, int& Min, int& Sec, int& MSec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime DateTime);
bool IsLeapYear(int Year);

// Specifiers (letter case does not matter): c, d, dd, ddd, dddd, ddddd, dddddd, m, mm, mmm, mmmm
// (minutes right after an hour), yy, yyyy, h, hh, n, nn, s, ss, z, zzz, t (ShortTimeFormat),
// tt (LongTimeFormat), am/pm, a/p, ampm (12-hour clock), '/' DateSeparator, ':' TimeSeparator,
// "..." and '...' literal text. An empty format is "c". Raises EConvertError for a value outside
// the years 1..9999 or not a number.
String FormatDateTime(const String& Format, TDateTime DateTime);
String FormatDateTime(const String& Format, TDateTime DateTime, const TFormatSettings& Settings);
String DateTimeToStr(TDateTime DateTime);
String DateToStr(TDateTime DateTime);
String TimeToStr(TDateTime DateTime);

// ---------------------------------------------------------------------------------------------
// Strings

// Trim* remove blanks and control characters (code points up to ' ').
String Trim(const String& S);
String TrimLeft(const String& S);
String TrimRight(const String& S);
// ASCII letters only.
String UpperCase(const String& S);
String LowerCase(const String& S);
int CompareText(const String& S1, const String& S2);
bool SameText(const String& S1, const String& S2);
int CompareStr(const String& S1, const String& S2);
bool SameStr(const String& S1, const String& S2);
// All letters.
String AnsiUpperCase(const String& S);
String AnsiLowerCase(const String& S);
int AnsiCompareText(const String& S1, const String& S2);
bool AnsiSameText(const String& S1, const String& S2);
int AnsiCompareStr(const String& S1, const String& S2);
bool AnsiSameStr(const String& S1, const String& S2);

// 1-based position of SubStr in S from Offset, 0 when absent (or SubStr is empty).
int Pos(const String& SubStr, const String& S, int Offset = 1);
// Count characters from the 1-based Index; Index and Count are clamped to the string.
String Copy(const String& S, int Index, int Count);
// 1-based index of the last character of S that is one of Delimiters; 0 when none.
int LastDelimiter(const String& Delimiters, const String& S);

enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = int;
String StringReplace(const String& S, const String& OldPattern, const String& NewPattern, TReplaceFlags Flags);

// 'text' with inner quotes doubled.
String QuotedStr(const String& S);
String AnsiQuotedStr(const String& S, QChar Quote);
// Takes a quoted string starting at Pos (0-based) of S, undoubling inner quotes, and advances Pos
// past the closing quote (or to the end when it is missing). Empty when S[Pos] is not Quote.
String AnsiExtractQuotedStr(const String& S, int& Pos, QChar Quote);
// S without its surrounding quotes when quoted, else S.
String AnsiDequotedStr(const String& S, QChar Quote);

// One argument of Format.
class TVarRec {
public:
    template <std::integral T>
    TVarRec(T v)
    {
        if constexpr (std::is_signed_v<T>)
            FValue = int64_t(v);
        else
            FValue = uint64_t(v);
    }
    TVarRec(double v) : FValue(v) {}
    TVarRec(float v) : FValue(double(v)) {}
    TVarRec(const String& v) : FValue(v) {}
    TVarRec(const char* v) : FValue(String::fromUtf8(v)) {}
    TVarRec(QLatin1String v) : FValue(String(v)) {}
    TVarRec(QChar v) : FValue(String(v)) {}
    TVarRec(const void* v) : FValue(v) {}
    const std::variant<int64_t, uint64_t, double, String, const void*>& Value() const { return FValue; }

private:
    std::variant<int64_t, uint64_t, double, String, const void*> FValue;
};

// Formats "%[index:][-][width][.prec]type" with type d, u, x (upper-case hex), e, f, g, n, m, p,
// s, and "%%". Width and precision may be '*' (taken from the arguments). Raises EConvertError
// "Format '<format>' invalid or incompatible with argument" or "No argument for format '<format>'".
String Format(const String& Fmt, std::initializer_list<TVarRec> Args);
String Format(const String& Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& Settings);

// ---------------------------------------------------------------------------------------------
// Files

constexpr QChar PathDelim = QLatin1Char('/');
constexpr QChar PathSep = QLatin1Char(':');

// True for an existing file that is not a directory (links followed).
bool FileExists(const String& FileName);
bool DirectoryExists(const String& Directory);
// Deletes a file (not a directory); false when it cannot.
bool DeleteFile(const String& FileName);
bool RenameFile(const String& OldName, const String& NewName);
bool CreateDir(const String& Dir);
bool ForceDirectories(const String& Dir);
// "/a/b/c.txt": path "/a/b/", dir "/a/b", name "c.txt", extension ".txt".
String ExtractFilePath(const String& FileName);
String ExtractFileDir(const String& FileName);
String ExtractFileName(const String& FileName);
String ExtractFileExt(const String& FileName);
String ChangeFileExt(const String& FileName, const String& Extension);
String IncludeTrailingPathDelimiter(const String& S);
// Removes one trailing delimiter; the root "/" stays.
String ExcludeTrailingPathDelimiter(const String& S);
String GetCurrentDir();
bool SetCurrentDir(const String& Dir);
// The absolute path, with "." and ".." resolved by name (links are not followed); empty stays empty.
String ExpandFileName(const String& FileName);

// ---------------------------------------------------------------------------------------------
// System

// The system's text for an errno value.
String SysErrorMessage(int ErrorCode);
// Raises EOSError "System Error.  Code: <n>.\n<text>".
[[noreturn]] void RaiseLastOSError(int ErrorCode);

// Sounds the system beep through the handler the control layer installs; nothing without one.
void Beep();
void SetBeepHandler(std::function<void()> Handler);
// The desktop's sound for an alert type (MB_OK, MB_ICONERROR, ...); the system here has one sound,
// so every type sounds the beep. Always true.
bool MessageBeep(unsigned Type);
