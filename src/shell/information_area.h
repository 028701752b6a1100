#pragma once

#include <string>
#include <vector>

#include <QWidget>

// The information area below the left page: the lines that summarise the folder or the
// selection.
class InformationArea : public QWidget {
    Q_OBJECT

public:
    explicit InformationArea(QWidget* parent = nullptr);

    void SetLines(const std::vector<std::string>& lines);
    const QStringList& Lines() const { return m_lines; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList m_lines;
};
