#include "platform/DateFormat.h"

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <memory>
#include <string>

namespace sorvik::platform {

namespace {

// Building a formatter loads locale data, so each thread keeps one until the
// default locale changes. Formatters are not safe to share between threads.
struct Formatter {
    std::string locale;
    std::unique_ptr<icu::DateFormat> format;
    std::unique_ptr<icu::Calendar> calendar;
};

Formatter* formatter()
{
    thread_local Formatter f;
    const char* locale = icu::Locale::getDefault().getName();
    if (f.format && f.locale == locale)
        return &f;
    f.format.reset(icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kMedium));
    UErrorCode status = U_ZERO_ERROR;
    f.calendar = std::make_unique<icu::GregorianCalendar>(*icu::TimeZone::getGMT(), status);
    if (!f.format || U_FAILURE(status)) {
        f.format.reset();
        return nullptr;
    }
    // The fields are local time already; formatting them in GMT shows them
    // as they are, daylight-saving gaps included.
    f.format->setTimeZone(*icu::TimeZone::getGMT());
    f.locale = locale;
    return &f;
}

}

u16 formatDateTime(const DateTime& t)
{
    Formatter* f = formatter();
    if (!f)
        return {};
    f->calendar->clear();
    f->calendar->set(t.year, t.month - 1, t.day, t.hour, t.minute, t.second);
    UErrorCode status = U_ZERO_ERROR;
    const UDate when = f->calendar->getTime(status);
    if (U_FAILURE(status))
        return {};
    icu::UnicodeString text;
    f->format->format(when, text);
    return u16(reinterpret_cast<const char16_t*>(text.getBuffer()), static_cast<std::size_t>(text.length()));
}

}
