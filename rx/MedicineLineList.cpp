#include "rx/MedicineLineList.h"
#include <string>

namespace rx {

namespace {
[[noreturn]] void outOfBounds(int position, int size)
{
    throw OutOfBounds("line position " + std::to_string(position) + " outside a list of " + std::to_string(size));
}
} // namespace

void MedicineLineList::insert(int position, MedicineLine line)
{
    if (position < 0 || position > size()) outOfBounds(position, size());
    lines_.insert(lines_.begin() + position, std::move(line));
}

const MedicineLine& MedicineLineList::at(int position) const
{
    if (position < 1 || position > size()) outOfBounds(position, size());
    return lines_[static_cast<size_t>(position - 1)];
}

MedicineLine& MedicineLineList::at(int position)
{
    return const_cast<MedicineLine&>(static_cast<const MedicineLineList*>(this)->at(position));
}

void MedicineLineList::remove(int position)
{
    at(position); // bounds
    lines_.erase(lines_.begin() + (position - 1));
}

double MedicineLineList::total() const
{
    double sum = 0.0;
    for (const MedicineLine& l : lines_) sum += l.amount;
    return sum;
}

} // namespace rx
