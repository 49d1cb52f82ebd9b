#include "platform/DateFormat.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unicode/locid.h>
#include <unicode/timezone.h>
#endif

#include <memory>
#include <regex>

namespace sorvik::platform {
namespace {

#ifdef _WIN32
// The text as UTF-8 when it has the form of the pattern, for a readable failure.
::testing::AssertionResult hasForm(const u16& text, const char* pattern)
{
    const std::string utf8 = toUtf8(text);
    if (std::regex_match(utf8, std::regex(pattern)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << utf8 << "\" is not of the form " << pattern;
}

// Windows formats in the user's locale, which a process cannot switch for
// itself; the run sets a Japanese one (LANG=ja_JP.UTF-8 under Wine).
bool userLocaleIsJapanese()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    return GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0 && std::wstring_view(name) == L"ja-JP";
}

TEST(FormatDateTime, UsesTheShortDateAndTimeOfTheUsersLocale)
{
    if (!userLocaleIsJapanese())
        GTEST_SKIP() << "the user's locale is not ja-JP, whose format this test knows";
    // Windows pads the short date's month and day ("yyyy/MM/dd"); Wine's
    // table for ja-JP does not ("yyyy/M/d"). Both are the locale's own form.
    EXPECT_TRUE(hasForm(formatDateTime({2024, 5, 1, 12, 34, 56}), "2024/0?5/0?1 12:34:56"));
    EXPECT_TRUE(hasForm(formatDateTime({1998, 11, 3, 4, 5, 9}), "1998/11/0?3 4:05:09"));
}

TEST(FormatDateTime, ShowsTheLocalFieldsAsGiven)
{
    if (!userLocaleIsJapanese())
        GTEST_SKIP() << "the user's locale is not ja-JP, whose format this test knows";
    // Fields that are no time in some zones (a daylight-saving gap) are
    // shown unchanged: no zone is applied.
    EXPECT_TRUE(hasForm(formatDateTime({2024, 3, 31, 2, 30, 0}), "2024/0?3/31 2:30:00"));
    EXPECT_EQ(formatDateTime({2023, 12, 31, 23, 59, 59}), u"2023/12/31 23:59:59");
}
#else

// Sets ICU's default locale for one test and puts the old one back.
class DefaultLocale {
public:
    explicit DefaultLocale(const char* name) : m_saved(icu::Locale::getDefault()) { set(icu::Locale(name)); }
    ~DefaultLocale() { set(m_saved); }

private:
    static void set(const icu::Locale& locale)
    {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(locale, status);
    }
    icu::Locale m_saved;
};

TEST(FormatDateTime, UsesTheMediumFormatOfTheDefaultLocale)
{
    const DateTime t{2024, 5, 1, 12, 34, 56};
    {
        DefaultLocale japanese("ja_JP");
        EXPECT_EQ(formatDateTime(t), u"2024/05/01 12:34:56");
        EXPECT_EQ(formatDateTime({1998, 11, 3, 4, 5, 9}), u"1998/11/03 4:05:09");
    }
    {
        DefaultLocale german("de_DE");
        EXPECT_EQ(formatDateTime(t), u"01.05.2024, 12:34:56");
    }
}

// Sets ICU's default time zone for one test and puts the old one back.
class DefaultZone {
public:
    explicit DefaultZone(const char* id) : m_saved(icu::TimeZone::createDefault())
    {
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(id));
    }
    ~DefaultZone() { icu::TimeZone::adoptDefault(m_saved.release()); }

private:
    std::unique_ptr<icu::TimeZone> m_saved;
};

TEST(FormatDateTime, ShowsTheLocalFieldsAsGiven)
{
    DefaultLocale japanese("ja_JP");
    // 02:30 on that day does not exist in Berlin: the clocks went from 2 to
    // 3. The fields were local time already and are shown unchanged.
    DefaultZone berlin("Europe/Berlin");
    EXPECT_EQ(formatDateTime({2024, 3, 31, 2, 30, 0}), u"2024/03/31 2:30:00");
    EXPECT_EQ(formatDateTime({2023, 12, 31, 23, 59, 59}), u"2023/12/31 23:59:59");
}
#endif

}
}
