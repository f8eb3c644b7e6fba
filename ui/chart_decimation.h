#pragma once
// Thinning a long series for a chart: a line drawn over a few hundred pixel
// columns needs no more than the lowest and the highest point of each
// column to look the same as all of them, peaks and dips included.

#include <QList>
#include <QPointF>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace quillmere {

// The points (x[i], y[i]) with finite y, thinned to at most two per column
// when there are more than 2 * columns of them: the lowest and the highest
// of each column, in the order they come. x must not decrease.
template <class X, class Y>
QList<QPointF> DecimateMinMax(std::size_t count, X x, Y y, int columns) {
  QList<QPointF> out;
  if (count == 0) return out;
  const std::size_t per_column =
      columns > 0
          ? std::max<std::size_t>(1, (count + columns - 1) / static_cast<std::size_t>(columns))
          : 1;
  out.reserve(static_cast<qsizetype>(std::min(count, 2 * (count / per_column + 1))));
  for (std::size_t begin = 0; begin < count; begin += per_column) {
    const std::size_t end = std::min(count, begin + per_column);
    std::size_t lo = end, hi = end;
    for (std::size_t i = begin; i < end; ++i) {
      const double v = y(i);
      if (!std::isfinite(v)) continue;
      if (lo == end || v < y(lo)) lo = i;
      if (hi == end || v > y(hi)) hi = i;
    }
    if (lo == end) continue;
    const std::size_t first = std::min(lo, hi), second = std::max(lo, hi);
    out.append(QPointF(x(first), y(first)));
    if (second != first) out.append(QPointF(x(second), y(second)));
  }
  return out;
}

// A stretch of indices [begin, end).
struct IndexRun {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The stretches of 0..count-1 where `in(i)` holds, in order: where a
// series has figures, so that each is drawn as a line of its own and no
// line joins the ends of a gap.
template <class In>
std::vector<IndexRun> Runs(std::size_t count, In in) {
  std::vector<IndexRun> runs;
  for (std::size_t i = 0; i < count; ++i) {
    if (!in(i)) continue;
    if (!runs.empty() && runs.back().end == i) {
      runs.back().end = i + 1;
    } else {
      runs.push_back({i, i + 1});
    }
  }
  return runs;
}

}  // namespace quillmere
