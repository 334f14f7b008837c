#pragma once

// Text comparisons of the eligibility checks: ordinal (byte by byte, bytes unsigned,
// letter case counts, a prefix sorts first).

#include <string>

int OrdinalCompare(const std::string& a, const std::string& b);

// The drive's revision and the package's target revision begin with the same
// character, letter case ignored (only a to z fold).
bool SameRevisionFamily(const std::string& driveRevision, const std::string& targetRevision);
