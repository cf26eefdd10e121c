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

// Progress as the PDF library reports it: (page count, pages remaining,
// current page); false stops the join.
using JoinProgress = std::function<bool(int total, int remaining, int page)>;

JoinOutcome JoinPagesWithLibrary(const std::string& libraryPath, const std::vector<std::string>& pages,
                                 const std::string& output, int jpegQuality, const JoinProgress& progress);

// The DDE commands that have the OCR application save `pages` as the PDF
// `output` (every path must be SafeForDdeCommand): "[SAVEIMG_MULTI]" with the
// pages in order, graphics quality = JPEG quality x 2.5 (at least 2).
std::vector<std::string> PdfAppCommands(const std::vector<std::string>& pages, const std::string& output,
                                        int jpegQuality);

}  // namespace keyrider
