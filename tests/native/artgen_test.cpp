// Runs the artgen tool and reads back the icon files it writes, field by field,
// the way the resource compiler and the shell will read them.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "artgen_run.h"

namespace {

namespace fs = std::filesystem;
using artgen_run::Bytes;

constexpr std::size_t kDirSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;

using artgen_run::ReadFile;
using artgen_run::RunArtgen;
using artgen_run::RunArtgenInto;
using artgen_run::UniqueTempDir;

// at() rather than [] so a truncated file fails the test instead of reading
// past the buffer.
unsigned U8(const Bytes& b, std::size_t at)
{
    return b.at(at);
}
unsigned U16(const Bytes& b, std::size_t at)
{
    return U8(b, at) | (U8(b, at + 1) << 8);
}
std::uint32_t U32(const Bytes& b, std::size_t at)
{
    return U16(b, at) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

std::size_t RowBytes(unsigned width, unsigned bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

struct Expected {
    unsigned size;
    unsigned bitsPerPixel;
};

struct Entry {
    unsigned width, height, colourCount, reserved, planes, bitCount;
    std::uint32_t bytes, offset;
};

Entry ReadEntry(const Bytes& file, std::size_t i)
{
    const std::size_t at = kDirSize + i * kEntrySize;
    return {U8(file, at),      U8(file, at + 1),  U8(file, at + 2),  U8(file, at + 3),
            U16(file, at + 4), U16(file, at + 6), U32(file, at + 8), U32(file, at + 12)};
}

// One decoded icon image: palette, colour indices and mask, top-down.
struct Image {
    unsigned size = 0;
    std::vector<std::uint32_t> palette;  // 0xRRGGBB
    std::vector<unsigned> index;
    std::vector<bool> transparent;
};

unsigned PackedValue(const Bytes& file, std::size_t rowStart, unsigned x, unsigned bitsPerPixel)
{
    const std::size_t bit = static_cast<std::size_t>(x) * bitsPerPixel;
    const unsigned shift = 8 - bitsPerPixel - static_cast<unsigned>(bit % 8);
    return (U8(file, rowStart + bit / 8) >> shift) & ((1u << bitsPerPixel) - 1);
}

Image DecodeImage(const Bytes& file, std::size_t at, const Expected& e)
{
    Image img;
    img.size = e.size;
    const std::size_t colours = std::size_t{1} << e.bitsPerPixel;
    for (std::size_t i = 0; i < colours; ++i) {
        const std::size_t p = at + kInfoHeaderSize + 4 * i;
        img.palette.push_back((U8(file, p + 2) << 16) | (U8(file, p + 1) << 8) | U8(file, p));
    }
    const std::size_t xorStart = at + kInfoHeaderSize + 4 * colours;
    const std::size_t xorRow = RowBytes(e.size, e.bitsPerPixel);
    const std::size_t andStart = xorStart + xorRow * e.size;
    const std::size_t andRow = RowBytes(e.size, 1);
    for (unsigned y = 0; y < e.size; ++y) {
        const unsigned fileRow = e.size - 1 - y;  // rows are stored bottom-up
        for (unsigned x = 0; x < e.size; ++x) {
            img.index.push_back(PackedValue(file, xorStart + fileRow * xorRow, x, e.bitsPerPixel));
            img.transparent.push_back(PackedValue(file, andStart + fileRow * andRow, x, 1) != 0);
        }
    }
    return img;
}

void CheckEntry(const Entry& entry, const Expected& e)
{
    EXPECT_EQ(entry.width, e.size);
    EXPECT_EQ(entry.height, e.size);
    EXPECT_EQ(entry.colourCount, e.bitsPerPixel == 8 ? 0u : 1u << e.bitsPerPixel);
    EXPECT_EQ(entry.reserved, 0u);
    EXPECT_EQ(entry.planes, 1u);
    EXPECT_EQ(entry.bitCount, e.bitsPerPixel);
    const std::size_t expectedBytes = kInfoHeaderSize + 4 * (std::size_t{1} << e.bitsPerPixel) +
                                      RowBytes(e.size, e.bitsPerPixel) * e.size +
                                      RowBytes(e.size, 1) * e.size;
    EXPECT_EQ(entry.bytes, expectedBytes);
}

void CheckInfoHeader(const Bytes& file, std::size_t at, const Expected& e)
{
    EXPECT_EQ(U32(file, at), kInfoHeaderSize);
    EXPECT_EQ(U32(file, at + 4), e.size);
    EXPECT_EQ(U32(file, at + 8), 2 * e.size) << "height must cover colour bitmap and mask";
    EXPECT_EQ(U16(file, at + 12), 1u);
    EXPECT_EQ(U16(file, at + 14), e.bitsPerPixel);
    EXPECT_EQ(U32(file, at + 16), 0u) << "must be uncompressed";
    const std::uint32_t imageBytes = U32(file, at + 20);
    const std::size_t bitmaps = (RowBytes(e.size, e.bitsPerPixel) + RowBytes(e.size, 1)) * e.size;
    EXPECT_TRUE(imageBytes == 0 || imageBytes == bitmaps) << imageBytes;
    const std::uint32_t coloursUsed = U32(file, at + 32);
    EXPECT_TRUE(coloursUsed == 0 || coloursUsed == (1u << e.bitsPerPixel)) << coloursUsed;
}

void CheckPicture(const Image& img)
{
    std::set<unsigned> indices;
    std::set<std::uint32_t> colours;
    std::size_t opaque = 0;
    for (std::size_t i = 0; i < img.index.size(); ++i) {
        if (img.transparent[i]) {
            // The colour bitmap is XORed onto the screen where the mask is set.
            EXPECT_EQ(img.palette.at(img.index[i]), 0u) << "see-through pixel " << i;
            continue;
        }
        ++opaque;
        indices.insert(img.index[i]);
        colours.insert(img.palette.at(img.index[i]));
    }
    EXPECT_GE(indices.size(), 4u) << "picture is (nearly) flat";
    EXPECT_GE(colours.size(), 4u) << "picture is (nearly) flat";
    EXPECT_GE(opaque * 4, img.index.size() * 3) << "mask hides too much of the picture";
    const std::size_t centre = (img.size / 2) * img.size + img.size / 2;
    EXPECT_FALSE(img.transparent.at(centre)) << "centre of the icon is see-through";
}

double Brightness(std::uint32_t rgb)
{
    return 0.3 * ((rgb >> 16) & 0xFF) + 0.59 * ((rgb >> 8) & 0xFF) + 0.11 * (rgb & 0xFF);
}

double MeanBrightness(const Image& img, unsigned firstRow, unsigned endRow)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (unsigned y = firstRow; y < endRow; ++y) {
        for (unsigned x = 0; x < img.size; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * img.size + x;
            if (img.transparent[i]) continue;
            sum += Brightness(img.palette.at(img.index[i]));
            ++count;
        }
    }
    return count == 0 ? 0.0 : sum / count;
}

// The motif has the night sky above and the lighter woven cloth below, so an
// image stored the wrong way up shows as a bright top.
void CheckUpright(const Image& img)
{
    const unsigned third = img.size / 3;
    EXPECT_LT(MeanBrightness(img, 0, third), MeanBrightness(img, img.size - third, img.size))
        << "picture appears upside down";
}

// Checks the whole file and returns its decoded images.
std::vector<Image> CheckIco(const fs::path& path, const std::vector<Expected>& expected)
{
    std::vector<Image> images;
    const Bytes file = ReadFile(path);
    const std::size_t headers = kDirSize + kEntrySize * expected.size();
    if (file.size() < headers) {
        ADD_FAILURE() << path << " is only " << file.size() << " bytes";
        return images;
    }
    EXPECT_EQ(U16(file, 0), 0u) << "reserved";
    EXPECT_EQ(U16(file, 2), 1u) << "type must be icon";
    EXPECT_EQ(U16(file, 4), expected.size()) << "image count";
    std::size_t next = headers;  // images follow the directory back to back
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const Entry entry = ReadEntry(file, i);
        CheckEntry(entry, expected[i]);
        EXPECT_EQ(entry.offset, next);
        if (entry.offset < headers || entry.offset + std::size_t{entry.bytes} > file.size()) {
            ADD_FAILURE() << "image lies outside the file";
            return images;
        }
        CheckInfoHeader(file, entry.offset, expected[i]);
        images.push_back(DecodeImage(file, entry.offset, expected[i]));
        CheckPicture(images.back());
        CheckUpright(images.back());
        next = entry.offset + std::size_t{entry.bytes};
    }
    EXPECT_EQ(next, file.size()) << "trailing bytes after the last image";
    return images;
}

class ArtgenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root_ = new fs::path(UniqueTempDir());
        status_ = RunArtgenInto(OutDir());
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(*root_, ignored);
        delete root_;
        root_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(status_, 0) << "artgen failed"; }

    // Nested below a directory that does not exist yet: artgen must create both.
    static fs::path OutDir() { return *root_ / "first" / "art"; }
    static fs::path Root() { return *root_; }

private:
    static fs::path* root_;
    static int status_;
};

fs::path* ArtgenTest::root_ = nullptr;
int ArtgenTest::status_ = -1;

TEST_F(ArtgenTest, WritesTheThreeIconFiles)
{
    EXPECT_TRUE(fs::is_regular_file(OutDir() / "nightloom.ico"));
    EXPECT_TRUE(fs::is_regular_file(OutDir() / "nightloom_small.ico"));
    EXPECT_TRUE(fs::is_regular_file(OutDir() / "nightloom_16.ico"));
}

TEST_F(ArtgenTest, MainIconIsOne32x32ImageOf256Colours)
{
    EXPECT_EQ(CheckIco(OutDir() / "nightloom.ico", {{32, 8}}).size(), 1u);
}

TEST_F(ArtgenTest, SmallIconIsOne32x32ImageOf256Colours)
{
    EXPECT_EQ(CheckIco(OutDir() / "nightloom_small.ico", {{32, 8}}).size(), 1u);
}

TEST_F(ArtgenTest, SmallIconDiffersFromMainIcon)
{
    const auto main = CheckIco(OutDir() / "nightloom.ico", {{32, 8}});
    const auto small = CheckIco(OutDir() / "nightloom_small.ico", {{32, 8}});
    ASSERT_EQ(main.size(), 1u);
    ASSERT_EQ(small.size(), 1u);
    EXPECT_NE(main[0].index, small[0].index);
}

TEST_F(ArtgenTest, SixteenColourIconHolds32And16Pixel)
{
    EXPECT_EQ(CheckIco(OutDir() / "nightloom_16.ico", {{32, 4}, {16, 4}}).size(), 2u);
}

TEST_F(ArtgenTest, RepeatedRunsGiveIdenticalBytes)
{
    const fs::path again = Root() / "again";
    ASSERT_EQ(RunArtgenInto(again), 0);
    for (const char* name : {"nightloom.ico", "nightloom_small.ico", "nightloom_16.ico"}) {
        const Bytes first = ReadFile(OutDir() / name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, ReadFile(again / name)) << name;
    }
}

TEST_F(ArtgenTest, RunningIntoAnExistingDirectoryOverwritesCleanly)
{
    const Bytes before = ReadFile(OutDir() / "nightloom.ico");
    {
        std::ofstream spoil(OutDir() / "nightloom.ico", std::ios::binary | std::ios::app);
        spoil << "garbage";
    }
    ASSERT_EQ(RunArtgenInto(OutDir()), 0);
    EXPECT_EQ(ReadFile(OutDir() / "nightloom.ico"), before);
}

TEST(ArtgenUsage, FailsWithoutAnOutputDirectory)
{
    EXPECT_NE(RunArtgen(""), 0);
}

}  // namespace
