#include "platform/DateFormat.h"

#include <gtest/gtest.h>

#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <memory>

namespace sorvik::platform {
namespace {

// Sets ICU's default locale for one test and puts the old one back.
class DefaultLocale {
public:
    explicit DefaultLocale(const char* name)
        : m_saved(icu::Locale::getDefault())
    {
        set(icu::Locale(name));
    }
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
    explicit DefaultZone(const char* id)
        : m_saved(icu::TimeZone::createDefault())
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

}
}
