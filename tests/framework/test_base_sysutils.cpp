// Number, date and string routines: the texts the window shows and the errors it reports.
#include "framework/SysUtils.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTime>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(FloatToStr, GeneralFormat)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {490, "490"},
        {433.919921875, "433.919921875"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {-2.0 / 3, "-0.666666666666667"},
        {1e15, "1E15"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.0, "999999999999999"},
        {9999999999999999.0, "1E16"},
        {1e20, "1E20"},
        {1.5e300, "1.5E300"},
        {1e-5, "1E-5"},
        {1.25e-7, "1.25E-7"},
        {0.0001, "0.0001"},
        {0.00012345, "0.00012345"},
        {0, "0"},
        {-0.0, "0"},
        {-490.5, "-490.5"},
        {1, "1"},
        {100, "100"},
        {123456.789, "123456.789"},
        {5e-324, "4.94065645841247E-324"},
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {123456789012344.5, "123456789012345"},  // an exact half rounds away from zero
        {-123456789012344.5, "-123456789012345"},
        {kNaN, "NAN"},
        {kInf, "INF"},
        {-kInf, "-INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStr(c.value), QString::fromLatin1(c.text));
    }
}

TEST(FloatToStr, DecimalSeparatorFromSettings)
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(433.92, fs), "433,92");
    EXPECT_EQ(FloatToStr(1.5e-9, fs), "1,5E-9");
}

TEST(FloatToStrF, Formats)
{
    struct Case {
        double value;
        TFloatFormat format;
        int precision, digits;
        const char* text;
    };
    const Case cases[] = {
        {1234.5, ffExponent, 4, 2, "1.235E+03"},
        {-0.000123, ffExponent, 3, 0, "-1.23E-4"},
        {0, ffExponent, 3, 3, "0.00E+000"},
        {1234.5678, ffFixed, 15, 2, "1234.57"},
        {0.005, ffFixed, 15, 2, "0.01"},
        {-0.004, ffFixed, 15, 2, "0.00"},
        {12, ffFixed, 15, 0, "12"},
        {1e20, ffFixed, 15, 2, "1.00000000000000E+20"},
        {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
        {-1234.5, ffNumber, 15, 0, "-1,235"},
        {1234.5, ffCurrency, 15, 2, "$1,234.50"},
        {-1234.5, ffCurrency, 15, 2, "($1,234.50)"},
        {1e20, ffGeneral, 15, 3, "1E020"},
        {123.456, ffGeneral, 4, 0, "123.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), QString::fromLatin1(c.text));
    }
}

TEST(FormatFloat, Pictures)
{
    struct Case {
        const char* format;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {"0.00", 490, "490.00"},
        {"0.00", 433.919921875, "433.92"},
        {"0.00", 0, "0.00"},
        {"0.00", -1.5, "-1.50"},
        {"0.00", -0.001, "0.00"},  // no minus on a value shown as zero
        {"0.00", 2.675, "2.68"},    // the 15-digit value 2.675 rounds half up
        {"0.00", 1.005, "1.01"},
        {"0", 52, "52"},
        {"0", 0.5, "1"},
        {"0", 1.5, "2"},
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0", 0.49, "0"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0.00", 490, "490.00"},
        {"#,##0.00", 0.5, "0.50"},
        {"#,##0", -1234, "-1,234"},
        {"#,##0", 999.5, "1,000"},
        {"0.###", 1.5, "1.5"},
        {"0.###", 2, "2"},
        {"0.###", 1.23456, "1.235"},
        {"#.##", 0.5, ".5"},
        {"#", 0, ""},
        {"000", 7, "007"},
        {"00.0", 123.45, "123.5"},
        {".00", 12.5, "12.50"},
        {"0.00;(0.00)", -5, "(5.00)"},
        {"0.00;(0.00)", 5, "5.00"},
        {"0.00;(0.00);\"zero\"", 0, "zero"},
        {"0.00;(0.00);\"zero\"", 0.001, "zero"},  // rounds to zero: the zero section
        {"0.00;;\"nil\"", -3, "-3.00"},           // an empty negative section uses the first
        {"\"Freq: \"0.00\" MHz\"", 433.92, "Freq: 433.92 MHz"},
        {"'#'0", 5, "#5"},
        {"0.00E+00", 1234.5, "1.23E+03"},
        {"0.00E+00", 0.00012345, "1.23E-04"},
        {"0.0E-0", 1234.5, "1.2E3"},
        {"0.0E-0", 0.5, "5.0E-1"},
        {"00.0E+0", 1234, "12.3E+2"},
        {"0.00E+00", 0, "0.00E+00"},
        {"", 1.5, "1.5"},
        {"0.00", kNaN, "NAN"},
        {"0.00", -kInf, "-INF"},
        {"00-00", 1234, "12-34"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.value);
        EXPECT_EQ(FormatFloat(QString::fromUtf8(c.format), c.value), QString::fromUtf8(c.text));
    }
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, fs), "1.234,50");
}

TEST(StrToFloat, AcceptsNumbers)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"490", 490},
        {"433.919921875", 433.919921875},
        {"  12.5  ", 12.5},
        {"-3", -3},
        {"+3", 3},
        {"1.", 1},
        {".5", 0.5},
        {"1e3", 1000},
        {"1E-3", 0.001},
        {"-2.5e+2", -250},
        {"0000.100", 0.1},
        {"1e-400", 0},  // below the smallest double: zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double v = -1;
        EXPECT_TRUE(TryStrToFloat(QString::fromLatin1(c.text), v));
        EXPECT_EQ(v, c.value);
        EXPECT_EQ(StrToFloat(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(StrToFloat, RejectsWithTheFrameworkMessage)
{
    const char* bad[] = {"", " ", "abc", "1,000", "1.2.3", "0x10", "$10", "inf", "nan", "INF", "-", "+", ".",
                         "e5", "1e", "1e+", "12a", "1 2", "--1", "1e400", "１２", "\t1"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        const QString s = QString::fromUtf8(text);
        double v = 7;
        EXPECT_FALSE(TryStrToFloat(s, v));
        EXPECT_EQ(v, 7);
        EXPECT_EQ(StrToFloatDef(s, -1), -1);
        try {
            StrToFloat(s);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("\"%1\" is not a valid floating point value").arg(s));
        }
    }
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    EXPECT_EQ(StrToFloat("433,92", fs), 433.92);
    EXPECT_THROW(StrToFloat("433.92", fs), EConvertError);
}

TEST(StrToInt, DecimalAndHex)
{
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},           {"52", true, 52},       {"-17", true, -17},      {"+8", true, 8},
        {"  42", true, 42},       {"$FF", true, 255},     {"0x1f", true, 31},      {"-$10", true, -16},
        {"$FFFFFFFF", true, -1},  {"2147483647", true, 2147483647},                 {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0}, {"$100000000", false, 0}, {"42 ", false, 0},     {"", false, 0},
        {"-", false, 0},          {"$", false, 0},        {"1.0", false, 0},       {"abc", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString s = QString::fromLatin1(c.text);
        int v = 12345;
        EXPECT_EQ(TryStrToInt(s, v), c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
            EXPECT_EQ(StrToInt(s), c.value);
        } else {
            EXPECT_EQ(StrToIntDef(s, -9), -9);
            try {
                StrToInt(s);
                ADD_FAILURE() << "no exception";
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.Message(), QStringLiteral("'%1' is not a valid integer value").arg(s));
            }
        }
    }
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
}

TEST(IntToText, IntToStrAndIntToHex)
{
    EXPECT_EQ(IntToStr(-52), "-52");
    EXPECT_EQ(IntToStr(int64_t(1) << 40), "1099511627776");
    EXPECT_EQ(IntToHex(255, 2), "FF");
    EXPECT_EQ(IntToHex(10, 4), "000A");
    EXPECT_EQ(IntToHex(0x1234, 2), "1234");  // never cut
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int64_t(-2), 1), "FFFFFFFFFFFFFFFE");
    EXPECT_EQ(IntToHex(uint8_t(0xAF)), "AF");
}

TEST(FormatDateTime, Specifiers)
{
    // The framework's own defaults, whatever the locale of the machine running the test.
    const TFormatSettings fixed;
    const TDateTime dt = EncodeDate(2024, 3, 9) + EncodeTime(14, 5, 7, 89);
    struct Case {
        const char* format;
        const char* text;
    };
    const Case cases[] = {
        {"t", "14:05"},
        {"tt", "14:05:07"},
        {"hh:nn", "14:05"},
        {"h:n:s", "14:5:7"},
        {"hh:mm", "14:05"},  // mm after an hour means minutes
        {"yyyy-mm-dd", "2024-03-09"},
        {"yy/m/d", "24-3-9"},
        {"dd mmm yyyy", "09 Mar 2024"},
        {"dddd, mmmm d", "Saturday, March 9"},
        {"ddd", "Sat"},
        {"zzz", "089"},
        {"z", "89"},
        {"hh:nn ampm", "02:05 PM"},
        {"h am/pm", "2 pm"},
        {"h A/P", "2 P"},
        {"c", "2024-03-09 14:05:07"},
        {"ddddd", "2024-03-09"},
        {"\"at\" hh 'o''clock'", "at 14 oclock"},
        {"", "2024-03-09 14:05:07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatDateTime(QString::fromLatin1(c.format), dt, fixed), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 9), fixed), "2024-03-09");  // no time: date only
    EXPECT_EQ(FormatDateTime("hh ampm", EncodeTime(0, 30, 0, 0), fixed), "12 AM");
    EXPECT_EQ(FormatDateTime("t", EncodeTime(9, 3, 0, 0), fixed), "09:03");
    EXPECT_EQ(FormatDateTime("t", EncodeTime(23, 59, 59, 999), fixed), "23:59");

    TFormatSettings fs;
    fs.ShortTimeFormat = "h:nn";
    fs.TimeSeparator = '.';
    EXPECT_EQ(FormatDateTime("t", dt, fs), "14.05");
    fs.ShortDateFormat = "ddddd c";  // a self-referencing format does not recurse forever
    EXPECT_FALSE(FormatDateTime("c", dt, fs).isEmpty());

    EXPECT_THROW(FormatDateTime("t", kNaN), EConvertError);
    EXPECT_THROW(FormatDateTime("t", 1e300), EConvertError);
}

// The time of day as the user's locale writes it: FormatSettings takes its time formats from the
// locale the environment names when the program starts (LC_ALL, then LC_TIME, then LANG). The
// test runs itself once per environment; each child checks the settings it started with.
TEST(FormatDateTime, ShortTimeFollowsTheLocaleOfTheEnvironment)
{
    const TDateTime afternoon = EncodeTime(15, 7, 0, 0);
    if (qEnvironmentVariableIsSet("RQ_EXPECT_SHORT_TIME")) {
        EXPECT_EQ(FormatDateTime("t", afternoon).toStdString(), qEnvironmentVariable("RQ_EXPECT_SHORT_TIME").toStdString());
        EXPECT_EQ(FormatDateTime("t", EncodeTime(0, 5, 0, 0)).toStdString(),
                  qEnvironmentVariable("RQ_EXPECT_MIDNIGHT").toStdString());
        return;
    }
    struct Case {
        const char* lcAll;
        const char* lcTime;
        const char* lang;
        const char* afternoon;
        const char* midnight;
    };
    const Case cases[] = {
        {nullptr, nullptr, "en_US.UTF-8", "3:07 PM", "12:05 AM"},
        {nullptr, "en_US.UTF-8", "de_DE.UTF-8", "3:07 PM", "12:05 AM"},  // LC_TIME before LANG
        {"de_DE.UTF-8", "en_US.UTF-8", "en_US.UTF-8", "15:07", "00:05"},  // LC_ALL before both
        {nullptr, nullptr, "de_DE.UTF-8", "15:07", "00:05"},
        {nullptr, nullptr, "fi_FI.UTF-8", "15.07", "0.05"},
        {nullptr, nullptr, "C.UTF-8", "15:07", "00:05"},  // no short form of its own: the framework's
        {nullptr, nullptr, nullptr, "15:07", "00:05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("LC_ALL=") + (c.lcAll ? c.lcAll : "") + " LC_TIME=" + (c.lcTime ? c.lcTime : "") +
                     " LANG=" + (c.lang ? c.lang : ""));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LC_MESSAGES", "LC_MONETARY", "LANG", "LANGUAGE"})
            env.remove(QString::fromLatin1(name));
        if (c.lcAll)
            env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(c.lcAll));
        if (c.lcTime)
            env.insert(QStringLiteral("LC_TIME"), QString::fromLatin1(c.lcTime));
        if (c.lang)
            env.insert(QStringLiteral("LANG"), QString::fromLatin1(c.lang));
        env.insert(QStringLiteral("RQ_EXPECT_SHORT_TIME"), QString::fromUtf8(c.afternoon));
        env.insert(QStringLiteral("RQ_EXPECT_MIDNIGHT"), QString::fromUtf8(c.midnight));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=FormatDateTime.ShortTimeFollowsTheLocaleOfTheEnvironment")});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    }
}

// Every locale's short time form, as the locale itself writes it, through the framework's format.
TEST(FormatDateTime, LocaleTimeFormatsWriteWhatTheLocaleWrites)
{
    struct Case {
        const char* locale;
        const char* afternoon;  // 15:07:09
        const char* morning;    // 09:03:04
    };
    // Fixed expectations for a few locales, 12- and 24-hour, with their own separators and texts.
    const Case cases[] = {
        {"en_US", "3:07 PM", "9:03 AM"},
        {"de_DE", "15:07", "09:03"},
        {"fi_FI", "15.07", "9.03"},
        {"da_DK", "15.07", "09.03"},
        {"ja_JP", "15:07", "9:03"},
        {"ko_KR", "오후 3:07", "오전 9:03"},
        {"bg_BG", "15:07 ч.", "9:03 ч."},
        {"C", "15:07", "09:03"},
    };
    const TDateTime afternoon = EncodeTime(15, 7, 9, 0), morning = EncodeTime(9, 3, 4, 0);
    // Qt's data may use a narrow no-break space where older data used a space.
    auto plain = [](QString s) { return s.replace(QChar(0x202F), QLatin1Char(' ')); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        TFormatSettings fs;
        GetLocaleTimeFormats(QLocale(QString::fromLatin1(c.locale)), fs);
        EXPECT_EQ(plain(FormatDateTime("t", afternoon, fs)).toStdString(), c.afternoon);
        EXPECT_EQ(plain(FormatDateTime("t", morning, fs)).toStdString(), c.morning);
    }
    // Every locale Qt knows: the framework's "t" writes what the locale's own short form writes,
    // in the framework's digits 0-9.
    auto asciiDigits = [](const QString& s) {
        QList<uint> points = s.toUcs4();
        for (uint& u : points)
            if (QChar::digitValue(char32_t(u)) >= 0)
                u = uint('0' + QChar::digitValue(char32_t(u)));
        return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size());
    };
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        if (locale.language() == QLocale::C)
            continue;
        TFormatSettings fs;
        GetLocaleTimeFormats(locale, fs);
        for (const QTime& t : {QTime(15, 7, 9), QTime(9, 3, 4), QTime(0, 5, 0), QTime(12, 0, 0)}) {
            const TDateTime dt = EncodeTime(t.hour(), t.minute(), t.second(), 0);
            EXPECT_EQ(FormatDateTime("t", dt, fs).toStdString(), asciiDigits(locale.toString(t, QLocale::ShortFormat)).toStdString())
                << locale.name().toStdString() << " " << locale.timeFormat(QLocale::ShortFormat).toStdString();
        }
    }
    // Numbers and dates keep the framework's fixed settings.
    TFormatSettings fs;
    GetLocaleTimeFormats(QLocale(QStringLiteral("de_DE")), fs);
    EXPECT_EQ(fs.DecimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(fs.ShortDateFormat, QStringLiteral("yyyy/mm/dd"));
    EXPECT_EQ(fs.TimeSeparator, QLatin1Char(':'));
}

TEST(DateTime, EncodeDecode)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2000, 2, 29), 36585);
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    try {
        EncodeTime(1, 60, 0, 0);
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid argument to time encode");
    }
    uint16_t h, m, s, ms;
    DecodeTime(EncodeTime(23, 59, 58, 999), h, m, s, ms);
    EXPECT_EQ((std::vector<int>{h, m, s, ms}), (std::vector<int>{23, 59, 58, 999}));
    int y, mo, d;
    DecodeDate(EncodeDate(9999, 12, 31), y, mo, d);
    EXPECT_EQ((std::vector<int>{y, mo, d}), (std::vector<int>{9999, 12, 31}));
    DecodeDate(EncodeDate(1, 1, 1), y, mo, d);
    EXPECT_EQ((std::vector<int>{y, mo, d}), (std::vector<int>{1, 1, 1}));
    // Before 1899-12-30 the fraction is still the time of day.
    DecodeDate(-1.25, y, mo, d);
    DecodeTime(-1.25, h, m, s, ms);
    EXPECT_EQ((std::vector<int>{y, mo, d, h, m}), (std::vector<int>{1899, 12, 29, 6, 0}));
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 10)), 1);  // a Sunday
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));

    const TDateTime now = Now();
    const TDateTime today = Date();
    EXPECT_GE(now, today);
    EXPECT_LT(now - today, 1.0001);
    EXPECT_GT(today, EncodeDate(2020, 1, 1));
}

TEST(StringHelpers, TrimCaseAndCompare)
{
    EXPECT_EQ(Trim(" \t ab c\r\n"), "ab c");
    EXPECT_EQ(TrimLeft("  ab  "), "ab  ");
    EXPECT_EQ(TrimRight("  ab  "), "  ab");
    EXPECT_EQ(Trim(QString(3, QChar(0))), "");
    EXPECT_EQ(UpperCase("abc-äö"), "ABC-äö");  // ASCII letters only
    EXPECT_EQ(AnsiUpperCase("abc-äö"), "ABC-ÄÖ");
    EXPECT_EQ(LowerCase("ABC"), "abc");
    EXPECT_TRUE(SameText("Button", "BUTTON"));
    EXPECT_FALSE(SameText("Button", "Buttons"));
    EXPECT_EQ(CompareText("abc", "ABD") < 0, true);
    EXPECT_EQ(CompareText("b", "A") > 0, true);
    EXPECT_EQ(CompareText("ab", "AB"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_NE(CompareStr("a", "A"), 0);
    EXPECT_TRUE(AnsiSameText("äÖ", "ÄÖ"));
}

TEST(StringHelpers, PosCopyReplaceQuote)
{
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("b", "abcb", 3), 4);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("a", "abc", 10), 0);
    EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
    EXPECT_EQ(Copy("abcdef", 5, 100), "ef");
    EXPECT_EQ(Copy("abcdef", 7, 1), "");
    EXPECT_EQ(Copy("abcdef", 2, -1), "");
    EXPECT_EQ(Copy("abcdef", -5, 2147483647), "abcdef");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "_", rfReplaceAll | rfIgnoreCase), "a_b_c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "_", rfReplaceAll), "aXb_c");
    EXPECT_EQ(StringReplace("abc", "", "_", rfReplaceAll), "abc");
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    int p = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("'it''s' rest", p, '\''), "it's");
    EXPECT_EQ(p, 7);
    EXPECT_EQ(AnsiDequotedStr("\"x\"", '"'), "x");
    EXPECT_EQ(AnsiDequotedStr("\"x", '"'), "\"x");
}

TEST(StringHelpers, Format)
{
    struct Case {
        QString result;
        const char* expected;
    };
    const Case cases[] = {
        {Format("%s=%d", {"COM", 3}), "COM=3"},
        {Format("%x", {255}), "FF"},
        {Format("%.4x", {255}), "00FF"},
        {Format("%5d|%-5d|", {42, 42}), "   42|42   |"},
        {Format("%.3d", {-7}), "-007"},
        {Format("%f", {1.5}), "1.50"},
        {Format("%.1f", {0.25}), "0.3"},
        {Format("%.0f", {2.5}), "3"},
        {Format("%n", {1234567.5}), "1,234,567.50"},
        {Format("%g", {0.1}), "0.1"},
        {Format("%e", {1234.5}), "1.23450000000000E+003"},
        {Format("%%%s%%", {"x"}), "%x%"},
        {Format("%.2s", {"abc"}), "ab"},
        {Format("%1:s %0:s", {"a", "b"}), "b a"},
        {Format("%*d", {4, 7}), "   7"},
        {Format("%u", {uint32_t(4000000000u)}), "4000000000"},
        {Format("List index out of bounds (%d)", {5}), "List index out of bounds (5)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, QString::fromLatin1(c.expected));
    EXPECT_THROW(Format("%d", {"x"}), EConvertError);
    EXPECT_THROW(Format("%s", {1}), EConvertError);
    EXPECT_THROW(Format("%d %d", {1}), EConvertError);
    EXPECT_THROW(Format("%", {1}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
    try {
        Format("%d", {});
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "No argument for format '%d'");
    }
}

TEST(FileNames, Parts)
{
    struct Case {
        const char* name;
        const char* path;
        const char* dir;
        const char* file;
        const char* ext;
    };
    const Case cases[] = {
        {"/a/b/c.txt", "/a/b/", "/a/b", "c.txt", ".txt"},
        {"c.tar.gz", "", "", "c.tar.gz", ".gz"},
        {"/a.d/c", "/a.d/", "/a.d", "c", ""},
        {"/c.kvt", "/", "/", "c.kvt", ".kvt"},
        {"/a/b/", "/a/b/", "/a/b", "", ""},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString n = QString::fromLatin1(c.name);
        EXPECT_EQ(ExtractFilePath(n), c.path);
        EXPECT_EQ(ExtractFileDir(n), c.dir);
        EXPECT_EQ(ExtractFileName(n), c.file);
        EXPECT_EQ(ExtractFileExt(n), c.ext);
    }
    EXPECT_EQ(ChangeFileExt("/x/skin.zip", ".kvt"), "/x/skin.kvt");
    EXPECT_EQ(ChangeFileExt("/x.d/skin", ".kvt"), "/x.d/skin.kvt");
    EXPECT_EQ(ChangeFileExt("a.b", ""), "a");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/tmp/"), "/tmp");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
    EXPECT_EQ(ExpandFileName("/a/b/../c/./d"), "/a/c/d");
    EXPECT_EQ(ExpandFileName("x"), GetCurrentDir() + "/x");
    EXPECT_EQ(ExpandFileName(""), "");
}

TEST(FileNames, ExistsAndDelete)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("f.txt");
    EXPECT_FALSE(FileExists(file));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.path()));  // a directory is not a file
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DeleteFile(dir.path()));
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(DeleteFile(file));
    EXPECT_FALSE(FileExists(""));
}

TEST(SystemServices, BeepGoesToTheHandler)
{
    int beeps = 0;
    Beep();  // no handler: nothing happens
    SetBeepHandler([&] { ++beeps; });
    Beep();
    Beep();
    EXPECT_EQ(beeps, 2);
    // Every alert type sounds the one beep there is.
    EXPECT_TRUE(MessageBeep(0));
    EXPECT_TRUE(MessageBeep(0x10));
    EXPECT_EQ(beeps, 4);
    SetBeepHandler(nullptr);
    Beep();
    EXPECT_TRUE(MessageBeep(0));
    EXPECT_EQ(beeps, 4);
    EXPECT_EQ(SysErrorMessage(ENOENT), "No such file or directory");
}
