#pragma once

#include <functional>

#include <QWidget>

// The 4-pixel bar between the left panel and the view. Dragging it reports the new mouse x in
// the parent's coordinates; it can be dragged only while `canDrag` says so (a fixed-width left
// page or a service that froze the width makes it inert, without the sizing cursor).
class SplitterBar : public QWidget {
    Q_OBJECT

public:
    SplitterBar(std::function<bool()> canDrag, std::function<void(int parentX)> onDrag, QWidget* parent);

    bool Dragging() const { return m_dragging; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowCursor();

    std::function<bool()> m_canDrag;
    std::function<void(int)> m_onDrag;
    bool m_dragging = false;
};
