#include "lettering.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace artgen {

namespace {

// Glyph space: baseline at y = 0, y upwards, lower-case letters 1 high.
constexpr double kPenHalfWidth = 0.115;
constexpr double kLetterGap = 0.46;

struct Segment {
    Point a;
    Point b;
};

// An arc of less than half a turn, running anticlockwise from direction
// `from` to direction `to` (both need not be unit length).
struct Arc {
    Point centre;
    double radius;
    Point from;
    Point to;
};

struct Glyph {
    double width = 0.0;
    std::vector<Segment> lines;
    std::vector<Arc> arcs;
    std::vector<Point> dots;  // round dots, somewhat heavier than the pen
};

double Cross(Point a, Point b)
{
    return a.x * b.y - a.y * b.x;
}

double SegmentDistance(const Segment& s, Point p)
{
    const double dx = s.b.x - s.a.x;
    const double dy = s.b.y - s.a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return Distance(p, {s.a.x + dx * t, s.a.y + dy * t});
}

Point EndOf(const Arc& arc, Point direction)
{
    const double length = std::sqrt(direction.x * direction.x + direction.y * direction.y);
    return {arc.centre.x + arc.radius * direction.x / length, arc.centre.y + arc.radius * direction.y / length};
}

double ArcDistance(const Arc& arc, Point p)
{
    const Point d{p.x - arc.centre.x, p.y - arc.centre.y};
    if (Cross(arc.from, d) >= 0.0 && Cross(d, arc.to) >= 0.0) {
        return std::abs(Distance(p, arc.centre) - arc.radius);
    }
    return std::min(Distance(p, EndOf(arc, arc.from)), Distance(p, EndOf(arc, arc.to)));
}

// Two half-turn arcs make a whole ring.
void AddRing(Glyph& g, Point centre, double radius)
{
    g.arcs.push_back({centre, radius, {1.0, 0.0}, {-1.0, 0.0}});
    g.arcs.push_back({centre, radius, {-1.0, 0.0}, {1.0, 0.0}});
}

// An arch over a stem pair, as in h, m and n.
void AddArch(Glyph& g, double left, double right, double springLine)
{
    const double radius = (right - left) / 2.0;
    g.arcs.push_back({{left + radius, springLine}, radius, {1.0, 0.0}, {-1.0, 0.0}});
}

constexpr double kAscender = 1.45;
constexpr double kCapHeight = 1.4;

Glyph CapitalN()
{
    Glyph g;
    g.width = 1.1;
    g.lines = {{{0.0, 0.0}, {0.0, kCapHeight}}, {{0.0, kCapHeight}, {g.width, 0.0}},
               {{g.width, 0.0}, {g.width, kCapHeight}}};
    return g;
}

Glyph SmallI()
{
    Glyph g;
    g.lines = {{{0.0, 0.0}, {0.0, 1.0}}};
    g.dots = {{0.0, 1.36}};
    return g;
}

Glyph SmallG()
{
    Glyph g;
    g.width = 1.0;
    AddRing(g, {0.5, 0.5}, 0.5);
    g.lines = {{{1.0, 1.0}, {1.0, -0.1}}};
    g.arcs.push_back({{0.5, -0.1}, 0.5, {-0.8, -0.6}, {1.0, 0.0}});
    return g;
}

Glyph SmallH()
{
    Glyph g;
    g.width = 0.92;
    g.lines = {{{0.0, 0.0}, {0.0, kAscender}}, {{g.width, 0.0}, {g.width, 0.54}}};
    AddArch(g, 0.0, g.width, 0.54);
    return g;
}

Glyph SmallT()
{
    Glyph g;
    g.width = 0.62;
    g.lines = {{{0.2, 1.28}, {0.2, 0.28}}, {{-0.08, 1.0}, {0.62, 1.0}}};
    g.arcs.push_back({{0.5, 0.28}, 0.3, {-1.0, 0.0}, {0.87, -0.5}});
    return g;
}

Glyph SmallL()
{
    Glyph g;
    g.lines = {{{0.0, 0.0}, {0.0, kAscender}}};
    return g;
}

Glyph SmallO()
{
    Glyph g;
    g.width = 1.0;
    AddRing(g, {0.5, 0.5}, 0.5);
    return g;
}

Glyph SmallM()
{
    Glyph g;
    g.width = 1.44;
    g.lines = {{{0.0, 0.0}, {0.0, 1.0}}, {{0.72, 0.0}, {0.72, 0.64}}, {{1.44, 0.0}, {1.44, 0.64}}};
    AddArch(g, 0.0, 0.72, 0.64);
    AddArch(g, 0.72, 1.44, 0.64);
    return g;
}

double GlyphDistance(const Glyph& g, Point p)
{
    double best = 1e9;
    for (const Segment& s : g.lines) best = std::min(best, SegmentDistance(s, p));
    for (const Arc& a : g.arcs) best = std::min(best, ArcDistance(a, p));
    for (const Point& d : g.dots) best = std::min(best, Distance(p, d) - 0.045);
    return best;
}

struct PlacedGlyph {
    Glyph glyph;
    double left = 0.0;
};

// The name laid out on the baseline, its ink centred on x = 0.
const std::vector<PlacedGlyph>& NameLayout()
{
    static const std::vector<PlacedGlyph> layout = [] {
        std::vector<PlacedGlyph> placed;
        double x = 0.0;
        for (const Glyph& g : {CapitalN(), SmallI(), SmallG(), SmallH(), SmallT(), SmallL(), SmallO(), SmallO(),
                               SmallM()}) {
            placed.push_back({g, x});
            x += g.width + kLetterGap;
        }
        const double inkWidth = x - kLetterGap;
        for (PlacedGlyph& pg : placed) pg.left -= inkWidth / 2.0;
        return placed;
    }();
    return layout;
}

double NameDistance(Point glyphSpace)
{
    double best = 1e9;
    for (const PlacedGlyph& pg : NameLayout()) {
        if (glyphSpace.x < pg.left - 1.0 || glyphSpace.x > pg.left + pg.glyph.width + 1.0) continue;
        best = std::min(best, GlyphDistance(pg.glyph, {glyphSpace.x - pg.left, glyphSpace.y}));
    }
    return best;
}

}  // namespace

double NameCoverage(const TextPlacement& placement, Point p, double pixel)
{
    const double scale = placement.xHeight;
    const Point glyphSpace{(p.x - placement.centreX) / scale, (placement.baseline - p.y) * placement.aspect / scale};
    const double edge = kPenHalfWidth - NameDistance(glyphSpace);
    // The distance to the pen's edge, in pixels, gives the covered fraction of
    // a pixel straddling it.
    return Clamp01(edge * scale / pixel + 0.5);
}

}  // namespace artgen
