// Reads back the scene pictures artgen draws, the way the resource compiler,
// LoadImageW and the picture decoder will, and checks what the scenes rely on:
// sizes and depths, the butterfly mask, the flare's black border, the fog's
// seamless tiling. Also checks that the committed files are artgen's output.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "artgen_run.h"

#ifndef NIGHTLOOM_RESOURCE_DIR
#error "NIGHTLOOM_RESOURCE_DIR must name the folder of the committed resources"
#endif

namespace {

namespace fs = std::filesystem;
using artgen_run::Bytes;
using artgen_run::ReadFile;

unsigned U16(const Bytes& b, std::size_t at)
{
    return b.at(at) | (b.at(at + 1) << 8u);
}
std::uint32_t U32(const Bytes& b, std::size_t at)
{
    return U16(b, at) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    int Luma() const { return (299 * r + 587 * g + 114 * b) / 1000; }
    bool Black() const { return r == 0 && g == 0 && b == 0; }
};

// A BMP file decoded into top-down pixels.
struct Picture {
    unsigned width = 0;
    unsigned height = 0;
    unsigned bitsPerPixel = 0;
    std::vector<Rgb> palette;
    std::vector<Rgb> pixels;
    const Rgb& At(unsigned x, unsigned y) const { return pixels.at(static_cast<std::size_t>(y) * width + x); }
};

// Checks the headers the way the loaders read them and fails the test (not
// the process) on anything short or inconsistent.
Picture DecodeBmp(const fs::path& path)
{
    Picture p;
    const Bytes file = ReadFile(path);
    if (file.size() < 54) {
        ADD_FAILURE() << path << " is too short for a BMP";
        return p;
    }
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(file, 2), file.size()) << "file size field";
    EXPECT_EQ(U32(file, 14), 40u) << "BITMAPINFOHEADER";
    p.width = U32(file, 18);
    p.height = U32(file, 22);
    EXPECT_LT(p.height, 0x80000000u) << "rows must run bottom-up";
    EXPECT_EQ(U16(file, 26), 1u) << "planes";
    p.bitsPerPixel = U16(file, 28);
    EXPECT_EQ(U32(file, 30), 0u) << "BI_RGB";
    const std::uint32_t used = U32(file, 46);
    const std::size_t entries = p.bitsPerPixel <= 8 ? (used ? used : 1u << p.bitsPerPixel) : 0;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t at = 54 + 4 * i;
        p.palette.push_back({file.at(at + 2), file.at(at + 1), file.at(at)});
    }
    const std::uint32_t offset = U32(file, 10);
    EXPECT_EQ(offset, 54 + 4 * entries) << "pixels follow the palette";
    const std::size_t stride = (p.width * p.bitsPerPixel + 31) / 32 * 4;
    if (p.bitsPerPixel != 8 && p.bitsPerPixel != 24) {
        ADD_FAILURE() << "unexpected depth " << p.bitsPerPixel;
        return p;
    }
    if (offset + stride * p.height != file.size()) {
        ADD_FAILURE() << path << ": pixel rows do not fill the file exactly";
        return p;
    }
    for (unsigned y = 0; y < p.height; ++y) {
        const std::size_t row = offset + stride * (p.height - 1 - y);
        for (unsigned x = 0; x < p.width; ++x) {
            if (p.bitsPerPixel == 8) {
                p.pixels.push_back(p.palette.at(file[row + x]));
            } else {
                const std::size_t at = row + 3 * x;
                p.pixels.push_back({file[at + 2], file[at + 1], file[at]});
            }
        }
    }
    return p;
}

const char* const kAllFiles[] = {
    "nightloom_shell.ico", "nightloom.ico",      "nightloom_small.ico", "nightloom_16.ico",
    "cube_face.bmp",       "butterfly_blue.bmp", "butterfly_red.bmp",   "butterfly_green.bmp",
    "butterfly_mask.bmp",  "star_flare.bmp",     "banner.bmp",          "fog.bmp"};

class ArtgenPictures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new fs::path(artgen_run::UniqueTempDir());
        status_ = artgen_run::RunArtgenInto(*dir_);
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(*dir_, ignored);
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(status_, 0) << "artgen failed"; }

    static Picture Load(const char* name) { return DecodeBmp(*dir_ / name); }
    static fs::path Generated(const char* name) { return *dir_ / name; }

private:
    static fs::path* dir_;
    static int status_;
};

fs::path* ArtgenPictures::dir_ = nullptr;
int ArtgenPictures::status_ = -1;

TEST_F(ArtgenPictures, CommittedFilesAreWhatArtgenDraws)
{
    for (const char* name : kAllFiles) {
        const Bytes drawn = ReadFile(Generated(name));
        EXPECT_FALSE(drawn.empty()) << name;
        EXPECT_TRUE(drawn == ReadFile(fs::path(NIGHTLOOM_RESOURCE_DIR) / name))
            << name << " differs from artgen's output: run `build/artgen resources` and commit";
    }
}

TEST_F(ArtgenPictures, SizesAndDepthsAreThoseTheScenesLoad)
{
    const struct {
        const char* name;
        unsigned width, height, bits;
    } expected[] = {
        {"cube_face.bmp", 256, 256, 24},      {"butterfly_blue.bmp", 128, 128, 24},
        {"butterfly_red.bmp", 128, 128, 24},  {"butterfly_green.bmp", 128, 128, 24},
        {"butterfly_mask.bmp", 128, 128, 24}, {"star_flare.bmp", 128, 128, 24},
        {"banner.bmp", 256, 128, 8},          {"fog.bmp", 256, 256, 8},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        const Picture p = Load(e.name);
        EXPECT_EQ(p.width, e.width);
        EXPECT_EQ(p.height, e.height);
        EXPECT_EQ(p.bitsPerPixel, e.bits);
        EXPECT_EQ(p.palette.size(), e.bits == 8 ? 256u : 0u);
        for (const Rgb& c : p.palette) EXPECT_TRUE(c.r == c.g && c.g == c.b) << "the fog's pictures are grey";
    }
}

// The mask pass multiplies the desktop by the mask, the colour pass adds the
// picture: a covered pixel left white in the mask would show the desktop
// through the wing, a black one outside would punch a hole.
TEST_F(ArtgenPictures, MaskIsBlackExactlyWhereAButterflyShows)
{
    const Picture mask = Load("butterfly_mask.bmp");
    const std::vector<Picture> colours = {Load("butterfly_blue.bmp"), Load("butterfly_red.bmp"),
                                          Load("butterfly_green.bmp")};
    ASSERT_EQ(mask.pixels.size(), 128u * 128u);
    std::size_t covered = 0;
    for (std::size_t i = 0; i < mask.pixels.size(); ++i) {
        const Rgb& m = mask.pixels[i];
        ASSERT_TRUE(m.Black() || m == (Rgb{255, 255, 255})) << "mask pixel " << i << " is neither black nor white";
        bool shows = false;
        for (const Picture& c : colours) shows = shows || !c.pixels.at(i).Black();
        ASSERT_EQ(m.Black(), shows) << "pixel " << i % 128 << "," << i / 128;
        covered += m.Black() ? 1 : 0;
    }
    EXPECT_GT(covered * 4, mask.pixels.size()) << "butterfly too small";
    EXPECT_LT(covered * 3, mask.pixels.size() * 2) << "butterfly fills the square";
    // Each colour variant wears the whole silhouette, not just part of it.
    for (const Picture& c : colours) {
        std::size_t shown = 0;
        for (const Rgb& px : c.pixels) shown += px.Black() ? 0 : 1;
        EXPECT_GT(shown * 100, covered * 97);
    }
}

// The scene folds the picture along the diagonal from texture corner (0, 0)
// to (1, 1): the body must lie on it, one pair of wings on each side.
TEST_F(ArtgenPictures, ButterflyLiesAlongTheFoldDiagonal)
{
    const Picture mask = Load("butterfly_mask.bmp");
    ASSERT_EQ(mask.pixels.size(), 128u * 128u);
    std::size_t mirroredAcrossFold = 0;
    std::size_t mirroredAcrossOther = 0;
    std::size_t covered = 0;
    for (unsigned y = 0; y < 128; ++y) {
        for (unsigned x = 0; x < 128; ++x) {
            if (!mask.At(x, y).Black()) continue;
            ++covered;
            mirroredAcrossFold += mask.At(y, x).Black() ? 1 : 0;
            mirroredAcrossOther += mask.At(127 - y, 127 - x).Black() ? 1 : 0;
        }
    }
    EXPECT_EQ(mirroredAcrossFold, covered) << "wings are not mirror images across the fold";
    EXPECT_LT(mirroredAcrossOther * 10, covered * 9) << "butterfly lies along the other diagonal";
    for (unsigned i = 40; i < 88; ++i) EXPECT_TRUE(mask.At(i, i).Black()) << "body missing on the fold at " << i;
    EXPECT_FALSE(mask.At(0, 0).Black());
    EXPECT_FALSE(mask.At(127, 127).Black());
}

TEST_F(ArtgenPictures, StarFlareFadesToBlackBeforeItsBorder)
{
    const Picture star = Load("star_flare.bmp");
    ASSERT_EQ(star.pixels.size(), 128u * 128u);
    for (unsigned i = 0; i < 128; ++i) {
        for (unsigned edge : {0u, 1u, 126u, 127u}) {
            EXPECT_TRUE(star.At(i, edge).Black()) << i << "," << edge;
            EXPECT_TRUE(star.At(edge, i).Black()) << edge << "," << i;
        }
    }
    EXPECT_GE(star.At(64, 64).Luma(), 250) << "the core is white";
    EXPECT_TRUE(star.At(64, 64).r == star.At(64, 64).b) << "white, so the star's own colour decides";
    // A ray runs along the axis: brighter there than between the rays.
    EXPECT_GT(star.At(64 + 36, 64).Luma(), 2 * star.At(64 + 33, 64 + 14).Luma() + 4);
    // Soft: towards the border no step between neighbours stands out.
    for (unsigned y = 1; y < 128; ++y) {
        for (unsigned x = 1; x < 128; ++x) {
            const int dx = x - 64, dy = y - 64;
            if (dx * dx + dy * dy < 44 * 44) continue;
            EXPECT_LE(std::abs(star.At(x, y).Luma() - star.At(x - 1, y).Luma()), 8) << x << "," << y;
            EXPECT_LE(std::abs(star.At(x, y).Luma() - star.At(x, y - 1).Luma()), 8) << x << "," << y;
        }
    }
}

// The fog scrolls its texture with wrap-around: the step from the last
// column (row) to the first must look like any step between neighbours.
TEST_F(ArtgenPictures, FogTilesWithoutASeam)
{
    const Picture fog = Load("fog.bmp");
    ASSERT_EQ(fog.pixels.size(), 256u * 256u);
    double inside = 0.0, acrossSeamX = 0.0, acrossSeamY = 0.0;
    int darkest = 255, brightest = 0;
    for (unsigned a = 0; a < 256; ++a) {
        for (unsigned b = 0; b + 1 < 256; ++b) {
            inside += std::abs(fog.At(b, a).Luma() - fog.At(b + 1, a).Luma());
            inside += std::abs(fog.At(a, b).Luma() - fog.At(a, b + 1).Luma());
            darkest = std::min(darkest, fog.At(a, b).Luma());
            brightest = std::max(brightest, fog.At(a, b).Luma());
        }
        acrossSeamX += std::abs(fog.At(255, a).Luma() - fog.At(0, a).Luma());
        acrossSeamY += std::abs(fog.At(a, 255).Luma() - fog.At(a, 0).Luma());
    }
    const double meanInside = inside / (2.0 * 256 * 255);
    EXPECT_LT(acrossSeamX / 256, 1.5 * meanInside + 0.5);
    EXPECT_LT(acrossSeamY / 256, 1.5 * meanInside + 0.5);
    EXPECT_LT(meanInside, 4.0) << "fog is not soft";
    EXPECT_GT(brightest - darkest, 120) << "fog is nearly flat";
}

struct RowMean {
    double sum = 0.0;
    std::size_t count = 0;
    void Add(unsigned row)
    {
        sum += row;
        ++count;
    }
    double Mean() const { return count ? sum / count : 0.0; }
};

// Upright pictures: a file written top-down would put the clouds on top.
TEST_F(ArtgenPictures, LetteringSitsAboveTheClouds)
{
    const Picture face = Load("cube_face.bmp");
    ASSERT_EQ(face.pixels.size(), 256u * 256u);
    RowMean letters, clouds;
    for (unsigned y = 8; y < 248; ++y) {
        for (unsigned x = 8; x < 248; ++x) {
            const Rgb& c = face.At(x, y);
            if (c.Luma() < 90) letters.Add(y);
            if (c.Luma() > 140 && c.Luma() < 230 && c.b > c.r + 20) clouds.Add(y);
        }
    }
    EXPECT_GT(letters.count, 1500u);
    EXPECT_GT(clouds.count, 4000u);
    EXPECT_LT(letters.Mean() + 40, clouds.Mean()) << "cube face";
    for (unsigned i = 0; i < 256; ++i) {
        for (const Rgb& c : {face.At(i, 0), face.At(i, 255), face.At(0, i), face.At(255, i)})
            EXPECT_TRUE(c.b > 150 && c.r < 100) << "border is blue at " << i;
    }
    EXPECT_EQ(face.At(128, 12), (Rgb{255, 255, 255})) << "white ground";

    const Picture banner = Load("banner.bmp");
    ASSERT_EQ(banner.pixels.size(), 256u * 128u);
    RowMean bright, grey;
    for (unsigned y = 0; y < 128; ++y) {
        for (unsigned x = 0; x < 256; ++x) {
            const int l = banner.At(x, y).Luma();
            if (l > 230) bright.Add(y);
            if (l > 40 && l < 200) grey.Add(y);
        }
    }
    EXPECT_GT(bright.count, 600u);
    EXPECT_GT(grey.count, 2000u);
    EXPECT_LT(bright.Mean() + 20, grey.Mean()) << "banner";
    EXPECT_TRUE(banner.At(0, 0).Black() && banner.At(255, 0).Black()) << "black ground";
}

}  // namespace
