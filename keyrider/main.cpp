// Keyrider: the scanner-button manager.
#include "keyrider/keyrider_app.h"

int main(int argc, char** argv) {
    keyrider::CKeyriderApp app;
    return AfxWinMain(argc, argv);
}
