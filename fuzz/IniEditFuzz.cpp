// libFuzzer target: any bytes as a settings file, one key set and one removed.
// What the reader takes afterwards must be the new value, and every other
// key exactly as before, in the file's own encoding; a file is refused only
// when it cannot be given back as it was apart from the change. Each input is also
// tried as UTF-16 (little-endian for an even size, big-endian for an odd
// one), so that files Notepad saves as "Unicode" are covered from the same
// seeds.
#include "IniEdit.h"
#include "INIReader.h"
#include "TextEncoding.h"

#include <cstdint>
#include <string>

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

IniData read(const std::string& text)
{
    INIReader reader;
    IniData data = reader.parse_text(text.compare(0, 3, kByteOrderMark) == 0 ? text.substr(3) : text);
    data.erase("return");
    return data;
}

void check(const std::string& bytes)
{
    const DecodedText decoded = decode_text(bytes);
    for (const char* section : {"overlay", ""}) {
        for (const bool remove : {false, true}) {
            std::string out;
            std::string why;
            const int result = edit_ini_file(bytes, section, "corner", "bottom-right", remove, &out, &why);
            if (result != 0) {
                // Or when the change itself would make the file read as
                // another encoding (a line starting with FE FF comes first),
                // or would not be read at all: the reader stops at Ctrl-Z
                // (DOS's end of text).
                const std::string plain = remove ? remove_ini_key(decoded.text, section, "corner")
                                                 : set_ini_key(decoded.text, section, "corner", "bottom-right");
                std::string again;
                const bool lost = encode_text(plain, decoded.encoding, &again) != 0 ||
                                  decode_text(again).encoding != decoded.encoding ||
                                  decoded.text.find('\x1A') != std::string::npos;
                if (decoded.faithful ? !lost : why != decoded.problem) {
                    __builtin_trap();
                }
                continue;
            }
            const DecodedText after = decode_text(out);
            if (!decoded.faithful || after.encoding != decoded.encoding || !after.problem.empty()) {
                __builtin_trap();
            }
            IniData expected = read(decoded.text);
            IniData got = read(after.text);
            if (remove) {
                expected[section].erase("corner");
            } else {
                expected[section]["corner"] = "bottom-right";
            }
            if (expected[section].empty()) {
                expected.erase(section);
            }
            if (got[section].empty()) {
                got.erase(section);
            }
            if (got != expected) {
                __builtin_trap();
            }
        }
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    check(bytes);
    const DecodedText decoded = decode_text(bytes);
    if (decoded.encoding == TextEncoding::Utf8) {
        const bool marked = decoded.text.compare(0, 3, kByteOrderMark) == 0;
        std::string wide;
        if (encode_text(kByteOrderMark + decoded.text.substr(marked ? 3 : 0),
                        size % 2 == 0 ? TextEncoding::Utf16Le : TextEncoding::Utf16Be, &wide) == 0) {
            check(wide);
        }
    }
    return 0;
}
