#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ui/dialog_content.h"

namespace {

// The saver beside the test program's folder: build/win/nightloom.scr.
std::wstring SaverPath()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path);
    for (int up = 0; up < 3; ++up)
        text = text.substr(0, text.find_last_of(L"\\/"));
    return text + L"\\nightloom.scr";
}

class SaverResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibraryExW(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << "cannot open the saver as data";
    }
    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
    }

    std::wstring String(UINT id) const
    {
        wchar_t buffer[260] = {};
        const int length = LoadStringW(module, id, buffer, 260);
        return std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
    }

    HMODULE module = nullptr;
};

TEST_F(SaverResources, StringTableTextsAreExact)
{
    const struct {
        UINT id;
        const wchar_t* text;
    } expected[] = {
        {1, L"Nightloom (App)"},
        {102, L"Nightloom (App)"},
        {120, L"DriftlanternsApp"},
        {3001, L"Es kann frei genutzt und verteilt werden."},
        {3002, L"Dieses Programm wurde entwickelt f\u00fcr die\nAusf\u00fchrung unter:\n"},
        {3200, L"Sind sie sicher?"},
        {3202, L"Einstellungen zur\u00fccksetzen"},
        {3203, L"Die Einstellungen werden zur\u00fcckgesetzt."},
        {3204, L"Die Einstellungen k\u00f6nnen nicht angezeigt werden !\n\nDas Programm wird beendet !"},
        {3301, L"Anzeige"},
        {3302, L"Anwendung"},
        {3400, L"%d x %d Pixel"},
        {3401, L", %d Bit Farbtiefe"},
        {3402, L", VGA-Std."},
        {3403, L", %d Hz"},
        {3420, L"Zentriert"},
        {3421, L"Gef\u00fcllt"},
        {3422, L"Angepasst"},
        {3423, L"Gestreckt"},
    };
    for (const auto& entry : expected)
        EXPECT_EQ(String(entry.id), entry.text) << "string " << entry.id;
    EXPECT_FALSE(String(3000).empty());
}

TEST_F(SaverResources, IconGroups)
{
    for (WORD id : {108, 109, 110})
        EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON), nullptr) << id;
}

// The scenes load these by number; LoadImageW must accept each at its size.
TEST_F(SaverResources, SceneBitmapsLoadAtTheirSizes)
{
    const struct {
        WORD id;
        LONG side;
    } expected[] = {{180, 256}, {450, 128}, {451, 128}, {452, 128}, {453, 128}, {470, 128}};
    for (const auto& e : expected) {
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(e.id), RT_BITMAP);
        ASSERT_NE(found, nullptr) << e.id;
        // The resource is the file without its 14-byte file header.
        EXPECT_EQ(SizeofResource(module, found), 40u + 3u * e.side * e.side) << e.id << " is not 24 bits";
        HANDLE image = LoadImageW(module, MAKEINTRESOURCEW(e.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(image, nullptr) << e.id;
        BITMAP info = {};
        EXPECT_EQ(GetObjectW(image, sizeof info, &info), static_cast<int>(sizeof info));
        EXPECT_EQ(info.bmWidth, e.side) << e.id;
        EXPECT_EQ(info.bmHeight, e.side) << e.id;
        EXPECT_EQ(info.bmBitsPixel, 24) << e.id;
        DeleteObject(image);
    }
}

// The fog's pictures are whole BMP files of our own type "JPG", 8 bits with a
// full palette, for the picture decoder to read.
TEST_F(SaverResources, FogPicturesAreWholePalettedBmpFiles)
{
    const struct {
        WORD id;
        std::uint32_t width, height;
    } expected[] = {{460, 256, 128}, {461, 256, 256}};
    for (const auto& e : expected) {
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(e.id), L"JPG");
        ASSERT_NE(found, nullptr) << e.id;
        const DWORD size = SizeofResource(module, found);
        EXPECT_EQ(size, 14u + 40u + 256u * 4u + e.width * e.height) << e.id;
        const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        ASSERT_NE(data, nullptr);
        ASSERT_GE(size, 54u);
        BITMAPFILEHEADER file;
        BITMAPINFOHEADER info;
        std::memcpy(&file, data, sizeof file);
        std::memcpy(&info, data + sizeof file, sizeof info);
        EXPECT_EQ(file.bfType, 0x4D42) << "starts with BM";
        EXPECT_EQ(file.bfSize, size);
        EXPECT_EQ(static_cast<std::uint32_t>(info.biWidth), e.width);
        EXPECT_EQ(static_cast<std::uint32_t>(info.biHeight), e.height);
        EXPECT_EQ(info.biBitCount, 8);
    }
}

std::string ManifestText(HMODULE module)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    const char* data = found ? static_cast<const char*>(LockResource(LoadResource(module, found))) : nullptr;
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

TEST_F(SaverResources, ManifestAsksForCommonControlsSixAsInvokerAndNamesTheProjectVersion)
{
    const std::string manifest = ManifestText(module);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    const std::wstring version = NIGHTLOOM_PROJECT_VERSION;
    const std::string identity =
        "name=\"Velbrook.Nightloom\" version=\"" + std::string(version.begin(), version.end()) + ".0\"";
    EXPECT_NE(manifest.find(identity), std::string::npos) << manifest;
}

// Wine quirk: QueryActCtxW answers no compatibility entries under Wine 8, so
// the text is checked: every id inside the one compatibility section.
TEST_F(SaverResources, ManifestDeclaresWindowsTenAndElevenAsSupported)
{
    const std::string manifest = ManifestText(module);
    const std::size_t start = manifest.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">");
    const std::size_t end = manifest.find("</compatibility>");
    ASSERT_NE(start, std::string::npos) << manifest;
    ASSERT_NE(end, std::string::npos) << manifest;
    const std::string section = manifest.substr(start, end - start);
    // Windows 10 and 11, as the README and the About box say; no older system.
    const std::string only = "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>";
    const std::size_t found = section.find(only);
    EXPECT_NE(found, std::string::npos) << section;
    EXPECT_EQ(section.find("<supportedOS", found + only.size()), std::string::npos) << section;
    EXPECT_EQ(section.find("<supportedOS"), found) << section;
}

// Read the way the loader reads it: through an activation context made from
// the saver's manifest resource, so a misplaced namespace counts as missing.
std::wstring ManifestSetting(const wchar_t* settingsNamespace, const wchar_t* name)
{
    const std::wstring saver = SaverPath();
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = saver.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE)
        return L"(no activation context)";
    wchar_t value[128] = {};
    SIZE_T written = 0;
    const BOOL found = QueryActCtxSettingsW(0, context, settingsNamespace, name, value, 128, &written);
    ReleaseActCtx(context);
    return found ? std::wstring(value) : std::wstring();
}

TEST(SaverManifest, DeclaresPerMonitorDpiAwarenessWithTheOlderFormAsFallback)
{
    EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
}

class SaverVersion : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring path = SaverPath();
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
        ASSERT_GT(size, 0u);
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    }

    const VS_FIXEDFILEINFO* Fixed()
    {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed)
            return nullptr;
        return fixed;
    }

    // A string of the first language the resource lists; empty when missing.
    std::wstring Text(const wchar_t* name)
    {
        struct Translation {
            WORD language, codePage;
        }* translation = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                            &length) ||
            length < sizeof(Translation))
            return {};
        wchar_t query[96];
        swprintf(query, 96, L"\\StringFileInfo\\%04X%04X\\%ls", translation->language, translation->codePage, name);
        wchar_t* text = nullptr;
        if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) || !text)
            return {};
        return text;
    }

    std::vector<BYTE> block;
};

TEST_F(SaverVersion, LegalNotice)
{
    const std::wstring notice = Text(L"LegalCopyright");
    EXPECT_NE(notice.find(L"Velbrook"), std::wstring::npos);
    EXPECT_NE(notice.find(L"\u00a9"), std::wstring::npos);
}

// The numbers come from the project's version in the build, the one place it
// is set; the About box shows the first three.
TEST_F(SaverVersion, NumbersAreTheProjectVersion)
{
    const VS_FIXEDFILEINFO* fixed = Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    wchar_t shown[64];
    FormatVersionText(shown, 64, fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    EXPECT_EQ(std::wstring(shown), NIGHTLOOM_PROJECT_VERSION);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    EXPECT_EQ(Text(L"ProductVersion"), NIGHTLOOM_PROJECT_VERSION);
    const std::wstring fileVersion = Text(L"FileVersion");
    EXPECT_EQ(fileVersion.rfind(std::wstring(NIGHTLOOM_PROJECT_VERSION) + L".", 0), 0u) << "file version " << fileVersion.c_str();
}

} // namespace
