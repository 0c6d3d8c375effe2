#pragma once

#include <string>

// The encodings a settings file is read and written back in: UTF-8 (with or
// without a byte-order mark) and Notepad's "Unicode", UTF-16 with a
// byte-order mark, little- or big-endian.
enum class TextEncoding { Utf8, Utf16Le, Utf16Be };

// A file's bytes as the UTF-8 text the INI reader and editor work on.
// UTF-8 bytes are the text as they stand. A UTF-16 file's byte-order mark
// becomes UTF-8's, so that its text reads and edits as a UTF-8 file would;
// an unpaired surrogate becomes its own three-byte form (ED A0 80 to
// ED BF BF), which no UTF-8 check accepts, so that a value holding it is
// refused and the file is still written back as it was.
struct DecodedText {
    TextEncoding encoding = TextEncoding::Utf8;
    std::string text;
    // What is wrong with the bytes as a whole, as a problem sentence (NUL
    // bytes, half a UTF-16 character at the end); empty when nothing is.
    std::string problem;
    // Whether encode_text gives the bytes back exactly; false with a problem.
    bool faithful = true;
};

DecodedText decode_text(const std::string& bytes);
// The text in the encoding: 0, or -1 when it holds what the encoding cannot
// carry (malformed UTF-8 for UTF-16; a lone surrogate's form for UTF-8 stays
// as bytes).
int encode_text(const std::string& text, TextEncoding encoding, std::string* out);
// A reason why a value of a file in that encoding is not well-formed text,
// in the words of a problem ("not UTF-8 (save the file as UTF-8)").
const char* malformed_text_problem(TextEncoding encoding);
