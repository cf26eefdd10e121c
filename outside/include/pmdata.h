// The page-list library ("PMDATA.DLL") that an outside OCR application reads
// its input pages through: the caller opens a list file, gives the page
// count and then each page's path, and closes it. Plain C entries looked up
// by name.
#pragma once

// Opens (creates) the list file `path`; `mode` 1 writes. Nonzero = open.
using PMDATA_OPEN = int (*)(const char* path, int mode);
// The number of page paths that follow. Nonzero = written.
using PMDATA_WRITECOUNT = int (*)(int count);
// One page path. Nonzero = written.
using PMDATA_WRITEFILENAME = int (*)(const char* path);
// Ends and closes the list. Nonzero = the list is complete on disk.
using PMDATA_CLOSE = int (*)();

extern "C" {
int openPMData(const char* path, int mode);
int writePMData_count(int count);
int writePMData_fileName(const char* path);
int closePMData();
}
