#pragma once

#include "desc/DescriptionStore.h"

#include <string>
#include <string_view>

namespace sorvik {

// The text form of a description file: one line per record, Path "," Coment,
// code page 932, CR LF.
//
// Plain records are written exactly as the classic format has them. Only text
// that would not read back is marked:
// - a path holding a comma, or beginning with a double quote or a space, is
//   written in double quotes;
// - the description is the whole rest of the line after the separating comma,
//   so commas in it survive. Spaces in front of it are skipped on reading, as
//   they always were. A rest of line that is exactly one quoted token, inner
//   quotes doubled, is read unquoted (an old file's "text" still reads as
//   text); so a description that would read as such a token is written as
//   one, and any other, "a" b included, goes out as it is;
// - a character code page 932 cannot hold, a CR or LF, a double quote inside a
//   quoted path, and an "&" that would otherwise start such an escape are
//   written as "&#x<hex>;". Reading turns back only escapes of exactly those
//   characters, so "&#x41;" stays as it is.
// A line without a separating comma holds no record (a file cut off in the
// middle of a record, a stray or blank line), nor does a later line for a
// path read before (the first one wins). Such lines are kept in the store in
// their places and written back as they came, ended by CR LF like every line.
//
// A record saved unchanged goes out as it was read, byte for byte apart from
// the blanks before its fields, wherever the code page cannot give its bytes
// back from its text (bytes it cannot decode, characters it holds twice); a
// path of bytes it cannot decode is keyed by those bytes (clsComent::byteKeyOf).
// Everything else goes out as the writer formats it, which for a file this
// program wrote is what it read.
class DescriptionFile {
public:
    // Appends the records of a file's bytes to the store; of two records with
    // the same key the first wins. The store keeps a copy of the bytes.
    static void read(std::string_view bytes, DescriptionStore& store);
    // The same, keeping the bytes themselves: plain lines also stay undecoded
    // until their record is used.
    static void readKeeping(std::string bytes, DescriptionStore& store);
    static void parse(u16view text, DescriptionStore& store);

    // The bytes of the whole file for the store, in store order. Never fails:
    // text the code page cannot hold is escaped.
    static std::string write(const DescriptionStore& store);

    // One record's line without its line end, before encoding. With
    // escapeUnencodable false, characters the code page lacks are left as they are.
    static u16 formatLine(u16view path, u16view coment, bool escapeUnencodable = true);

private:
    // Whether records keep their place in the store's last kept bytes, and
    // whether plain lines wait to be decoded.
    enum class Keep { Nothing, Decoded, Lazily };
    static void readLines(std::string_view bytes, DescriptionStore& store, Keep keep);
    // False when the line holds no record.
    static bool readLine(
        std::string_view bytes, std::size_t pos, std::size_t end, DescriptionStore& store, u16& scratch, Keep keep);
    static void keepLine(std::string_view bytes, std::size_t pos, std::size_t end, DescriptionStore& store, Keep keep);
    static void readPlainLine(std::string_view bytes, std::size_t pos, std::size_t end, std::size_t comma,
        DescriptionStore& store, Keep keep);
    static void parseUnindexed(u16view text, DescriptionStore& store);
};

}
