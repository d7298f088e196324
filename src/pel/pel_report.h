#pragma once
// The installation report shown in verbose mode: the folders the PEL removal will work in,
// the application-data folders it will search and the installed skins.
#include <cstddef>
#include <string>

#include "pel/pel_locations.h"

// The report's buffer, its terminating zero included.
const size_t kPelReportBufferSize = 10240;

// The report text. It never outgrows its buffer: when the data folders or the skins do not
// all fit, their list is cut after a whole line and ends with a line saying how many of them
// were left out; every heading stays.
std::string BuildPelInstallationReport(const PelLocations& locations);
