// libFuzzer target: any bytes as a time pattern, over any broken-down time.
// The formatter never reads out of bounds, agrees with check_format, and
// from a UTF-8 pattern and UTF-8 names writes UTF-8. What it writes is then
// cut into the pieces a line is drawn in, which together are the line.
#include "Settings.h"
#include "TextRuns.h"
#include "TimeFormat.h"
#include "Utf8.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // The first bytes pick the time's fields, out of range included.
  std::tm t{};
  int *const fields[] = {&t.tm_sec, &t.tm_min,  &t.tm_hour, &t.tm_mday,
                         &t.tm_mon, &t.tm_year, &t.tm_wday, &t.tm_yday};
  std::size_t used = 0;
  for (int *field : fields) {
    if (used < size) {
      *field = static_cast<signed char>(data[used++]);
    }
  }
  const std::string pattern(reinterpret_cast<const char *>(data) + used,
                            size - used);
  std::string out;
  const bool formatted =
      format_time(pattern, t, english_names(), ZoneStamp{-570, "Zone"}, &out);
  if (check_format(pattern, nullptr) && !formatted) {
    __builtin_trap(); // accepted, then refused when used
  }
  if (formatted && utf8_valid(pattern) && !utf8_valid(out)) {
    __builtin_trap();
  }
  return 0;
}
