#pragma once

#include <QSortFilterProxyModel>
#include <QString>

// Orders names as people read them: runs of digits by their value ("DSC2" before "DSC10"),
// letters without regard to case. Negative, zero or positive like strcmp.
int CompareNaturally(const QString& a, const QString& b);

// Shows the rows of a file system model in natural name order.
class NaturalOrderModel : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
