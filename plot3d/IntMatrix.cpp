#include "plot3d/IntMatrix.h"

namespace plot3d {

IntMatrix::IntMatrix(QObject* parent) : QObject(parent) {}

void IntMatrix::setNrOfColumns(int columns)
{
    resize(columns < 1 ? 1 : columns, store_.rows());
}

void IntMatrix::setNrOfRows(int rows)
{
    resize(store_.columns(), rows < 1 ? 1 : rows);
}

void IntMatrix::setElement(int column, int row, std::int32_t value)
{
    if (store_.set(column, row, value))
        emit changed();
}

bool IntMatrix::resize(int columns, int rows)
{
    switch (store_.resize(columns, rows)) {
    case Storage::ResizeResult::Unchanged:
        return true;
    case Storage::ResizeResult::Resized:
        emit changed();
        return true;
    case Storage::ResizeResult::OutOfMemory:
        emit changed();
        return false;
    case Storage::ResizeResult::Refused:
        break;
    }
    return false;
}

} // namespace plot3d
