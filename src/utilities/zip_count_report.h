#pragma once
// The printed zip code count: four columns of key and count per page, every
// other row shaded, a title, a frame and the page number on each page.

#include <QStringList>

#include <functional>

namespace qb {

class TBaseReport;

// Inches, margins, font, status format.
void setUpZipCountJob(TBaseReport& job);
// Prints the lines inside a running job; stops when stop() says so.
void printZipCountList(TBaseReport& job, const QStringList& lines, const std::function<bool()>& stop = {});

} // namespace qb
