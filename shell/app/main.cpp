// Scribant: the page-to-text program.
#include "shell/app/scribant_app.h"

int main(int argc, char** argv) {
    CScribantApp app;
    return AfxWinMain(argc, argv);
}
