// Marks the entry points a stand-in library exports; everything else in the
// library stays hidden (the libraries are built with -fvisibility=hidden).
#pragma once

#define SUITE_LIBRARY_EXPORT extern "C" __attribute__((visibility("default")))
