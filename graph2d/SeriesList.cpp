#include "SeriesList.h"

#include <stdexcept>
#include <utility>

namespace graph2d {

SeriesList::SeriesList(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

PointSeries& SeriesList::add()
{
    series_.push_back(std::make_unique<PointSeries>([this] { notify(); }));
    notify();
    return *series_.back();
}

PointSeries& SeriesList::at(std::size_t index)
{
    if (index >= series_.size())
        throw std::out_of_range("series index out of range");
    return *series_[index];
}

const PointSeries& SeriesList::at(std::size_t index) const
{
    if (index >= series_.size())
        throw std::out_of_range("series index out of range");
    return *series_[index];
}

void SeriesList::remove(std::size_t index)
{
    if (index >= series_.size())
        throw std::out_of_range("series index out of range");
    series_.erase(series_.begin() + static_cast<std::ptrdiff_t>(index));
    notify();
}

void SeriesList::clear()
{
    series_.clear();
    notify();
}

void SeriesList::notify()
{
    if (onChange_)
        onChange_();
}

} // namespace graph2d
