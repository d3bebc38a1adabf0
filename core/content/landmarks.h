#pragma once
// The 708 things of known length that the unsmoked cigarettes are compared
// with, from an ostrich egg to leaving the stratosphere.
#include <cstdint>
#include <span>
#include <vector>

namespace kemless {

struct Landmark {
    int32_t threshold;  // millimetres; strictly rising through the table
    const char* name;   // UTF-8, shown unchanged
};

// Every row, in rising order; row 1 (index 0) is the cheer for anything
// shorter than row 2.
std::span<const Landmark> LandmarkTable();

// Name of the last row whose threshold is <= lengthMm. Lengths below row 2
// (including 0, negatives and NaN) give row 1; anything from the last
// threshold on gives the last row. Never null.
const char* LookupLandmark(double lengthMm);

// The `count` names that take the most cells (DisplayCells), widest first (ties keep table
// order). A window sized for the widest name measures only these: in a
// Japanese Gothic face the widest rendered name is among the first few.
std::vector<const char*> WidestLandmarkNames(std::size_t count);

}  // namespace kemless
