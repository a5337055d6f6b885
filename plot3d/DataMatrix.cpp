#include "plot3d/DataMatrix.h"

namespace plot3d {

DataMatrix::DataMatrix(QObject* parent) : QObject(parent) {}

void DataMatrix::setNrOfColumns(int columns)
{
    resize(columns < 1 ? 1 : columns, store_.rows());
}

void DataMatrix::setNrOfRows(int rows)
{
    resize(store_.columns(), rows < 1 ? 1 : rows);
}

void DataMatrix::setElement(int column, int row, double value)
{
    if (store_.set(column, row, value))
        emit changed();
}

bool DataMatrix::resize(int columns, int rows)
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
