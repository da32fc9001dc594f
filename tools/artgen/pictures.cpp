#include "pictures.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "art_basics.h"
#include "bmp_file.h"
#include "lettering.h"
#include "noise.h"

namespace artgen {

namespace {

// Averages samples x samples points inside each pixel; `shade` gets the point
// in unit coordinates (y downwards) and the pixel's width in picture widths.
template <typename Shade>
RgbImage Render(int width, int height, int samples, Shade shade)
{
    RgbImage image(width, height);
    const double pixel = 1.0 / width;
    const double weight = 1.0 / (samples * samples);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb sum;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const Point p{(x + (sx + 0.5) / samples) / width, (y + (sy + 0.5) / samples) / height};
                    const Rgb c = shade(p, pixel);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            image.At(x, y) = Scale(sum, weight);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------
// Clouds

// A horizontal band of clouds. Their density swells towards the band's
// middle line so the clouds bunch there and thin out softly above and below.
struct CloudBand {
    double middle;
    double halfHeight;
    double aspect;  // picture height divided by its width
    std::uint32_t seed;

    double Density(Point p) const
    {
        const double across = (p.y - middle) / halfHeight;
        const double envelope = 1.0 - across * across;
        if (envelope <= 0.0) return 0.0;
        const double n = PeriodicFractal(p.x, p.y * aspect, 4, 4, seed);
        return SmoothStep(0.28, 0.68, envelope * 0.7 + n * 1.2);
    }

    // 0..1: lit where the cloud's top edge faces the sky, shaded along its
    // underside, with some inner texture so a thick cloud is not flat.
    double Light(Point p) const
    {
        const double step = 0.08 / aspect;
        const double here = Density(p);
        const double above = Density({p.x, p.y - step});
        const double below = Density({p.x, p.y + step});
        const double texture = PeriodicFractal(p.x, p.y * aspect, 8, 2, seed + 7u);
        return Clamp01(0.5 + 0.7 * (here - above) - 0.5 * (here - below) + 0.35 * texture);
    }
};

// ---------------------------------------------------------------------------
// 180: the cube's face

namespace face {
const Rgb kGround = Hex(0xFFFFFF);
const Rgb kBorder = Hex(0x2A56C6);
const Rgb kLetters = Hex(0x1E3484);
const Rgb kCloudLit = Hex(0xEEF3FC);
const Rgb kCloudShade = Hex(0x8197C4);
constexpr double kBorderWidth = 4.0 / 256.0;
}  // namespace face

Rgb CubeFaceAt(Point p, double pixel)
{
    if (p.x < face::kBorderWidth || p.y < face::kBorderWidth || p.x > 1.0 - face::kBorderWidth ||
        p.y > 1.0 - face::kBorderWidth) {
        return face::kBorder;
    }
    Rgb c = face::kGround;
    const CloudBand clouds{0.71, 0.2, 1.0, 180u};
    const double cloud = clouds.Density(p);
    if (cloud > 0.0) c = Mix(c, Mix(face::kCloudShade, face::kCloudLit, clouds.Light(p)), cloud);
    const TextPlacement name{0.5, 0.41, 0.075, 1.0};
    return Mix(c, face::kLetters, NameCoverage(name, p, pixel));
}

// ---------------------------------------------------------------------------
// 460 and 461: the fog's banner and cloud noise

Rgb BannerAt(Point p, double pixel)
{
    const double aspect = 0.5;
    const CloudBand clouds{0.8, 0.22, aspect, 460u};
    // The band thins out before the left and right edges: the banner is a
    // small quad over the fog, and a cloud cut off by its edge shows a seam.
    const double sides = SmoothStep(0.0, 0.15, p.x) * SmoothStep(0.0, 0.15, 1.0 - p.x);
    const double cloud = clouds.Density(p) * sides;
    const double cloudGrey = cloud > 0.0 ? cloud * (0.25 + 0.55 * clouds.Light(p)) : 0.0;
    const TextPlacement name{0.5, 0.5, 0.07, aspect};
    const double grey = std::max(cloudGrey, NameCoverage(name, p, pixel));
    return {grey, grey, grey};
}

Rgb FogAt(Point p, double)
{
    const double n = PeriodicFractal(p.x, p.y, 3, 4, 461u);
    const double grey = 0.08 + 0.75 * SmoothStep(-0.3, 0.45, n);
    return {grey, grey, grey};
}

// ---------------------------------------------------------------------------
// 470: the star flare

// Brightest along its axis, thinning and fading towards its far end.
double Ray(double along, double across, double length, double width)
{
    if (along >= length) return 0.0;
    const double fade = 1.0 - along / length;
    const double spread = width * (0.35 + 0.65 * fade);
    const double t = across / spread;
    return fade * fade / (1.0 + t * t);
}

Rgb StarFlareAt(Point p, double)
{
    const double dx = p.x - 0.5;
    const double dy = p.y - 0.5;
    const double r = std::sqrt(dx * dx + dy * dy);
    // Everything fades out inside the picture's inscribed circle, so edges
    // and corners stay exactly black and no square shows around the star.
    const double reach = 0.48;
    if (r >= reach) return {};
    const double edge = 1.0 - (r / reach) * (r / reach);
    const double window = edge * edge;
    const double core = 1.0 / (1.0 + (r / 0.035) * (r / 0.035));
    const double halo = 0.45 / (1.0 + (r / 0.11) * (r / 0.11));
    const double ax = std::abs(dx);
    const double ay = std::abs(dy);
    const double d1 = std::abs(dx + dy) * std::sqrt(0.5);
    const double d2 = std::abs(dx - dy) * std::sqrt(0.5);
    const double rays = Ray(ax, ay, 0.48, 0.012) + Ray(ay, ax, 0.48, 0.012) +
                        0.55 * (Ray(d1, d2, 0.36, 0.008) + Ray(d2, d1, 0.36, 0.008));
    const double light = (1.6 * core + halo) * window + 1.1 * rays * edge;
    const double v = light / (1.0 + 0.15 * light);
    return {v, v, v};
}

// ---------------------------------------------------------------------------
// 450 to 453: the butterfly

// The body runs along the picture's diagonal from the top-left corner (the
// head) to the bottom-right one (the tail): the two triangles the scene folds
// meet along that diagonal, with one pair of wings on each. `along` grows
// towards the tail, `side` is the distance from the body line.
struct BodyFrame {
    double along;
    double side;
};

BodyFrame ToBodyFrame(Point p)
{
    const double dx = p.x - 0.5;
    const double dy = p.y - 0.5;
    const double k = std::sqrt(0.5);
    return {(dx + dy) * k, std::abs(dx - dy) * k};
}

struct Lobe {
    double dirAlong;
    double dirSide;
    double length;
    int sharpness;
};

// A wing is a union of teardrop lobes from its root: in each direction it
// reaches length * cos^sharpness of the angle to the lobe's axis.
double WingReach(const std::vector<Lobe>& lobes, double unitAlong, double unitSide)
{
    double reach = 0.0;  // sum of fourth powers
    for (const Lobe& l : lobes) {
        const double n = std::sqrt(l.dirAlong * l.dirAlong + l.dirSide * l.dirSide);
        double c = (unitAlong * l.dirAlong + unitSide * l.dirSide) / n;
        if (c <= 0.0) continue;
        double shape = 1.0;
        for (int i = 0; i < l.sharpness; ++i) shape *= c;
        const double r = l.length * shape;
        reach += r * r * r * r;
    }
    // A soft union: where two lobes meet, the outline curves over from one
    // to the other instead of dipping between them.
    return std::sqrt(std::sqrt(reach));
}

struct Wing {
    BodyFrame root;
    std::vector<Lobe> lobes;
    std::vector<Lobe> veins;  // directions only
};

const Wing& Forewing()
{
    static const Wing w{{-0.1, 0.0},
                        {{-0.28, 1.0, 0.43, 3}, {0.3, 1.0, 0.34, 2}},
                        {{-0.3, 1.0, 0, 0}, {0.0, 1.0, 0, 0}, {0.35, 1.0, 0, 0}}};
    return w;
}

const Wing& Hindwing()
{
    static const Wing w{{-0.05, 0.0},
                        {{0.85, 1.0, 0.41, 2}, {1.0, 0.4, 0.35, 4}},
                        {{0.55, 1.0, 0, 0}, {1.0, 0.55, 0, 0}}};
    return w;
}

struct WingHit {
    bool inside = false;
    double depth = 0.0;  // 0 at the root, 1 at the wing's edge
    double veinDistance = 1.0;
};

WingHit HitWing(const Wing& w, BodyFrame b)
{
    WingHit hit;
    const double da = b.along - w.root.along;
    const double ds = b.side - w.root.side;
    const double r = std::sqrt(da * da + ds * ds);
    if (r <= 0.0) return hit;
    const double reach = WingReach(w.lobes, da / r, ds / r);
    if (r > reach) return hit;
    hit.inside = true;
    hit.depth = r / reach;
    for (const Lobe& v : w.veins) {
        const double n = std::sqrt(v.dirAlong * v.dirAlong + v.dirSide * v.dirSide);
        if (da * v.dirAlong + ds * v.dirSide <= 0.0) continue;
        hit.veinDistance = std::min(hit.veinDistance, std::abs(da * v.dirSide - ds * v.dirAlong) / n);
    }
    return hit;
}

struct Colouring {
    Rgb fore;
    Rgb hind;
};

const Rgb kBody = Hex(0x4A423C);
const Rgb kBodyLight = Hex(0x8A7E70);
const Rgb kSpot = Hex(0xF4F1E6);

// Deep colour at the root, full colour across the wing, a dark margin at the
// edge, and fine dark veins.
Rgb WingColour(Rgb colour, const WingHit& hit, BodyFrame b, bool fore)
{
    Rgb c = Mix(Scale(colour, 0.5), Mix(colour, kSpot, 0.08), SmoothStep(0.0, 0.55, hit.depth));
    c = Mix(c, Scale(colour, 0.2), SmoothStep(0.86, 0.92, hit.depth));
    const double vein = 1.0 - SmoothStep(0.002, 0.005, hit.veinDistance);
    c = Scale(c, 1.0 - 0.45 * vein * SmoothStep(0.1, 0.3, hit.depth) * (1.0 - SmoothStep(0.8, 0.88, hit.depth)));
    if (fore) {
        // A pale patch near the apex, as on many real wings.
        const double toApex = Distance({b.along, b.side}, {-0.205, 0.33});
        c = Mix(c, kSpot, 0.85 * (1.0 - SmoothStep(0.03, 0.045, toApex)));
    } else {
        // An eyespot on the hindwing: a pale ring around a dark pupil.
        const double toEye = Distance({b.along, b.side}, {0.14, 0.25});
        if (toEye < 0.05) {
            c = toEye < 0.024 ? Scale(colour, 0.12) : (toEye < 0.035 ? kSpot : Mix(c, kSpot, 0.3));
        }
    }
    return c;
}

bool InEllipse(BodyFrame b, double centreAlong, double halfLength, double halfWidth)
{
    const double u = (b.along - centreAlong) / halfLength;
    const double v = b.side / halfWidth;
    return u * u + v * v <= 1.0;
}

// Head, thorax and a tapering abdomen, lit along the top.
bool BodyColour(BodyFrame b, Rgb& out)
{
    const bool head = Distance({b.along, b.side}, {-0.225, 0.0}) < 0.032;
    const bool thorax = InEllipse(b, -0.125, 0.085, 0.042);
    const double abdomenWidth = 0.032 * (1.0 - 0.55 * SmoothStep(-0.05, 0.3, b.along));
    const bool abdomen = InEllipse(b, 0.1, 0.2, abdomenWidth);
    if (!head && !thorax && !abdomen) return false;
    out = Mix(kBodyLight, kBody, SmoothStep(0.0, 0.03, b.side));
    // Rings on the abdomen.
    if (abdomen && !thorax && b.along > 0.0) {
        const double ring = b.along / 0.04 - std::floor(b.along / 0.04);
        if (ring < 0.18) out = Scale(out, 0.6);
    }
    return true;
}

bool AntennaColour(BodyFrame b, Rgb& out)
{
    const Point tip{-0.43, 0.15};
    const double stalk = [&] {
        const Point a{-0.24, 0.012};
        const double dx = tip.x - a.x;
        const double dy = tip.y - a.y;
        double t = ((b.along - a.x) * dx + (b.side - a.y) * dy) / (dx * dx + dy * dy);
        t = std::min(1.0, std::max(0.0, t));
        return Distance({b.along, b.side}, {a.x + dx * t, a.y + dy * t});
    }();
    if (stalk > 0.006 && Distance({b.along, b.side}, tip) > 0.016) return false;
    out = kBodyLight;
    return true;
}

struct ButterflySample {
    bool inside = false;
    Rgb colour;
};

ButterflySample ButterflyAt(const Colouring& colours, Point p)
{
    const BodyFrame b = ToBodyFrame(p);
    ButterflySample s;
    if (BodyColour(b, s.colour) || AntennaColour(b, s.colour)) {
        s.inside = true;
        return s;
    }
    const WingHit fore = HitWing(Forewing(), b);
    if (fore.inside) return {true, WingColour(colours.fore, fore, b, true)};
    const WingHit hind = HitWing(Hindwing(), b);
    if (hind.inside) return {true, WingColour(colours.hind, hind, b, false)};
    return s;
}

RgbImage ButterflyPicture(const Colouring& colours)
{
    return Render(128, 128, 6, [&](Point p, double) {
        const ButterflySample s = ButterflyAt(colours, p);
        return s.inside ? s.colour : Rgb{};
    });
}

// Black wherever any colour picture shows something, white elsewhere: derived
// from the finished pixels, so the mask and the pictures cannot drift apart.
RgbImage ButterflyMask(const std::vector<RgbImage>& pictures)
{
    RgbImage mask(128, 128);
    for (std::size_t i = 0; i < mask.pixels.size(); ++i) {
        bool covered = false;
        for (const RgbImage& picture : pictures) {
            const Rgb& c = picture.pixels[i];
            covered = covered || ToByte(c.r) != 0 || ToByte(c.g) != 0 || ToByte(c.b) != 0;
        }
        mask.pixels[i] = covered ? Rgb{} : Rgb{1.0, 1.0, 1.0};
    }
    return mask;
}

// ---------------------------------------------------------------------------
// A desktop for the screenshots: hills at dusk under a sky that darkens
// upwards. The program does not contain it.

namespace dusk {
const Rgb kZenith = Hex(0x141A42);
const Rgb kSkyMiddle = Hex(0x4A3E7A);
const Rgb kHorizon = Hex(0xE0955A);
const Rgb kSun = Hex(0xFFE6B0);
const Rgb kCloudLit = Hex(0xF0B088);
const Rgb kCloudShade = Hex(0x574372);
// Far to near: the farther a ridge, the more of the sky's haze it takes.
const Rgb kRidges[] = {Hex(0x8A6488), Hex(0x573F6E), Hex(0x2E2249), Hex(0x140F28)};
constexpr double kHorizonLine = 0.66;
constexpr double kAspect = 720.0 / 1280.0;
const Point kSunCentre{0.68, 0.6};
}  // namespace dusk

Rgb DuskSky(Point p)
{
    const double t = Clamp01(p.y / dusk::kHorizonLine);
    Rgb c = t < 0.55 ? Mix(dusk::kZenith, dusk::kSkyMiddle, t / 0.55)
                     : Mix(dusk::kSkyMiddle, dusk::kHorizon, (t - 0.55) / 0.45);
    const double dx = p.x - dusk::kSunCentre.x;
    const double dy = (p.y - dusk::kSunCentre.y) * dusk::kAspect;
    const double d = std::sqrt(dx * dx + dy * dy) / 0.06;
    c = Mix(c, dusk::kSun, std::min(1.0, 0.95 / (1.0 + d * d)));
    const CloudBand clouds{0.3, 0.2, dusk::kAspect, 901u};
    const double cloud = clouds.Density(p);
    if (cloud > 0.0) c = Mix(c, Mix(dusk::kCloudShade, dusk::kCloudLit, clouds.Light(p)), 0.8 * cloud);
    return c;
}

// Where ridge `layer` (0 the farthest) meets the sky at x; nearer ridges sit
// lower on the picture and rise higher.
double RidgeTop(double x, int layer)
{
    const double base[] = {0.62, 0.68, 0.76, 0.86};
    const double rise[] = {0.08, 0.10, 0.12, 0.12};
    const double shape = PeriodicFractal(x, 0.5 + 0.1 * layer, 2 + layer, 4, 700u + static_cast<std::uint32_t>(layer));
    return base[layer] - rise[layer] * (0.5 + shape);
}

Rgb DesktopAt(Point p, double)
{
    Rgb c = DuskSky(p);
    for (int layer = 0; layer < 4; ++layer) {
        const double top = RidgeTop(p.x, layer);
        if (p.y < top) continue;
        // Each ridge darkens away from its lit crest.
        c = Scale(dusk::kRidges[layer], 1.0 - 0.35 * Clamp01((p.y - top) / 0.25));
    }
    return c;
}

}  // namespace

bool WriteScenePictures(const std::filesystem::path& dir)
{
    bool ok = WriteBytes(dir / "cube_face.bmp", TrueColourBmp(Render(256, 256, 3, CubeFaceAt)));
    const std::vector<RgbImage> butterflies = {
        ButterflyPicture({Hex(0x2F6FEA), Hex(0x1D6B3C)}),
        ButterflyPicture({Hex(0xD8362B), Hex(0x6D86AA)}),
        ButterflyPicture({Hex(0x3CC04A), Hex(0x8B40C4)}),
    };
    ok = WriteBytes(dir / "butterfly_blue.bmp", TrueColourBmp(butterflies[0])) && ok;
    ok = WriteBytes(dir / "butterfly_red.bmp", TrueColourBmp(butterflies[1])) && ok;
    ok = WriteBytes(dir / "butterfly_green.bmp", TrueColourBmp(butterflies[2])) && ok;
    ok = WriteBytes(dir / "butterfly_mask.bmp", TrueColourBmp(ButterflyMask(butterflies))) && ok;
    ok = WriteBytes(dir / "star_flare.bmp", TrueColourBmp(Render(128, 128, 4, StarFlareAt))) && ok;
    ok = WriteBytes(dir / "banner.bmp", GreyPaletteBmp(Render(256, 128, 3, BannerAt))) && ok;
    ok = WriteBytes(dir / "fog.bmp", GreyPaletteBmp(Render(256, 256, 2, FogAt))) && ok;
    return ok;
}

bool WriteDesktopPicture(const std::filesystem::path& file)
{
    return WriteBytes(file, TrueColourBmp(Render(1280, 720, 2, DesktopAt)));
}

}  // namespace artgen
