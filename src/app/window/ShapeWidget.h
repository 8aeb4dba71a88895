#pragma once

#include <QColor>
#include <QWidget>

namespace vireo {

// A filled shape (rectangle or circle) with a black outline.
class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Circle };
    ShapeWidget(Kind kind, QWidget *parent);

    void setBrushColor(const QColor &color);
    QColor brushColor() const { return m_brush; }
    void setPenWidth(int width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kind m_kind;
    QColor m_brush = Qt::white;
    int m_penWidth = 1;
};

} // namespace vireo
