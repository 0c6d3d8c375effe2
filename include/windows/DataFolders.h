#pragma once

#include <string>

// Where the program's data files (the atlas, the icon, a portable settings
// file) are looked for: the working directory first, then the folder that
// holds Brindlow.exe, so that a start from anywhere (the Run box, a command
// prompt, a shortcut without "Start in") still finds what lies beside it.
// Started through a link to its exe (winget's Links folder, a user's own
// symbolic or hard link), the program's folder is that of its real file.
class DataFolders {
public:
    std::string folders[2]; // working directory, the program's folder (empty when the same)
    std::string program; // the folder that holds Brindlow.exe's real file, always

    int init();
    // The first existing path of a file given relative to a data folder
    // ("res/fira-code.png"), or empty.
    std::string find(const std::string& relative) const;
    // "C:\a and C:\b": the folders looked in, for a report.
    std::string describe() const;
};
