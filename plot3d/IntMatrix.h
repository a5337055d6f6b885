// IntMatrix: a matrix of 32-bit signed integers addressed by (column, row), both from 1, with a
// change notification. A new matrix is 1 by 1 holding 0.
#pragma once

#include "plot3d/MatrixStorage.h"

#include <QObject>
#include <QString>

#include <cstdint>

namespace plot3d {

class IntMatrix : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int NrOfColumns READ nrOfColumns WRITE setNrOfColumns)
    Q_PROPERTY(int NrOfRows READ nrOfRows WRITE setNrOfRows)
    Q_PROPERTY(QString DataID READ dataID WRITE setDataID)

  public:
    using Storage = MatrixStorage<std::int32_t>;

    explicit IntMatrix(QObject* parent = nullptr);

    int nrOfColumns() const { return store_.columns(); }
    int nrOfRows() const { return store_.rows(); }
    // A count below 1 is taken as 1; the other count stays.
    void setNrOfColumns(int columns);
    void setNrOfRows(int rows);

    QString dataID() const { return dataId_; }
    void setDataID(const QString& id) { dataId_ = id; }

    // Outside 1..NrOfColumns or 1..NrOfRows a read gives 0 and a write is ignored. A write that lands
    // emits changed().
    std::int32_t element(int column, int row) const { return store_.at(column, row); }
    void setElement(int column, int row, std::int32_t value);

    // Keeps the elements in both sizes, new ones are 0, and emits changed(). The same size succeeds
    // without change or signal; a count below 1 fails and changes nothing. When the memory cannot be
    // had the old contents remain, changed() is still emitted and false is returned.
    bool resize(int columns, int rows);

    const Storage& storage() const { return store_; }
    // Direct access for bulk writes by the owner; writes through it emit nothing.
    Storage& storage() { return store_; }

  signals:
    void changed();

  private:
    Storage store_;
    QString dataId_;
};

} // namespace plot3d
