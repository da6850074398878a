#pragma once

#include "platform/Prompter.h"

#include <QString>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace kelvarin::bench {

// The figures of several runs of one measurement.
struct Figures
{
    std::vector<double> values;

    void Add(double v) { values.push_back(v); }
    double Median() const
    {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        if (n == 0)
            return 0;
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double Min() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
    double Max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
};

// One line: "what median M ms (min A, max B, N runs)", then the goal text if any.
inline void Print(QTextStream &out, const char *what, const Figures &f, int decimals, const QString &goal = QString())
{
    out << what << "median " << QString::number(f.Median(), 'f', decimals) << " ms (min "
        << QString::number(f.Min(), 'f', decimals) << ", max " << QString::number(f.Max(), 'f', decimals) << ", "
        << f.values.size() << " runs)";
    if (!goal.isEmpty())
        out << "   " << goal;
    out << "\n";
}

} // namespace kelvarin::bench
