#pragma once

#include <string>

// Figures of a running process from /proc, for start-up measuring.
namespace parcelo {

// The resident memory of the process `pid` (0 for this one) in kilobytes; -1 when unknown.
long ResidentKilobytes(int pid = 0);

// Which OpenGL and web-engine libraries this process has mapped, by short name,
// separated by commas ("libGL,libEGL"); "-" for none.
std::string MappedGraphicsLibraries();

// The line a measured start prints at its first painted list: its resident memory and
// the libraries above ("parcelo-first-paint rss_kb=41000 libs=libGL,libEGL").
std::string FirstPaintReport();

} // namespace parcelo
