// MatrixStorage: the element store behind DataMatrix and IntMatrix. Elements are addressed by
// (column, row), both from 1, and kept row by row. No Qt here, so the plot's mathematics can work on
// it directly.
#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

namespace plot3d {

template <typename T> class MatrixStorage
{
  public:
    enum class ResizeResult { Unchanged, Resized, Refused, OutOfMemory };

    // A new matrix is 1 by 1 holding 0.
    MatrixStorage() : values_(1, T{}) {}

    int columns() const { return columns_; }
    int rows() const { return rows_; }

    bool contains(int column, int row) const
    {
        return column >= 1 && column <= columns_ && row >= 1 && row <= rows_;
    }

    // Outside the bounds the value is 0.
    T at(int column, int row) const { return contains(column, row) ? values_[index(column, row)] : T{}; }

    // Outside the bounds nothing is written and false is returned.
    bool set(int column, int row, T value)
    {
        if (!contains(column, row))
            return false;
        values_[index(column, row)] = value;
        return true;
    }

    // Keeps the elements that lie in both sizes and zeroes the new ones. A count below 1 is refused;
    // when the storage cannot be had the old contents remain.
    ResizeResult resize(int columns, int rows)
    {
        if (columns < 1 || rows < 1)
            return ResizeResult::Refused;
        if (columns == columns_ && rows == rows_)
            return ResizeResult::Unchanged;
        std::vector<T> fresh;
        try {
            fresh.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), T{});
        } catch (const std::bad_alloc&) {
            return ResizeResult::OutOfMemory;
        } catch (const std::length_error&) {
            return ResizeResult::OutOfMemory;
        }
        const int keepColumns = columns < columns_ ? columns : columns_;
        const int keepRows = rows < rows_ ? rows : rows_;
        for (int r = 1; r <= keepRows; ++r)
            for (int c = 1; c <= keepColumns; ++c)
                fresh[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(columns) +
                      static_cast<std::size_t>(c - 1)] = values_[index(c, r)];
        values_.swap(fresh);
        columns_ = columns;
        rows_ = rows;
        return ResizeResult::Resized;
    }

    const std::vector<T>& values() const { return values_; }

  private:
    std::size_t index(int column, int row) const
    {
        return static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(column - 1);
    }

    int columns_ = 1;
    int rows_ = 1;
    std::vector<T> values_;
};

} // namespace plot3d
