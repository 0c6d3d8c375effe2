// Sets the overlay up with res/fira-code.png from the working directory and
// runs its frame loop until the window is sent WM_CLOSE.
#include "MainWindow.h"

int main()
{
    MainWindow window;
    if (window.init() != 0) {
        return 1;
    }
    window.font.load_from_file("res/fira-code.png", 24, 24, 19);
    window.init_displays();
    window.run();
    return 0;
}
