#pragma once
#include <stdexcept>

// A row or position outside a list the caller holds (the lines of a receipt or a prescription).
struct OutOfBounds : std::out_of_range {
    using std::out_of_range::out_of_range;
};
