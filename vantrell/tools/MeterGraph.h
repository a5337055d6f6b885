// The airflow meter page's curve graph (objectName "graph"): a picture that keeps what was drawn on it,
// so each drawing is laid over the earlier ones. Commands come in the graph's user scale (600 wide,
// 70000 high, origin top left) and are scaled to the widget's size. The background is black. The graph
// keeps the drawings it was given (the latest kKeptDrawings) and draws them again, sharp, when its size
// changes, for example when the page is first shown after a drawing made while it was hidden.
#pragma once

#include "vantrell/tools/core/AirflowMeterSwap.h"

#include <QPixmap>
#include <QWidget>

#include <vector>

namespace vantrell {

class MeterGraph : public QWidget
{
    Q_OBJECT
  public:
    explicit MeterGraph(QWidget* parent = nullptr);

    // Draws the commands over what the picture already holds.
    void draw(const std::vector<GraphCommand>& commands);
    // The picture as drawn so far (device pixels).
    const QPixmap& picture() const { return picture_; }
    // Widget coordinates of a point of the user scale.
    QPointF toWidget(double x, double y) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    static constexpr std::size_t kKeptDrawings = 200;
    void ensurePicture();
    void paintCommands(const std::vector<GraphCommand>& commands);
    QPixmap picture_;
    std::vector<std::vector<GraphCommand>> drawings_;
};

} // namespace vantrell
