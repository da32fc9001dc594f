// artgen: draws Nightloom's icons and scene pictures from code, so every picture in the program is
// our own and each build reproduces it byte for byte.
//
// Usage: artgen OUTDIR            the icons and pictures committed in resources/
//        artgen --desktop FILE    a desktop picture for the screenshots
//
// Pictures are drawn in unit coordinates (0..1 across the picture) on an
// oversampled canvas, averaged down to the target size for smooth edges, then
// mapped to a fixed palette or kept in true colour. Only arithmetic and sqrt
// are used while drawing: both are exactly rounded, so the output does not
// depend on the maths library.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "art_basics.h"
#include "pictures.h"
#include "png_file.h"

namespace {

using artgen::Clamp01;
using artgen::Distance;
using artgen::Hex;
using artgen::Mix;
using artgen::Point;
using artgen::Rgb;
using artgen::Scale;

// ---------------------------------------------------------------------------
// Colours and the canvas

struct Pixel {
    Rgb colour;
    double alpha = 0.0;
};

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;

    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}

    Pixel& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Pixel& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// What a layer puts at one point: a colour and how strongly it covers what is
// already there (0 leaves the point untouched).
struct Ink {
    Rgb colour;
    double opacity = 0.0;
};

using Layer = std::function<Ink(Point)>;

// Layers make the whole point opaque: every picture sits on an opaque ground,
// and the ground layer alone decides the icon's outline.
void Paint(Canvas& canvas, const Layer& layer)
{
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const Point p{(x + 0.5) / canvas.width, (y + 0.5) / canvas.height};
            const Ink ink = layer(p);
            if (ink.opacity <= 0.0) continue;
            Pixel& px = canvas.At(x, y);
            px.colour = Mix(px.colour, ink.colour, Clamp01(ink.opacity));
            px.alpha = 1.0;
        }
    }
}

// Colour is averaged weighted by alpha, so edge pixels keep the ground's
// colour instead of fading towards the empty canvas's black.
Canvas Downsample(const Canvas& big, int factor)
{
    Canvas small(big.width / factor, big.height / factor);
    const double samples = static_cast<double>(factor) * factor;
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            Rgb sum;
            double alpha = 0.0;
            for (int sy = 0; sy < factor; ++sy) {
                for (int sx = 0; sx < factor; ++sx) {
                    const Pixel& s = big.At(x * factor + sx, y * factor + sy);
                    sum = {sum.r + s.colour.r * s.alpha, sum.g + s.colour.g * s.alpha,
                           sum.b + s.colour.b * s.alpha};
                    alpha += s.alpha;
                }
            }
            Pixel& out = small.At(x, y);
            out.alpha = alpha / samples;
            if (alpha > 0.0) out.colour = Scale(sum, 1.0 / alpha);
        }
    }
    return small;
}

// ---------------------------------------------------------------------------
// Shapes

struct Rect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

bool InRoundedRect(const Rect& r, double radius, Point p)
{
    if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom) return false;
    const double cx = std::clamp(p.x, r.left + radius, r.right - radius);
    const double cy = std::clamp(p.y, r.top + radius, r.bottom - radius);
    return Distance(p, {cx, cy}) <= radius;
}

// The night sky: a rounded tile, darkest at the top like a real sky overhead.
Layer SkyTile(Rgb top, Rgb bottom, double cornerRadius)
{
    return [=](Point p) -> Ink {
        if (!InRoundedRect({0.0, 0.0, 1.0, 1.0}, cornerRadius, p)) return {};
        return {Mix(top, bottom, p.y), 1.0};
    };
}

// Falls off with the square of the distance so the halo has no visible rim.
Layer Glow(Point centre, double radius, Rgb colour, double strength)
{
    return [=](Point p) -> Ink {
        const double t = 1.0 - Distance(p, centre) / radius;
        if (t <= 0.0) return {};
        return {colour, strength * t * t};
    };
}

// The lit part of the moon is its disc minus a slightly smaller disc shifted
// towards the sun's far side; the limb is brightest where the light is full.
Layer Crescent(Point centre, double radius, Point cutOffset, double cutRadius, Rgb lit, Rgb limb)
{
    const Point cut{centre.x + cutOffset.x, centre.y + cutOffset.y};
    return [=](Point p) -> Ink {
        const double d = Distance(p, centre);
        if (d > radius || Distance(p, cut) < cutRadius) return {};
        const double band = radius - cutRadius + 1e-9;
        const double towardsLimb = Clamp01((Distance(p, cut) - cutRadius) / band);
        return {Mix(lit, limb, towardsLimb), 1.0};
    };
}

// A four-pointed glint that reads as a small sparkle at 32x32; with no arms it
// is a plain dot, which is all a 16x16 picture has room for.
Layer Star(Point centre, double arm, double thickness, Rgb colour)
{
    return [=](Point p) -> Ink {
        const double dx = std::abs(p.x - centre.x);
        const double dy = std::abs(p.y - centre.y);
        const bool onArm = arm > 0.0 && ((dx <= arm && dy <= thickness * (1.0 - dx / arm)) ||
                                         (dy <= arm && dx <= thickness * (1.0 - dy / arm)));
        if (!onArm && Distance(p, centre) > thickness) return {};
        return {colour, 1.0};
    };
}

// ---------------------------------------------------------------------------
// The weave

struct Weave {
    std::vector<double> warpX;  // vertical threads
    double warpTop = 0.0;
    double warpBottom = 1.0;
    std::vector<double> weftY;  // horizontal threads
    double weftLeft = 0.0;
    double weftRight = 1.0;
    double halfWidth = 0.04;
    Rgb warpColour;
    Rgb weftColour;
};

// Index of the thread whose centre line lies within halfWidth of v, or -1.
int ThreadAt(const std::vector<double>& centres, double halfWidth, double v)
{
    for (std::size_t i = 0; i < centres.size(); ++i) {
        if (std::abs(v - centres[i]) < halfWidth) return static_cast<int>(i);
    }
    return -1;
}

// Darker towards the edges so a flat band reads as a round strand.
Rgb StrandShade(Rgb colour, double offset, double halfWidth)
{
    const double t = offset / halfWidth;
    return Scale(colour, 1.0 - 0.45 * t * t);
}

// A thread passing under another is shaded where it dips beneath it, which is
// what makes the crossing read as woven rather than painted on top.
Rgb UnderShadow(Rgb colour, double distanceToOver, double halfWidth)
{
    const double reach = halfWidth * 1.8;
    if (distanceToOver >= reach) return colour;
    const double t = 1.0 - distanceToOver / reach;
    return Scale(colour, 1.0 - 0.55 * t);
}

// Warp i lies over weft j where i + j is even: the plain weave's checkerboard.
bool WarpOver(std::size_t warp, std::size_t weft)
{
    return (warp + weft) % 2 == 0;
}

Rgb WarpColourAt(const Weave& w, std::size_t warp, Point p)
{
    Rgb c = StrandShade(w.warpColour, std::abs(p.x - w.warpX[warp]), w.halfWidth);
    for (std::size_t j = 0; j < w.weftY.size(); ++j) {
        if (WarpOver(warp, j)) continue;
        c = UnderShadow(c, std::abs(p.y - w.weftY[j]) - w.halfWidth, w.halfWidth);
    }
    return c;
}

Rgb WeftColourAt(const Weave& w, std::size_t weft, Point p)
{
    Rgb c = StrandShade(w.weftColour, std::abs(p.y - w.weftY[weft]), w.halfWidth);
    if (p.y < w.warpTop || p.y >= w.warpBottom) return c;
    for (std::size_t i = 0; i < w.warpX.size(); ++i) {
        if (!WarpOver(i, weft)) continue;
        c = UnderShadow(c, std::abs(p.x - w.warpX[i]) - w.halfWidth, w.halfWidth);
    }
    return c;
}

Layer WeaveLayer(const Weave& w)
{
    return [=](Point p) -> Ink {
        const bool inWarpSpan = p.y >= w.warpTop && p.y < w.warpBottom;
        const bool inWeftSpan = p.x >= w.weftLeft && p.x < w.weftRight;
        const int warp = inWarpSpan ? ThreadAt(w.warpX, w.halfWidth, p.x) : -1;
        const int weft = inWeftSpan ? ThreadAt(w.weftY, w.halfWidth, p.y) : -1;
        if (warp < 0 && weft < 0) return {};
        const bool showWarp = weft < 0 || (warp >= 0 && WarpOver(static_cast<std::size_t>(warp),
                                                                 static_cast<std::size_t>(weft)));
        return {showWarp ? WarpColourAt(w, static_cast<std::size_t>(warp), p)
                         : WeftColourAt(w, static_cast<std::size_t>(weft), p),
                1.0};
    };
}

// Faint strings above the cloth: the loom's warp, strung across the sky. They
// pass behind the moon, whose dark side hides them too, so the whole disc
// shows faintly as a silhouette.
Layer LoomStrings(const std::vector<double>& xs, double bottom, double halfWidth, Rgb colour,
                  double opacity, Point moonCentre, double moonRadius)
{
    return [=](Point p) -> Ink {
        if (p.y >= bottom || ThreadAt(xs, halfWidth, p.x) < 0) return {};
        if (Distance(p, moonCentre) <= moonRadius) return {};
        return {colour, opacity * (0.35 + 0.65 * p.y / bottom)};
    };
}

// ---------------------------------------------------------------------------
// The Nightloom motif

namespace colours {
const Rgb kSkyTop = Hex(0x060B22);
const Rgb kSkyBottom = Hex(0x1C2D66);
const Rgb kHalo = Hex(0x5A6FB0);
const Rgb kMoonLit = Hex(0xE9E2C0);
const Rgb kMoonLimb = Hex(0xFFFBEA);
const Rgb kStar = Hex(0xF4F0DA);
const Rgb kGold = Hex(0xF0BE58);
const Rgb kTeal = Hex(0x3CC2B8);
}  // namespace colours

struct Motif {
    double cornerRadius = 0.16;
    Point moonCentre{0.66, 0.30};
    double moonRadius = 0.20;
    Point moonCut{-0.09, -0.06};
    double moonCutRadius = 0.17;
    double haloStrength = 0.45;
    std::vector<Point> stars;
    double starArm = 0.05;
    double starThickness = 0.012;
    bool loomStrings = true;
    Weave weave;
};

Weave StandardWeave(std::vector<double> warpX, std::vector<double> weftY, double halfWidth)
{
    Weave w;
    w.warpX = std::move(warpX);
    w.weftY = std::move(weftY);
    w.halfWidth = halfWidth;
    w.warpTop = w.weftY.front() - 3.0 * halfWidth;
    w.warpBottom = 1.0;
    w.weftLeft = 0.0;
    w.weftRight = 1.0;
    w.warpColour = colours::kTeal;
    w.weftColour = colours::kGold;
    return w;
}

// Threads sit on whole pixels of the grid they are drawn for, so their edges
// stay crisp instead of smearing over two pixels.
double OnGrid(double pixel, int grid)
{
    return pixel / grid;
}

// Thread centres in unit coordinates from whole pixels of a picture `size`
// wide: the first thread's left (or top) edge, the step to the next one and
// each thread's width.
std::vector<double> ThreadCentres(int size, int first, int step, int count, int width)
{
    std::vector<double> centres;
    for (int i = 0; i < count; ++i) centres.push_back((first + i * step + width / 2.0) / size);
    return centres;
}

// A length of the 32-pixel layout, rounded to whole pixels of `size`.
int Scaled(int pixelsOf32, int size)
{
    return static_cast<int>(std::floor(pixelsOf32 * size / 32.0 + 0.5));
}

// The full motif: moon, stars, loom strings and a strip of cloth. Its four
// warp and three weft threads are laid out on 32 pixels and rounded to the
// pixels of each size, so every thread keeps one width and sharp edges.
Motif MainMotif(int size = 32)
{
    Motif m;
    m.stars = {{0.17, 0.17}, {0.33, 0.34}, {0.09, 0.44}};
    const int width = Scaled(3, size);
    m.weave = StandardWeave(ThreadCentres(size, Scaled(5, size), Scaled(6, size), 4, width),
                            ThreadCentres(size, Scaled(17, size), Scaled(5, size), 3, width),
                            width / 2.0 / size);
    return m;
}

// Fewer elements, so it still reads when the shell shows it small.
Motif SimpleMotif()
{
    Motif m;
    m.moonCentre = {0.50, 0.30};
    m.moonRadius = 0.22;
    m.moonCutRadius = 0.19;
    m.loomStrings = false;
    m.stars = {{0.19, 0.19}};
    m.weave = StandardWeave({OnGrid(8.0, 32), OnGrid(16.0, 32), OnGrid(24.0, 32)},
                            {OnGrid(22.0, 32), OnGrid(27.0, 32)}, OnGrid(2.0, 32));
    return m;
}

// At 16x16 every thread needs two whole pixels to survive, and a star is one.
Motif TinyMotif()
{
    Motif m = SimpleMotif();
    m.cornerRadius = 0.19;
    m.moonCentre = {0.62, 0.28};
    m.moonRadius = 0.24;
    m.moonCut = {-0.10, -0.07};
    m.moonCutRadius = 0.21;
    m.haloStrength = 0.25;  // a wide halo would only smear the few sky pixels
    m.stars = {{OnGrid(3.5, 16), OnGrid(3.5, 16)}};
    m.starArm = 0.0;
    m.starThickness = 0.035;
    m.weave = StandardWeave({OnGrid(4.0, 16), OnGrid(8.0, 16), OnGrid(12.0, 16)},
                            {OnGrid(11.0, 16), OnGrid(14.0, 16)}, OnGrid(1.0, 16));
    return m;
}

// 20 and 24 pixels have no room for the full motif, and rounding the simple
// one's threads would leave wefts touching: their threads are placed by hand.
// A sparkle's arms would blur to a smudge here; the star is one lit pixel.
Motif SimpleMotif(int size)
{
    Motif m = SimpleMotif();
    m.stars = {{3.5 / size, 3.5 / size}};
    m.starArm = 0.0;
    m.starThickness = 0.6 / size;
    if (size == 20) {
        m.weave = StandardWeave(ThreadCentres(20, 4, 5, 3, 2), ThreadCentres(20, 13, 3, 2, 2), 1.0 / 20);
    } else if (size == 24) {
        m.weave = StandardWeave(ThreadCentres(24, 4, 6, 3, 3), ThreadCentres(24, 15, 4, 2, 3), 1.5 / 24);
    }
    return m;
}

// The motif drawn for each size of the true-colour icon.
Motif MotifForSize(int size)
{
    if (size <= 16) return TinyMotif();
    if (size < 32) return SimpleMotif(size);
    return MainMotif(size);
}

constexpr int kOversample = 8;

Canvas DrawMotif(const Motif& m, int size)
{
    Canvas big(size * kOversample, size * kOversample);
    Paint(big, SkyTile(colours::kSkyTop, colours::kSkyBottom, m.cornerRadius));
    Paint(big, Glow(m.moonCentre, m.moonRadius * 2.0, colours::kHalo, m.haloStrength));
    if (m.loomStrings) {
        Paint(big, LoomStrings(m.weave.warpX, m.weave.warpTop, 0.012, colours::kTeal, 0.5,
                               m.moonCentre, m.moonRadius));
    }
    for (const Point& s : m.stars) {
        Paint(big, Star(s, m.starArm, m.starThickness, colours::kStar));
    }
    Paint(big, Crescent(m.moonCentre, m.moonRadius, m.moonCut, m.moonCutRadius, colours::kMoonLit,
                        colours::kMoonLimb));
    Paint(big, WeaveLayer(m.weave));
    return Downsample(big, kOversample);
}

// ---------------------------------------------------------------------------
// Fixed palettes and quantisation

struct Rgb8 {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

std::uint8_t Channel8(double v)
{
    return static_cast<std::uint8_t>(Clamp01(v) * 255.0 + 0.5);
}

Rgb8 ToRgb8(Rgb c)
{
    return {Channel8(c.r), Channel8(c.g), Channel8(c.b)};
}

using Palette = std::vector<Rgb8>;

void AddMixes(Palette& palette, Rgb from, Rgb to, int steps)
{
    for (int i = 0; i < steps; ++i) {
        palette.push_back(ToRgb8(Mix(from, to, static_cast<double>(i) / (steps - 1))));
    }
}

// Strands are shaded by scaling their colour, so their ramps do the same.
void AddShades(Palette& palette, Rgb colour, double darkest, int steps)
{
    for (int i = 0; i < steps; ++i) {
        palette.push_back(ToRgb8(Scale(colour, darkest + (1.0 - darkest) * i / (steps - 1))));
    }
}

// A 6x6x6 cube covers any colour roughly; the ramps add the fine steps our
// own colours need, so the sky shades smoothly and the threads keep their hue.
// Index 0 is black, which is what transparent icon pixels must hold.
Palette Palette256()
{
    Palette p;
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                p.push_back({static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                             static_cast<std::uint8_t>(b * 51)});
            }
        }
    }
    for (int i = 0; i < 4; ++i) {
        const Rgb sky = Mix(colours::kSkyTop, colours::kSkyBottom, i / 3.0);
        AddMixes(p, sky, Mix(sky, colours::kHalo, 0.6), 5);
    }
    AddMixes(p, Mix(colours::kSkyBottom, colours::kHalo, 0.5), colours::kMoonLit, 6);
    AddShades(p, colours::kGold, 0.3, 7);
    AddShades(p, colours::kTeal, 0.3, 7);
    return p;
}

// Sixteen colours taken from the motif itself rather than the generic system
// set: the sky, the moon with two steps of its soft edge, and three steps of
// each strand's shading.
Palette Palette16()
{
    Palette p = {Rgb8{}};
    AddMixes(p, colours::kSkyTop, colours::kSkyBottom, 4);
    p.push_back(ToRgb8(Mix(colours::kSkyBottom, colours::kHalo, 0.5)));
    AddMixes(p, Mix(colours::kSkyBottom, colours::kMoonLit, 0.35), colours::kMoonLimb, 4);
    AddShades(p, colours::kGold, 0.5, 3);
    AddShades(p, colours::kTeal, 0.5, 3);
    return p;
}

// Green counts most, blue least, roughly as the eye weighs them.
long ColourDistance(Rgb8 a, Rgb8 b)
{
    const long dr = a.r - b.r;
    const long dg = a.g - b.g;
    const long db = a.b - b.b;
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

std::uint8_t Nearest(const Palette& palette, Rgb8 c)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < palette.size(); ++i) {
        if (ColourDistance(palette[i], c) < ColourDistance(palette[best], c)) best = i;
    }
    return static_cast<std::uint8_t>(best);
}

struct IndexedImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 8;
    Palette palette;
    std::vector<std::uint8_t> index;  // top-down, one per pixel
    std::vector<bool> transparent;    // top-down, one per pixel
};

// The palette must fill the colour table exactly: the file header promises
// 2^bpp entries, and a longer palette would yield indices that do not fit.
IndexedImage Quantise(const Canvas& canvas, const Palette& palette, int bitsPerPixel)
{
    if (palette.size() != (std::size_t{1} << bitsPerPixel)) {
        throw std::logic_error("palette does not match the bit depth");
    }
    IndexedImage img;
    img.width = canvas.width;
    img.height = canvas.height;
    img.bitsPerPixel = bitsPerPixel;
    img.palette = palette;
    for (const Pixel& px : canvas.pixels) {
        const bool clear = px.alpha < 0.5;
        img.transparent.push_back(clear);
        img.index.push_back(clear ? 0 : Nearest(palette, ToRgb8(px.colour)));
    }
    return img;
}

// ---------------------------------------------------------------------------
// Little-endian output

class Bytes {
public:
    void U8(unsigned v) { data_.push_back(static_cast<std::uint8_t>(v & 0xFF)); }
    void U16(unsigned v)
    {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Append(const std::vector<std::uint8_t>& more)
    {
        data_.insert(data_.end(), more.begin(), more.end());
    }
    const std::vector<std::uint8_t>& Data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

std::size_t RowBytes(int width, int bitsPerPixel)
{
    return static_cast<std::size_t>((width * bitsPerPixel + 31) / 32) * 4;
}

// Packs one row of values MSB first, as BMP does for 1, 4 and 8 bits per pixel.
void PackRow(std::vector<std::uint8_t>& out, const std::vector<unsigned>& values, int bitsPerPixel)
{
    std::vector<std::uint8_t> row(RowBytes(static_cast<int>(values.size()), bitsPerPixel), 0);
    for (std::size_t x = 0; x < values.size(); ++x) {
        const std::size_t bit = x * bitsPerPixel;
        const unsigned shift = 8 - bitsPerPixel - static_cast<unsigned>(bit % 8);
        row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | (values[x] << shift));
    }
    out.insert(out.end(), row.begin(), row.end());
}

// BMP rows run bottom-up.
template <typename Value>
std::vector<std::uint8_t> PackBottomUp(const IndexedImage& img, int bitsPerPixel, Value value)
{
    std::vector<std::uint8_t> out;
    for (int y = img.height - 1; y >= 0; --y) {
        std::vector<unsigned> values;
        for (int x = 0; x < img.width; ++x) {
            values.push_back(value(static_cast<std::size_t>(y) * img.width + x));
        }
        PackRow(out, values, bitsPerPixel);
    }
    return out;
}

// ---------------------------------------------------------------------------
// ICO files

constexpr std::uint32_t kInfoHeaderSize = 40;

// One image of an icon file with what its directory entry says of it.
struct IconEntry {
    int size = 0;
    int bitsPerPixel = 0;
    std::vector<std::uint8_t> body;
};

// BITMAPINFOHEADER of an icon image: the height is doubled to cover the mask.
void PutIconInfoHeader(Bytes& b, int size, int bitsPerPixel, std::size_t bitmapBytes)
{
    b.U32(kInfoHeaderSize);
    b.U32(static_cast<std::uint32_t>(size));
    b.U32(static_cast<std::uint32_t>(size * 2));
    b.U16(1);  // planes
    b.U16(static_cast<unsigned>(bitsPerPixel));
    b.U32(0);  // BI_RGB
    b.U32(static_cast<std::uint32_t>(bitmapBytes));
    b.U32(0);  // horizontal resolution
    b.U32(0);  // vertical resolution
    b.U32(0);  // colours used: all 2^bpp, or none above 8 bits
    b.U32(0);  // colours important: all
}

// A palette image: the header, the full palette, the colour bitmap, then the
// AND mask where 1 means see-through.
IconEntry PaletteIcon(const IndexedImage& img)
{
    const auto xorBits =
        PackBottomUp(img, img.bitsPerPixel, [&](std::size_t i) { return img.index[i]; });
    const auto andBits =
        PackBottomUp(img, 1, [&](std::size_t i) { return img.transparent[i] ? 1u : 0u; });
    Bytes b;
    PutIconInfoHeader(b, img.width, img.bitsPerPixel, xorBits.size() + andBits.size());
    for (const Rgb8& c : img.palette) {
        b.U8(c.b);
        b.U8(c.g);
        b.U8(c.r);
        b.U8(0);
    }
    b.Append(xorBits);
    b.Append(andBits);
    return {img.width, img.bitsPerPixel, b.Data()};
}

// Top-down red, green, blue and alpha bytes; the colour is not premultiplied.
std::vector<std::uint8_t> RgbaBytes(const Canvas& canvas)
{
    std::vector<std::uint8_t> rgba;
    for (const Pixel& px : canvas.pixels) {
        const Rgb8 c = ToRgb8(px.colour);
        rgba.insert(rgba.end(), {c.r, c.g, c.b, Channel8(px.alpha)});
    }
    return rgba;
}

// A 32-bit image: blue, green, red and alpha bottom-up, then the AND mask,
// which readers without alpha use. It hides only what is wholly clear, so
// such readers show the soft edge opaque rather than XOR it onto the screen.
std::vector<std::uint8_t> TrueColourIconBody(int size, const std::vector<std::uint8_t>& rgba)
{
    std::vector<std::uint8_t> xorBits;
    std::vector<std::uint8_t> andBits;
    for (int y = size - 1; y >= 0; --y) {
        std::vector<unsigned> clear;
        for (int x = 0; x < size; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
            xorBits.insert(xorBits.end(), {p[2], p[1], p[0], p[3]});
            clear.push_back(p[3] == 0 ? 1u : 0u);
        }
        PackRow(andBits, clear, 1);
    }
    Bytes b;
    PutIconInfoHeader(b, size, 32, xorBits.size() + andBits.size());
    b.Append(xorBits);
    b.Append(andBits);
    return b.Data();
}

// The 256-pixel image is a PNG, as Windows expects at that size.
IconEntry TrueColourIcon(const Motif& motif, int size)
{
    const std::vector<std::uint8_t> rgba = RgbaBytes(DrawMotif(motif, size));
    if (size >= 256) return {size, 32, artgen::RgbaPng(size, size, rgba)};
    return {size, 32, TrueColourIconBody(size, rgba)};
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) std::cerr << "artgen: cannot write " << path.string() << "\n";
    return static_cast<bool>(out);
}

// ICONDIR, one ICONDIRENTRY per image, then the images in the same order.
bool WriteIco(const std::filesystem::path& path, const std::vector<IconEntry>& images)
{
    Bytes b;
    b.U16(0);  // reserved
    b.U16(1);  // type: icon
    b.U16(static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const IconEntry& img : images) {
        b.U8(img.size >= 256 ? 0u : static_cast<unsigned>(img.size));  // width
        b.U8(img.size >= 256 ? 0u : static_cast<unsigned>(img.size));  // height
        b.U8(img.bitsPerPixel >= 8 ? 0u : 1u << img.bitsPerPixel);  // colour count
        b.U8(0);  // reserved
        b.U16(1);  // planes
        b.U16(static_cast<unsigned>(img.bitsPerPixel));
        b.U32(static_cast<std::uint32_t>(img.body.size()));
        b.U32(offset);
        offset += static_cast<std::uint32_t>(img.body.size());
    }
    for (const IconEntry& img : images) b.Append(img.body);
    return WriteFile(path, b.Data());
}

IconEntry Icon(const Motif& motif, int size, int bitsPerPixel)
{
    const Palette palette = bitsPerPixel == 8 ? Palette256() : Palette16();
    return PaletteIcon(Quantise(DrawMotif(motif, size), palette, bitsPerPixel));
}

// Every size the shell asks for at the usual scales, so none is scaled from
// another and blurred.
const int kShellIconSizes[] = {16, 20, 24, 32, 40, 48, 64, 256};

bool WriteShellIcon(const std::filesystem::path& path)
{
    std::vector<IconEntry> images;
    for (int size : kShellIconSizes) images.push_back(TrueColourIcon(MotifForSize(size), size));
    return WriteIco(path, images);
}

bool WriteAll(const std::filesystem::path& dir)
{
    bool ok = WriteShellIcon(dir / "nightloom_shell.ico");
    ok = WriteIco(dir / "nightloom.ico", {Icon(MainMotif(), 32, 8)}) && ok;
    ok = WriteIco(dir / "nightloom_small.ico", {Icon(SimpleMotif(), 32, 8)}) && ok;
    ok = WriteIco(dir / "nightloom_16.ico",
                  {Icon(MainMotif(), 32, 4), Icon(TinyMotif(), 16, 4)}) && ok;
    return artgen::WriteScenePictures(dir) && ok;
}

int WriteResources(const std::filesystem::path& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::cerr << "artgen: cannot create " << dir.string() << ": " << error.message() << "\n";
        return 1;
    }
    return WriteAll(dir) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool desktop = argc == 3 && std::string(argv[1]) == "--desktop";
    if (argc != 2 && !desktop) {
        std::cerr << "usage: artgen OUTDIR | artgen --desktop FILE.bmp\n";
        return 2;
    }
    try {
        if (desktop) return artgen::WriteDesktopPicture(argv[2]) ? 0 : 1;
        return WriteResources(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "artgen: " << e.what() << "\n";
        return 1;
    }
}
