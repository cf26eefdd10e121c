// Textory: the command-line OCR program. Its exit status tells how the job
// went (textory/app/textory_ids.h).
#include "textory/app/textory_app.h"

int main(int argc, char** argv) {
    CTextoryApp app;
    return AfxWinMain(argc, argv);
}
