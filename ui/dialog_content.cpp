#include "ui/dialog_content.h"

#include <cstdarg>
#include <cwchar>

#include "common/text.h"

#define NIGHTLOOM_SCENE_NAME(number, Class, name) name,
const wchar_t* const kSceneNames[kSceneListLength] = {kRandomSceneName, NIGHTLOOM_SCENE_TABLE(NIGHTLOOM_SCENE_NAME)};
#undef NIGHTLOOM_SCENE_NAME

const int kPictureTypes[kPictureTypeCount] = {901, 905, 906, 907, 918};

namespace {

struct PictureType {
    int code;
    const wchar_t* description; // at most 32 characters
    const wchar_t* pattern;     // at most 14 characters
};

const PictureType kPictureTypeTable[] = {
    {901, L"Windows Bitmap", L".bmp"},
    {905, L"Graphics Interchange", L".gif"},
    {906, L"Windows Icon", L".ico"},
    {907, L"JPEG File Interchange Format", L".jpg;*.jpeg"},
    {918, L"Windows Metafile", L".wmf"},
};

const PictureType* FindPictureType(int typeCode)
{
    for (const PictureType& type : kPictureTypeTable) {
        if (type.code == typeCode)
            return &type;
    }
    return nullptr;
}

// The pound sign stands in for the null characters while the filter is built,
// so the text can be put together with the ordinary string functions.
constexpr wchar_t kFieldSeparator = L'\u00a3';
constexpr int kPieceCapacity = 100;
constexpr int kSuffixCapacity = 32;

// A text that does not fit its buffer is dropped whole: a cut entry would look
// like a different mode.
int FormatInto(wchar_t* buffer, int capacity, const wchar_t* format, ...)
{
    buffer[0] = L'\0';
    if (!format)
        return 0;
    std::va_list args;
    va_start(args, format);
    const int written = std::vswprintf(buffer, static_cast<std::size_t>(capacity), format, args);
    va_end(args);
    if (written >= 0 && written < capacity)
        return written;
    buffer[0] = L'\0';
    return 0;
}

} // namespace

const wchar_t* PictureTypeDescription(int typeCode)
{
    const PictureType* type = FindPictureType(typeCode);
    return type ? type->description : L"";
}

const wchar_t* PictureTypePattern(int typeCode)
{
    const PictureType* type = FindPictureType(typeCode);
    return type ? type->pattern : L"";
}

wchar_t* BuildPictureFilter(wchar_t (&buffer)[kFilterCapacity], const int* types, int count)
{
    buffer[0] = L'\0';
    wchar_t piece[kPieceCapacity];
    bool fits = true;
    for (int i = 0; i < count; ++i) {
        const wchar_t* pattern = PictureTypePattern(types[i]);
        FormatInto(piece, kPieceCapacity, L"%ls (*%ls)%lc*%ls%lc", PictureTypeDescription(types[i]), pattern,
                   static_cast<wint_t>(kFieldSeparator), pattern, static_cast<wint_t>(kFieldSeparator));
        fits = fits && AppendText(buffer, kFilterCapacity, piece);
    }
    FormatInto(piece, kPieceCapacity, L"%ls%lc", L"Alle unterst\u00fctzten Formate",
               static_cast<wint_t>(kFieldSeparator));
    fits = fits && AppendText(buffer, kFilterCapacity, piece);
    for (int i = 0; i < count; ++i) {
        fits = fits && AppendText(buffer, kFilterCapacity, i == 0 ? L"*" : L";*");
        fits = fits && AppendText(buffer, kFilterCapacity, PictureTypePattern(types[i]));
    }
    FormatInto(piece, kPieceCapacity, L"%lc%lc", static_cast<wint_t>(kFieldSeparator),
               static_cast<wint_t>(kFieldSeparator));
    fits = fits && AppendText(buffer, kFilterCapacity, piece);
    // A cut list would lack the second null character that ends it, and the
    // file dialog would read on past the buffer: offer no filter instead.
    if (!fits) {
        buffer[0] = L'\0';
        buffer[1] = L'\0';
        return buffer;
    }
    const std::size_t length = std::wcslen(buffer);
    for (std::size_t i = 0; i < length; ++i) {
        if (buffer[i] == kFieldSeparator)
            buffer[i] = L'\0';
    }
    return buffer;
}

void FormatModeEntry(wchar_t (&text)[kListTextCapacity], const ModeEntryFormats& formats, const ModeKey& mode,
                     bool rateTakesPart)
{
    FormatInto(text, kListTextCapacity, formats.size, static_cast<int>(mode.width), static_cast<int>(mode.height));
    wchar_t suffix[kSuffixCapacity];
    FormatInto(suffix, kSuffixCapacity, formats.bits, static_cast<int>(mode.bits));
    AppendText(text, kListTextCapacity, suffix);
    if (!rateTakesPart)
        return;
    if (mode.frequency == 1)
        CopyText(suffix, kSuffixCapacity, formats.defaultRate ? formats.defaultRate : L"");
    else
        FormatInto(suffix, kSuffixCapacity, formats.rate, static_cast<int>(mode.frequency));
    AppendText(text, kListTextCapacity, suffix);
}

void CopyColors(const Settings& from, Settings& to)
{
    to.BackColor = from.BackColor;
    for (int i = 0; i < kCustomColorCount; ++i)
        to.RgbColors[i] = from.RgbColors[i];
}

void FormatVersionText(wchar_t* text, int capacity, std::uint32_t versionMS, std::uint32_t versionLS)
{
    FormatInto(text, capacity, L"%u.%u.%u", static_cast<unsigned>(versionMS >> 16),
               static_cast<unsigned>(versionMS & 0xFFFFu), static_cast<unsigned>(versionLS >> 16));
}
