#include "files/natural_order.h"

namespace {

// The end of the run of digits that starts at `i`.
qsizetype DigitRunEnd(const QString& text, qsizetype i)
{
    while (i < text.size() && text[i].isDigit())
        ++i;
    return i;
}

// Compares two digit runs by value without converting them (they may be longer than any
// integer type): leading zeros skipped, then the longer run is the larger number.
int CompareDigitRuns(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

} // namespace

int CompareNaturally(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype endA = DigitRunEnd(a, i);
            const qsizetype endB = DigitRunEnd(b, j);
            if (const int order = CompareDigitRuns(QStringView(a).mid(i, endA - i), QStringView(b).mid(j, endB - j)))
                return order;
            i = endA;
            j = endB;
            continue;
        }
        const QChar left = a[i].toCaseFolded();
        const QChar right = b[j].toCaseFolded();
        if (left != right)
            return left < right ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Equal when read naturally ("a01" and "A1"): fall back to the plain order to stay stable.
    return a.compare(b);
}

bool NaturalOrderModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    return CompareNaturally(left.data().toString(), right.data().toString()) < 0;
}
