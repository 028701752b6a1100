#pragma once

#include <array>

#include <QString>
#include <QWidget>

class QSizeGrip;

// The status bar along the window's bottom: two text parts whose right edges are at 560 and
// 1600 pixels (a narrower window cuts them off) and a size grip.
class StatusBar : public QWidget {
    Q_OBJECT

public:
    explicit StatusBar(QWidget* parent);

    void SetText(int part, const QString& text);
    QString Text(int part) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<QString, 2> m_texts;
    QSizeGrip* m_grip = nullptr;
};
