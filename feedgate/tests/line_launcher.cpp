// A test copy of the launcher that takes its command line as one argument,
// unchanged (no quoting): the form a command prompt hands the launcher, which
// the real launcher never receives on this system.
#include <cstdio>

#include "feedgate/feedgate_launch.h"
#include "platform/win/files.h"

int main(int argc, char** argv) {
    feedgate::LaunchSettings settings;
    settings.programFolder = suite::ProgramFolder();
    return feedgate::Launch(argc > 1 ? argv[1] : "", settings);
}
