#pragma once

#include "platform/Text.h"

#include <cstddef>
#include <optional>

namespace sorvik {

// Reads a text as a stream of comma-separated fields, the way the description
// and association files are read:
// - spaces before a field are skipped;
// - a field beginning with a double quote runs to the next double quote; the
//   quotes are not part of it and whatever follows up to the next comma or
//   line end is dropped;
// - any other field runs to the next comma or line end.
// A line end (CR LF, LF or CR) ends a field, and the next field starts on the
// next line. A comma promises a field, so "a," gives "a" and an empty field,
// while a blank line gives none. A quote left open ends at its line end, so
// one stray quote cannot swallow the lines after it. At the end of the text
// next() gives nothing; a caller that needs two fields per record and gets
// only one has met a file that ends in the middle of a record.
class FieldReader {
public:
    enum class End { Comma, LineEnd, TextEnd };

    explicit FieldReader(u16view text) : m_text(text) {}

    std::optional<u16> next();
    // The same field as a view into the text, without copying.
    std::optional<u16view> nextView();

    // How the last field ended and whether it was quoted.
    End lastEnd() const { return m_lastEnd; }
    bool lastQuoted() const { return m_lastQuoted; }

    // The raw rest of the current line, consumed with its line end. Meant
    // for a caller that takes everything after a field's comma as one value.
    u16view restOfLine();

    bool atEnd() const { return m_pos >= m_text.size(); }

private:
    bool atLineEnd() const;
    void skipLineEnd();
    // Ends the field at the next comma or line end, setting m_lastEnd.
    std::size_t findFieldEnd(std::size_t from) const;
    void finishField(std::size_t end);

    u16view m_text;
    std::size_t m_pos = 0;
    End m_lastEnd = End::LineEnd;
    bool m_lastQuoted = false;
};

}
