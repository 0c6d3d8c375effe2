// Parses a generated INI file of about 10 MB several times and prints the
// median speed in megabytes a second. Built natively (scripts/bench-ini).
#include "FileBytes.h"
#include "INIReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "/tmp/brindlow-bench.ini";
    const int runs = 9;

    // Sections of 50 keys, with the blanks, comments and CR LF endings that
    // real files have.
    std::string text;
    for (int s = 0; text.size() < 10u * 1000u * 1000u; ++s) {
        text += "[section " + std::to_string(s) + "]\r\n; generated\r\n";
        for (int k = 0; k < 50; ++k) {
            text +=
                "  key" + std::to_string(k) + " = value number " + std::to_string(s * 50 + k) + " with = inside\t\r\n";
        }
        text += "\r\n";
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "IniBench: cannot write %s\n", path.c_str());
        return 1;
    }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);

    std::vector<double> mbps;
    std::size_t sections = 0;
    for (int r = 0; r < runs; ++r) {
        INIReader reader;
        const auto t0 = std::chrono::steady_clock::now();
        // Read and parsed, as the program reads its settings file.
        std::string bytes;
        bool missing = false;
        if (read_file_bytes(path, std::string::npos, &bytes, &missing) != 0) {
            std::fprintf(stderr, "IniBench: cannot read %s\n", path.c_str());
            return 1;
        }
        const IniData data = reader.parse_text(bytes);
        const auto t1 = std::chrono::steady_clock::now();
        sections = data.size();
        mbps.push_back(static_cast<double>(text.size()) / 1e6 / std::chrono::duration<double>(t1 - t0).count());
    }
    std::sort(mbps.begin(), mbps.end());
    std::printf("INI: %.1f MB, %zu sections; median of %d parses %.1f MB/s (min %.1f, max %.1f)\n",
                static_cast<double>(text.size()) / 1e6, sections - 1, runs, mbps[runs / 2], mbps.front(), mbps.back());
    std::remove(path.c_str());
    return 0;
}
