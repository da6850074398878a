#include "app/gui/StartUp.h"

#include <cstdio>

int main(int argc, char **argv)
{
    // QApplication aborts without a window system; say why in plain words.
    if (!kelvarin::StartUp::HasDisplay()) {
        std::fputs(kelvarin::StartUp::NoDisplayMessage(), stderr);
        return kelvarin::StartUp::ExitNoDisplay;
    }
    kelvarin::KelvarinApplication app(argc, argv);
    return kelvarin::StartUp::Run(app);
}
