#include "midi/TempoCurve.h"

void TempoCurve::reset(short tempo) {
    initial = tempo;
    points.clear();
}

short TempoCurve::value(int32_t time) const {
    if (points.empty() || time < points.front().tick) return initial;
    size_t i = 0;
    while (i < points.size() && points[i].tick <= time) i++;
    if (i == points.size()) return points.back().tempo;
    const Point& a = points[i - 1];
    const Point& b = points[i];
    if (a.tick == b.tick) return b.tempo;
    return (short)(a.tempo + (int64_t)(time - a.tick) * (b.tempo - a.tempo) / (b.tick - a.tick));
}

void TempoCurve::add(int32_t start, int32_t end, short ts, short te) {
    if (end < start) return;
    short os = value(start - 1);
    short oe = value(end);
    bool later = !points.empty() && points.back().tick > end;
    size_t i = 0;
    while (i < points.size() && points[i].tick < start) i++;
    size_t j = i;
    while (j < points.size() && points[j].tick <= end) j++;
    points.erase(points.begin() + (long)i, points.begin() + (long)j);
    std::vector<Point> change = {{start, os}, {start, ts}, {end, te}};
    if (later) change.push_back({end, oe});
    points.insert(points.begin() + (long)i, change.begin(), change.end());
}

void TempoCurve::drop_before(int32_t time) {
    size_t keep = 0;
    while (keep + 1 < points.size() && points[keep].tick <= time && points[keep + 1].tick <= time) keep++;
    if (keep == 0) return;
    // The breakpoint in force becomes the start of the curve.
    initial = points[keep].tempo;
    points.erase(points.begin(), points.begin() + (long)keep);
}
