#include "platform/DateFormat.h"

#include "platform/Win32Files.h"

namespace sorvik::platform {

// The user's short date and long time, the pair Windows itself shows for a
// file's date ("2024/05/01 12:34:56" in Japanese).
u16 formatDateTime(const DateTime& t)
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    wchar_t date[128], time[128];
    const int dn = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128, nullptr);
    const int tn = ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, time, 128);
    if (dn <= 0 || tn <= 0)
        return {};
    u16 out(reinterpret_cast<const char16_t*>(date), static_cast<std::size_t>(dn - 1));
    out += u' ';
    out.append(reinterpret_cast<const char16_t*>(time), static_cast<std::size_t>(tn - 1));
    return out;
}

}
