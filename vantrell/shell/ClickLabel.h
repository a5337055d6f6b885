// A status bar label that reports a click.
#pragma once

#include <QLabel>

namespace vantrell {

class ClickLabel : public QLabel
{
    Q_OBJECT
  public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace vantrell
