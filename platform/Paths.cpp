#include "platform/Paths.h"

namespace sorvik {

u16 AddBackslash(u16view path)
{
    u16 out(path);
    if (out.empty() || out.back() != u'\\')
        out += u'\\';
    return out;
}

u16 GetExtension(u16view name)
{
    std::size_t dot = name.rfind(u'.');
    if (dot == u16view::npos)
        return {};
    return u16(name.substr(dot + 1));
}

u16 fileNameOf(u16view path)
{
    std::size_t slash = path.rfind(u'\\');
    if (slash == u16view::npos)
        return u16(path);
    return u16(path.substr(slash + 1));
}

u16 directoryOf(u16view path)
{
    std::size_t slash = path.rfind(u'\\');
    if (slash == u16view::npos)
        return {};
    return u16(path.substr(0, slash + 1));
}

bool samePath(u16view a, u16view b)
{
    return platform::toUpper(a) == platform::toUpper(b);
}

}
