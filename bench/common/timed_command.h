// Processor time of the benchmarks' own work and of the commands they run.
#pragma once

#include <string>

namespace bench {

// Processor time of the calling thread, in seconds.
double threadCpu();

// Runs a shell command and waits for it; cpu gets the processor time it and
// its children used. Returns its exit status, -1 when it did not start or
// ended by a signal.
int runTimed(const std::string& cmd, double& cpu);

}  // namespace bench

namespace bench {

// Restarts the calling program with one OpenMP thread for every engine (set
// before anything loads the runtime) and the suite's libraries found in the
// program folder beside the benchmarks'; returns at once when that was done.
void restartWithOneOpenMpThread(char** argv);

// The folder of the suite's programs beside the benchmarks' folder.
std::string programFolder();

}  // namespace bench
