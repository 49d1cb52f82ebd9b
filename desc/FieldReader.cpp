#include "desc/FieldReader.h"

namespace sorvik {

namespace {

bool isLineEnd(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

}

bool FieldReader::atLineEnd() const
{
    return m_pos < m_text.size() && isLineEnd(m_text[m_pos]);
}

void FieldReader::skipLineEnd()
{
    if (m_pos >= m_text.size())
        return;
    const bool cr = m_text[m_pos] == u'\r';
    ++m_pos;
    if (cr && m_pos < m_text.size() && m_text[m_pos] == u'\n')
        ++m_pos;
}

std::size_t FieldReader::findFieldEnd(std::size_t from) const
{
    std::size_t i = from;
    while (i < m_text.size() && m_text[i] != u',' && !isLineEnd(m_text[i]))
        ++i;
    return i;
}

void FieldReader::finishField(std::size_t end)
{
    m_pos = end;
    if (m_pos >= m_text.size()) {
        m_lastEnd = End::TextEnd;
    } else if (m_text[m_pos] == u',') {
        m_lastEnd = End::Comma;
        ++m_pos;
    } else {
        m_lastEnd = End::LineEnd;
        skipLineEnd();
    }
}

std::optional<u16view> FieldReader::nextView()
{
    const bool afterComma = m_lastEnd == End::Comma;
    for (;;) {
        while (m_pos < m_text.size() && m_text[m_pos] == u' ')
            ++m_pos;
        if (afterComma || !atLineEnd())
            break;
        skipLineEnd();   // a blank line holds no field
    }
    m_lastQuoted = false;
    if (m_pos >= m_text.size()) {
        if (!afterComma)
            return std::nullopt;
        m_lastEnd = End::TextEnd;
        return u16view();
    }

    if (m_text[m_pos] == u'"') {
        m_lastQuoted = true;
        const std::size_t start = m_pos + 1;
        std::size_t close = start;
        while (close < m_text.size() && m_text[close] != u'"' && !isLineEnd(m_text[close]))
            ++close;
        u16view value = m_text.substr(start, close - start);
        if (close < m_text.size() && m_text[close] == u'"')
            ++close;
        finishField(findFieldEnd(close));
        return value;
    }

    const std::size_t start = m_pos;
    const std::size_t end = findFieldEnd(start);
    finishField(end);
    return m_text.substr(start, end - start);
}

std::optional<u16> FieldReader::next()
{
    if (auto view = nextView())
        return u16(*view);
    return std::nullopt;
}

u16view FieldReader::restOfLine()
{
    std::size_t end = m_pos;
    while (end < m_text.size() && !isLineEnd(m_text[end]))
        ++end;
    u16view rest = m_text.substr(m_pos, end - m_pos);
    m_pos = end;
    if (m_pos >= m_text.size()) {
        m_lastEnd = End::TextEnd;
    } else {
        m_lastEnd = End::LineEnd;
        skipLineEnd();
    }
    return rest;
}

}
