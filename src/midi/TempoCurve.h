#pragma once
// The tempo of a render into tracks: a curve of (tick, tempo) breakpoints, straight between
// neighbours, jumping where two share a tick, holding the last one's tempo after it and the
// starting tempo before the first. Tempo rules add changes to it as the port layer's tempo
// progression does for live play, without its capacity and without a running clock, so that an
// export never touches what plays.

#include <cstddef>
#include <cstdint>
#include <vector>

class TempoCurve {
public:
    // Forgets every breakpoint; the curve holds `tempo` everywhere.
    void reset(short tempo);
    // The tempo at a tick.
    short value(int32_t time) const;
    // A change from `ts` at `start` to `te` at `end`: the curve keeps its course before start,
    // jumps to ts, runs to te, and goes back to its old course after end when it had one there.
    void add(int32_t start, int32_t end, short ts, short te);
    // Drops the breakpoints passed at `time`, keeping the one in force.
    void drop_before(int32_t time);

    short initial = 100;

private:
    struct Point {
        int32_t tick;
        short tempo;
    };
    std::vector<Point> points;
};
