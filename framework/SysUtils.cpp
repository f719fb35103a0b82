// String, Format, file-name and system routines, and the global format settings.
#include "framework/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <unistd.h>

TFormatSettings FormatSettings = SystemFormatSettings();

namespace {

bool IsAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

}  // namespace

// =============================================================================================
// Strings

namespace {

bool IsTrimmed(QChar c) { return c.unicode() <= ' '; }

QChar AsciiUpper(QChar c) { return c.unicode() >= 'a' && c.unicode() <= 'z' ? QChar(c.unicode() - 32) : c; }
QChar AsciiLower(QChar c) { return c.unicode() >= 'A' && c.unicode() <= 'Z' ? QChar(c.unicode() + 32) : c; }

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

String Trim(const String& S)
{
    qsizetype b = 0, e = S.size();
    while (b < e && IsTrimmed(S[b]))
        ++b;
    while (e > b && IsTrimmed(S[e - 1]))
        --e;
    return S.mid(b, e - b);
}

String TrimLeft(const String& S)
{
    qsizetype b = 0;
    while (b < S.size() && IsTrimmed(S[b]))
        ++b;
    return S.mid(b);
}

String TrimRight(const String& S)
{
    qsizetype e = S.size();
    while (e > 0 && IsTrimmed(S[e - 1]))
        --e;
    return S.left(e);
}

String UpperCase(const String& S)
{
    String r = S;
    for (QChar& c : r)
        c = AsciiUpper(c);
    return r;
}

String LowerCase(const String& S)
{
    String r = S;
    for (QChar& c : r)
        c = AsciiLower(c);
    return r;
}

int CompareText(const String& S1, const String& S2)
{
    const qsizetype n = std::min(S1.size(), S2.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = int(AsciiUpper(S1[i]).unicode()) - int(AsciiUpper(S2[i]).unicode());
        if (d != 0)
            return d;
    }
    return int(S1.size() - S2.size() > 0) - int(S1.size() - S2.size() < 0);
}

bool SameText(const String& S1, const String& S2) { return S1.size() == S2.size() && CompareText(S1, S2) == 0; }

int CompareStr(const String& S1, const String& S2) { return Sign(S1.compare(S2, Qt::CaseSensitive)); }
bool SameStr(const String& S1, const String& S2) { return S1 == S2; }

String AnsiUpperCase(const String& S) { return S.toUpper(); }
String AnsiLowerCase(const String& S) { return S.toLower(); }
int AnsiCompareText(const String& S1, const String& S2) { return Sign(S1.compare(S2, Qt::CaseInsensitive)); }
bool AnsiSameText(const String& S1, const String& S2) { return S1.compare(S2, Qt::CaseInsensitive) == 0; }
int AnsiCompareStr(const String& S1, const String& S2) { return Sign(S1.compare(S2, Qt::CaseSensitive)); }
bool AnsiSameStr(const String& S1, const String& S2) { return S1 == S2; }

int Pos(const String& SubStr, const String& S, int Offset)
{
    if (SubStr.isEmpty() || Offset < 1 || Offset > S.size())
        return 0;
    return int(S.indexOf(SubStr, Offset - 1)) + 1;
}

String Copy(const String& S, int Index, int Count)
{
    if (Index < 1)
        Index = 1;
    if (Count <= 0 || Index > S.size())
        return String();
    const qsizetype available = S.size() - (Index - 1);
    return S.mid(Index - 1, std::min<qsizetype>(Count, available));
}

int LastDelimiter(const String& Delimiters, const String& S)
{
    for (qsizetype i = S.size() - 1; i >= 0; --i)
        if (Delimiters.contains(S[i]))
            return int(i) + 1;
    return 0;
}

String StringReplace(const String& S, const String& OldPattern, const String& NewPattern, TReplaceFlags Flags)
{
    if (OldPattern.isEmpty())
        return S;
    const Qt::CaseSensitivity cs = (Flags & rfIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    String r = S;
    if (Flags & rfReplaceAll)
        return r.replace(OldPattern, NewPattern, cs);
    const qsizetype i = r.indexOf(OldPattern, 0, cs);
    if (i >= 0)
        r.replace(i, OldPattern.size(), NewPattern);
    return r;
}

String AnsiQuotedStr(const String& S, QChar Quote)
{
    String r = Quote;
    for (const QChar c : S) {
        r += c;
        if (c == Quote)
            r += c;
    }
    r += Quote;
    return r;
}

String QuotedStr(const String& S) { return AnsiQuotedStr(S, QLatin1Char('\'')); }

String AnsiExtractQuotedStr(const String& S, int& Pos, QChar Quote)
{
    const int len = int(S.size());
    if (Pos < 0 || Pos >= len || S[Pos] != Quote)
        return String();
    String r;
    int p = Pos + 1;
    while (p < len) {
        if (S[p] == Quote) {
            if (p + 1 < len && S[p + 1] == Quote) {
                r += Quote;
                p += 2;
                continue;
            }
            ++p;
            break;
        }
        r += S[p++];
    }
    Pos = p;
    return r;
}

String AnsiDequotedStr(const String& S, QChar Quote)
{
    int p = 0;
    if (S.size() < 2 || S[0] != Quote)
        return S;
    const String r = AnsiExtractQuotedStr(S, p, Quote);
    return p == S.size() && S.endsWith(Quote) ? r : S;
}

// =============================================================================================
// Format

namespace {

[[noreturn]] void FormatError(const String& fmt)
{
    throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(fmt));
}

}  // namespace

String Format(const String& Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& Settings)
{
    const std::vector<TVarRec> args(Args);
    const int len = int(Fmt.size());
    size_t argIndex = 0;
    String out;
    auto nextArg = [&]() -> const TVarRec& {
        if (argIndex >= args.size())
            throw EConvertError(QStringLiteral("No argument for format '%1'").arg(Fmt));
        return args[argIndex++];
    };
    auto intArg = [&](const TVarRec& a) -> int64_t {
        if (const auto* v = std::get_if<int64_t>(&a.Value()))
            return *v;
        if (const auto* v = std::get_if<uint64_t>(&a.Value()))
            return int64_t(*v);
        FormatError(Fmt);
    };
    int i = 0;
    while (i < len) {
        const QChar c = Fmt[i];
        if (c != QLatin1Char('%')) {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i >= len)
            FormatError(Fmt);
        if (Fmt[i] == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        // Reads digits or '*'; -1 when absent.
        auto readNumber = [&]() -> int64_t {
            if (i < len && Fmt[i] == QLatin1Char('*')) {
                ++i;
                return intArg(nextArg());
            }
            int64_t n = -1;
            while (i < len && IsAsciiDigit(Fmt[i])) {
                n = (n < 0 ? 0 : n) * 10 + (Fmt[i].unicode() - '0');
                if (n > 1000000)
                    FormatError(Fmt);
                ++i;
            }
            return n;
        };
        int64_t width = readNumber();
        if (i < len && Fmt[i] == QLatin1Char(':')) {
            ++i;
            if (width < 0)
                FormatError(Fmt);
            argIndex = size_t(width);
            width = -1;
        }
        bool left = false;
        if (i < len && Fmt[i] == QLatin1Char('-')) {
            left = true;
            ++i;
        }
        if (width < 0)
            width = readNumber();
        int64_t prec = -1;
        if (i < len && Fmt[i] == QLatin1Char('.')) {
            ++i;
            prec = std::max<int64_t>(readNumber(), 0);
        }
        if (i >= len)
            FormatError(Fmt);
        const ushort type = Fmt[i].toLower().unicode();
        ++i;
        const TVarRec& arg = nextArg();
        const auto& v = arg.Value();
        String s;
        switch (type) {
        case 'd':
        case 'u':
        case 'x': {
            if (!std::holds_alternative<int64_t>(v) && !std::holds_alternative<uint64_t>(v))
                FormatError(Fmt);
            const bool neg = std::holds_alternative<int64_t>(v) && std::get<int64_t>(v) < 0;
            if (type == 'd') {
                s = std::holds_alternative<int64_t>(v) ? String::number(std::get<int64_t>(v))
                                                         : String::number(std::get<uint64_t>(v));
                if (neg)
                    s.remove(0, 1);
            } else {
                const uint64_t u = std::holds_alternative<int64_t>(v) ? uint64_t(std::get<int64_t>(v)) : std::get<uint64_t>(v);
                s = type == 'u' ? String::number(u) : String::number(u, 16).toUpper();
            }
            if (prec > 0 && s.size() < prec)
                s.prepend(String(qsizetype(prec) - s.size(), QLatin1Char('0')));
            if (type == 'd' && neg)
                s.prepend(QLatin1Char('-'));
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            double d;
            if (const auto* pd = std::get_if<double>(&v))
                d = *pd;
            else if (const auto* pi = std::get_if<int64_t>(&v))
                d = double(*pi);
            else if (const auto* pu = std::get_if<uint64_t>(&v))
                d = double(*pu);
            else
                FormatError(Fmt);
            switch (type) {
            case 'e': s = FloatToStrF(d, ffExponent, prec < 0 ? 15 : int(std::min<int64_t>(prec, 18)), 3, Settings); break;
            case 'f': s = FloatToStrF(d, ffFixed, 15, prec < 0 ? 2 : int(std::min<int64_t>(prec, 18)), Settings); break;
            case 'g': s = FloatToStrF(d, ffGeneral, prec < 0 ? 15 : int(std::min<int64_t>(prec, 18)), 0, Settings); break;
            case 'n': s = FloatToStrF(d, ffNumber, 15, prec < 0 ? 2 : int(std::min<int64_t>(prec, 18)), Settings); break;
            default:
                s = FloatToStrF(d, ffCurrency, 15, prec < 0 ? Settings.CurrencyDecimals : int(std::min<int64_t>(prec, 18)), Settings);
                break;
            }
            break;
        }
        case 's': {
            const auto* ps = std::get_if<String>(&v);
            if (!ps)
                FormatError(Fmt);
            s = prec >= 0 ? ps->left(qsizetype(prec)) : *ps;
            break;
        }
        case 'p': {
            const auto* pp = std::get_if<const void*>(&v);
            if (!pp)
                FormatError(Fmt);
            s = IntToHex(reinterpret_cast<uintptr_t>(*pp), int(sizeof(void*) * 2));
            break;
        }
        default:
            FormatError(Fmt);
        }
        if (width > s.size()) {
            const String pad(qsizetype(width) - s.size(), QLatin1Char(' '));
            s = left ? s + pad : pad + s;
        }
        out += s;
    }
    return out;
}

String Format(const String& Fmt, std::initializer_list<TVarRec> Args) { return Format(Fmt, Args, FormatSettings); }

// =============================================================================================
// Files

bool FileExists(const String& FileName)
{
    if (FileName.isEmpty())
        return false;
    const QFileInfo fi(FileName);
    return fi.exists() && !fi.isDir();
}

bool DirectoryExists(const String& Directory)
{
    if (Directory.isEmpty())
        return false;
    return QFileInfo(Directory).isDir();
}

bool DeleteFile(const String& FileName)
{
    if (FileName.isEmpty())
        return false;
    return ::unlink(QFile::encodeName(FileName).constData()) == 0;
}

bool RenameFile(const String& OldName, const String& NewName)
{
    if (OldName.isEmpty() || NewName.isEmpty())
        return false;
    return ::rename(QFile::encodeName(OldName).constData(), QFile::encodeName(NewName).constData()) == 0;
}

bool CreateDir(const String& Dir) { return !Dir.isEmpty() && QDir().mkdir(Dir); }

bool ForceDirectories(const String& Dir) { return !Dir.isEmpty() && QDir().mkpath(Dir); }

String ExtractFilePath(const String& FileName)
{
    return FileName.left(LastDelimiter(String(PathDelim), FileName));
}

String ExtractFileDir(const String& FileName)
{
    int i = LastDelimiter(String(PathDelim), FileName);
    if (i > 1 && FileName[i - 1] == PathDelim && FileName[i - 2] != PathDelim)
        --i;
    return FileName.left(i);
}

String ExtractFileName(const String& FileName)
{
    return FileName.mid(LastDelimiter(String(PathDelim), FileName));
}

String ExtractFileExt(const String& FileName)
{
    const int i = LastDelimiter(QStringLiteral("./"), FileName);
    if (i > 0 && FileName[i - 1] == QLatin1Char('.'))
        return FileName.mid(i - 1);
    return String();
}

String ChangeFileExt(const String& FileName, const String& Extension)
{
    int i = LastDelimiter(QStringLiteral("./"), FileName);
    if (i == 0 || FileName[i - 1] != QLatin1Char('.'))
        i = int(FileName.size()) + 1;
    return FileName.left(i - 1) + Extension;
}

String IncludeTrailingPathDelimiter(const String& S)
{
    return S.endsWith(PathDelim) ? S : S + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& S)
{
    if (S.size() > 1 && S.endsWith(PathDelim))
        return S.left(S.size() - 1);
    return S;
}

String GetCurrentDir() { return QDir::currentPath(); }

bool SetCurrentDir(const String& Dir) { return !Dir.isEmpty() && QDir::setCurrent(Dir); }

String ExpandFileName(const String& FileName)
{
    if (FileName.isEmpty())
        return String();
    String r = QDir::cleanPath(QDir::current().absoluteFilePath(FileName));
    if (FileName.endsWith(PathDelim) && !r.endsWith(PathDelim))
        r += PathDelim;
    return r;
}

// =============================================================================================
// System

String SysErrorMessage(int ErrorCode)
{
    return String::fromLocal8Bit(std::generic_category().message(ErrorCode));
}

void RaiseLastOSError(int ErrorCode)
{
    throw EOSError(QStringLiteral("System Error.  Code: %1.\n%2").arg(ErrorCode).arg(SysErrorMessage(ErrorCode)));
}

namespace {
std::function<void()>& BeepHandler()
{
    static std::function<void()> handler;
    return handler;
}
}  // namespace

void Beep()
{
    if (BeepHandler())
        BeepHandler()();
}

void SetBeepHandler(std::function<void()> Handler) { BeepHandler() = std::move(Handler); }

bool MessageBeep(unsigned)
{
    Beep();
    return true;
}
