// Joins a job's page files into one PDF file through the bundle's PDF
// library (loaded by path for every file made), and checks the result: a
// join counts only when the file holds every page.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace keyrider {

// The number of pages a PDF file says it holds (its page objects); -1 when
// it cannot be read.
int CountPdfPages(const std::string& path);

enum class JoinOutcome { Joined, NoLibrary, Refused, Incomplete };

// Progress: (pages done, page count); false stops the join.
using JoinProgress = std::function<bool(int done, int total)>;

JoinOutcome JoinPagesWithLibrary(const std::string& libraryPath, const std::vector<std::string>& pages,
                                 const std::string& output, int jpegQuality, const JoinProgress& progress);

}  // namespace keyrider
