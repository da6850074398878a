#pragma once

#include "platform/Prompter.h"

#include <QString>

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

// Answers every message box with No and counts them.
class CountingPrompter : public Prompter
{
public:
    MessageAnswer Ask(const QString &text, const QString &, MessageIcon, MessageButtons, MessageAnswer) override
    {
        ++shown;
        last = text;
        return MessageAnswer::No;
    }
    int shown = 0;
    QString last;
};

} // namespace kelvarin::bench
