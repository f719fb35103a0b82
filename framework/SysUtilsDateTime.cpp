// Date and time: encoding, decoding and FormatDateTime.
#include "framework/SysUtils.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <cstring>

namespace {

String ZeroPad(qint64 value, int digits)
{
    String s = String::number(value);
    if (s.size() < digits)
        s.prepend(String(digits - s.size(), QLatin1Char('0')));
    return s;
}

}  // namespace

// =============================================================================================
// Date and time

namespace {

constexpr int64_t kDaysTo1970 = 25569;         // 1899-12-30 .. 1970-01-01
constexpr double kMinDateTime = -693593.0;     // 0001-01-01
constexpr double kMaxDateTime = 2958466.0;     // 10000-01-01 (exclusive)
const String SDateEncodeError = QStringLiteral("Invalid argument to date encode");
const String STimeEncodeError = QStringLiteral("Invalid argument to time encode");

int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

struct TDateParts {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0, MSec = 0;
    int DayOfWeek = 0;  // 0 Sunday
    bool HasTime = false;
};

// Splits a date-time as the framework does: the whole value rounded to milliseconds, the day
// truncated toward zero and the time of day from the absolute remainder.
TDateParts SplitDateTime(TDateTime dt)
{
    if (!std::isfinite(dt) || dt < kMinDateTime || dt >= kMaxDateTime)
        throw EConvertError(QStringLiteral("Invalid date/time value"));
    const int64_t total = std::llround(dt * double(MSecsPerDay));
    const int64_t days = total / MSecsPerDay;
    int64_t ms = (total < 0 ? -total : total) % MSecsPerDay;
    TDateParts p;
    CivilFromDays(days - kDaysTo1970, p.Year, p.Month, p.Day);
    p.DayOfWeek = int(((days % 7) + 7 + 6) % 7);
    p.HasTime = ms != 0;
    p.Hour = int(ms / 3600000);
    ms %= 3600000;
    p.Min = int(ms / 60000);
    ms %= 60000;
    p.Sec = int(ms / 1000);
    p.MSec = int(ms % 1000);
    return p;
}

bool StartsWithNoCase(const String& s, int pos, const char* what)
{
    const int n = int(std::strlen(what));
    if (pos + n > s.size())
        return false;
    return QStringView(s).mid(pos, n).compare(QLatin1String(what), Qt::CaseInsensitive) == 0;
}

bool UsesAmPm(const String& fmt)
{
    const int len = int(fmt.size());
    for (int i = 0; i < len; ++i) {
        const QChar c = fmt[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int close = int(fmt.indexOf(c, i + 1));
            i = close < 0 ? len : close;
            continue;
        }
        if (StartsWithNoCase(fmt, i, "am/pm") || StartsWithNoCase(fmt, i, "a/p") || StartsWithNoCase(fmt, i, "ampm"))
            return true;
    }
    return false;
}

void AppendDateTime(String& out, const String& fmt, const TDateParts& p, const TFormatSettings& fs, int depth)
{
    const bool twelveHour = UsesAmPm(fmt);
    const int len = int(fmt.size());
    QChar lastToken = QLatin1Char(' ');
    int i = 0;
    auto run = [&](QChar upper) {
        int n = 0;
        while (i < len && fmt[i].toUpper() == upper) {
            ++i;
            ++n;
        }
        return n;
    };
    auto nested = [&](const String& f) {
        if (depth < 2)
            AppendDateTime(out, f, p, fs, depth + 1);
    };
    while (i < len) {
        const QChar c = fmt[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int close = int(fmt.indexOf(c, i + 1));
            const int end = close < 0 ? len : close;
            out += fmt.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        QChar token = c.toUpper();
        const bool letter = token.unicode() >= 'A' && token.unicode() <= 'Z';
        if (letter) {
            if (token == QLatin1Char('M') && lastToken == QLatin1Char('H'))
                token = QLatin1Char('N');
            lastToken = token;
        }
        switch (token.unicode()) {
        case 'Y': {
            const int n = run(QLatin1Char('Y'));
            out += n <= 2 ? ZeroPad(p.Year % 100, 2) : ZeroPad(p.Year, 4);
            break;
        }
        case 'M': {
            const int n = run(QLatin1Char('M'));
            if (n == 1)
                out += String::number(p.Month);
            else if (n == 2)
                out += ZeroPad(p.Month, 2);
            else if (n == 3)
                out += fs.ShortMonthNames.value(p.Month - 1);
            else
                out += fs.LongMonthNames.value(p.Month - 1);
            break;
        }
        case 'N': {
            const int n = run(QLatin1Char('M')) + run(QLatin1Char('N'));
            out += n == 1 ? String::number(p.Min) : ZeroPad(p.Min, 2);
            break;
        }
        case 'D': {
            const int n = run(QLatin1Char('D'));
            switch (n) {
            case 1: out += String::number(p.Day); break;
            case 2: out += ZeroPad(p.Day, 2); break;
            case 3: out += fs.ShortDayNames.value(p.DayOfWeek); break;
            case 4: out += fs.LongDayNames.value(p.DayOfWeek); break;
            case 5: nested(fs.ShortDateFormat); break;
            default: nested(fs.LongDateFormat); break;
            }
            break;
        }
        case 'H': {
            const int n = run(QLatin1Char('H'));
            int h = p.Hour;
            if (twelveHour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += n == 1 ? String::number(h) : ZeroPad(h, 2);
            break;
        }
        case 'S': {
            const int n = run(QLatin1Char('S'));
            out += n == 1 ? String::number(p.Sec) : ZeroPad(p.Sec, 2);
            break;
        }
        case 'Z': {
            const int n = run(QLatin1Char('Z'));
            out += n == 1 ? String::number(p.MSec) : ZeroPad(p.MSec, 3);
            break;
        }
        case 'T': {
            const int n = run(QLatin1Char('T'));
            nested(n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat);
            break;
        }
        case 'C': {
            ++i;
            nested(fs.ShortDateFormat);
            if (p.HasTime) {
                out += QLatin1Char(' ');
                nested(fs.LongTimeFormat);
            }
            break;
        }
        case 'A': {
            const bool pm = p.Hour >= 12;
            if (StartsWithNoCase(fmt, i, "am/pm")) {
                const String s = pm ? QStringLiteral("pm") : QStringLiteral("am");
                out += c.isLower() ? s : s.toUpper();
                i += 5;
            } else if (StartsWithNoCase(fmt, i, "a/p")) {
                const String s = pm ? QStringLiteral("p") : QStringLiteral("a");
                out += c.isLower() ? s : s.toUpper();
                i += 3;
            } else if (StartsWithNoCase(fmt, i, "ampm")) {
                out += pm ? fs.TimePMString : fs.TimeAMString;
                i += 4;
            } else {
                out += c;
                ++i;
            }
            break;
        }
        case '/':
            out += fs.DateSeparator;
            ++i;
            break;
        case ':':
            out += fs.TimeSeparator;
            ++i;
            break;
        default:
            out += c;
            ++i;
            break;
        }
    }
}

}  // namespace

namespace {

// Appends Text to a framework format as literal text: letters, '/', ':' and quotes are quoted so
// that none of them reads as a specifier; a double quote goes inside single quotes.
void AppendLiteral(String& out, const QString& text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            out += QStringLiteral("'\"'");
        else if (c.isLetter() || c == QLatin1Char('/') || c == QLatin1Char(':') || c == QLatin1Char('\''))
            out += QLatin1Char('"') + c + QLatin1Char('"');
        else
            out += c;
    }
}

// How a format writes its AM/PM text.
enum class TAmPmCase { None, Upper, Lower, AsIs };

// A QLocale time format ("h:mm AP") in the framework's specifiers ("h:nn ampm").
String FrameworkTimeFormat(const QString& format, TAmPmCase& amPm)
{
    String out;
    const int len = int(format.size());
    int i = 0;
    auto repeat = [&](QChar c, int max) {
        int n = 0;
        while (i + n < len && n < max && format[i + n] == c)
            ++n;
        i += n;
        return n;
    };
    while (i < len) {
        const QChar c = format[i];
        switch (c.unicode()) {
        case '\'': {
            // 'text' is literal; '' is a quote, inside quoted text too.
            QString literal;
            ++i;
            if (i < len && format[i] == QLatin1Char('\'')) {
                literal = QStringLiteral("'");
                ++i;
            } else {
                while (i < len) {
                    if (format[i] == QLatin1Char('\'')) {
                        if (i + 1 < len && format[i + 1] == QLatin1Char('\'')) {
                            literal += QLatin1Char('\'');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    literal += format[i++];
                }
            }
            AppendLiteral(out, literal);
            break;
        }
        case 'h':
        case 'H':
            out += repeat(c, 2) == 2 ? QStringLiteral("hh") : QStringLiteral("h");
            break;
        case 'm':
            out += repeat(c, 2) == 2 ? QStringLiteral("nn") : QStringLiteral("n");
            break;
        case 's':
            out += repeat(c, 2) == 2 ? QStringLiteral("ss") : QStringLiteral("s");
            break;
        case 'z':
            out += repeat(c, 3) == 3 ? QStringLiteral("zzz") : QStringLiteral("z");
            break;
        case 'a':
        case 'A': {
            const bool pair = i + 1 < len && (format[i + 1] == QLatin1Char('p') || format[i + 1] == QLatin1Char('P'));
            if (pair)
                amPm = c == QLatin1Char('a') ? TAmPmCase::Lower
                       : format[i + 1] == QLatin1Char('p') ? TAmPmCase::AsIs
                                                           : TAmPmCase::Upper;
            else
                amPm = c == QLatin1Char('a') ? TAmPmCase::Lower : TAmPmCase::Upper;
            i += pair ? 2 : 1;
            out += QStringLiteral("ampm");
            break;
        }
        case 't':
            // The time zone: no specifier for it here.
            while (i < len && format[i] == QLatin1Char('t'))
                ++i;
            break;
        case ':':
            out += QLatin1Char(':');
            ++i;
            break;
        default:
            AppendLiteral(out, QString(c));
            ++i;
            break;
        }
    }
    return out.trimmed();
}

String ApplyCase(const String& text, TAmPmCase amPm)
{
    switch (amPm) {
    case TAmPmCase::Upper: return text.toUpper();
    case TAmPmCase::Lower: return text.toLower();
    default: return text;
    }
}

}  // namespace

void GetLocaleTimeFormats(const QLocale& Locale, TFormatSettings& Settings)
{
    const TFormatSettings defaults;
    if (Locale.language() == QLocale::C) {
        Settings.ShortTimeFormat = defaults.ShortTimeFormat;
        Settings.LongTimeFormat = defaults.LongTimeFormat;
        Settings.TimeAMString = defaults.TimeAMString;
        Settings.TimePMString = defaults.TimePMString;
        return;
    }
    TAmPmCase shortCase = TAmPmCase::None, longCase = TAmPmCase::None;
    Settings.ShortTimeFormat = FrameworkTimeFormat(Locale.timeFormat(QLocale::ShortFormat), shortCase);
    Settings.LongTimeFormat = FrameworkTimeFormat(Locale.timeFormat(QLocale::LongFormat), longCase);
    // One pair of texts serves both formats; the short one, which the clock uses, decides their case.
    const TAmPmCase amPm = shortCase != TAmPmCase::None ? shortCase : longCase;
    Settings.TimeAMString = ApplyCase(Locale.amText(), amPm);
    Settings.TimePMString = ApplyCase(Locale.pmText(), amPm);
}

TFormatSettings SystemFormatSettings()
{
    TFormatSettings settings;
    GetLocaleTimeFormats(QLocale::system(), settings);
    return settings;
}

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result)
{
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month))
        return false;
    Result = double(DaysFromCivil(Year, Month, Day) + kDaysTo1970);
    return true;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result)
{
    if (Hour < 0 || Hour >= 24 || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 || MSec >= 1000)
        return false;
    Result = double(((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec) / double(MSecsPerDay);
    return true;
}

TDateTime EncodeDate(int Year, int Month, int Day)
{
    TDateTime r = 0;
    if (!TryEncodeDate(Year, Month, Day, r))
        throw EConvertError(SDateEncodeError);
    return r;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec)
{
    TDateTime r = 0;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, r))
        throw EConvertError(STimeEncodeError);
    return r;
}

void DecodeDate(TDateTime DateTime, int& Year, int& Month, int& Day)
{
    const TDateParts p = SplitDateTime(DateTime);
    Year = p.Year;
    Month = p.Month;
    Day = p.Day;
}

void DecodeDate(TDateTime DateTime, uint16_t& Year, uint16_t& Month, uint16_t& Day)
{
    int y, m, d;
    DecodeDate(DateTime, y, m, d);
    Year = uint16_t(y);
    Month = uint16_t(m);
    Day = uint16_t(d);
}

void DecodeTime(TDateTime DateTime, int& Hour, int& Min, int& Sec, int& MSec)
{
    const TDateParts p = SplitDateTime(DateTime);
    Hour = p.Hour;
    Min = p.Min;
    Sec = p.Sec;
    MSec = p.MSec;
}

void DecodeTime(TDateTime DateTime, uint16_t& Hour, uint16_t& Min, uint16_t& Sec, uint16_t& MSec)
{
    int h, n, s, ms;
    DecodeTime(DateTime, h, n, s, ms);
    Hour = uint16_t(h);
    Min = uint16_t(n);
    Sec = uint16_t(s);
    MSec = uint16_t(ms);
}

int DayOfWeek(TDateTime DateTime) { return SplitDateTime(DateTime).DayOfWeek + 1; }

TDateTime Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    return double(DaysFromCivil(d.year(), d.month(), d.day()) + kDaysTo1970) +
           double(now.time().msecsSinceStartOfDay()) / double(MSecsPerDay);
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time()
{
    return double(QTime::currentTime().msecsSinceStartOfDay()) / double(MSecsPerDay);
}

String FormatDateTime(const String& Format, TDateTime DateTime, const TFormatSettings& Settings)
{
    const TDateParts p = SplitDateTime(DateTime);
    String out;
    AppendDateTime(out, Format.isEmpty() ? QStringLiteral("c") : Format, p, Settings, 0);
    return out;
}

String FormatDateTime(const String& Format, TDateTime DateTime)
{
    return FormatDateTime(Format, DateTime, FormatSettings);
}

String DateTimeToStr(TDateTime DateTime) { return FormatDateTime(QStringLiteral("c"), DateTime); }
String DateToStr(TDateTime DateTime) { return FormatDateTime(QStringLiteral("ddddd"), DateTime); }
String TimeToStr(TDateTime DateTime) { return FormatDateTime(QStringLiteral("tt"), DateTime); }
