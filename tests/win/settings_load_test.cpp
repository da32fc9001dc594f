// Loading, resetting and saving the settings with the real registry of the test
// prefix. Every test starts and ends without HKCU\Software\Wow6432Node\Velbrook.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"

namespace {

const wchar_t kBase[] = L"Software\\Wow6432Node\\Velbrook";
const std::wstring kProgramKey = L"Software\\Wow6432Node\\Velbrook\\ScreenSaver\\DriftlanternsApp";
const std::wstring kCommonKey = L"Software\\Wow6432Node\\Velbrook\\Common";

// The sixteen custom colours a first run offers, 0x00BBGGRR.
const DWORD kFirstRunCustomColors[16] = {
    0x000000, 0xC80000, 0x4BA532, 0xB4AA19, 0x2828B4, 0xB428AA, 0x0050A0, 0xAAAAAA,
    0x646464, 0xF08C32, 0x64FA46, 0xF0E650, 0x5A64F0, 0xF064F0, 0x28FAFA, 0xFFFFFF,
};

// --- Registry helpers ---------------------------------------------------------

std::wstring Below(const std::wstring& key, const std::wstring& subkey)
{
    return subkey.empty() ? key : key + L"\\" + subkey;
}

void DeleteVelbrookTree()
{
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, kBase);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
}

void PutRaw(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, type, data, size), ERROR_SUCCESS);
}

void PutDword(const std::wstring& key, const wchar_t* name, DWORD value)
{
    PutRaw(key, name, REG_DWORD, &value, sizeof value);
}

void PutString(const std::wstring& key, const wchar_t* name, const std::wstring& text)
{
    PutRaw(key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The stored DWORD, or nothing when the value is missing or of another type.
std::optional<DWORD> StoredDword(const std::wstring& key, const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> StoredString(const std::wstring& key, const wchar_t* name)
{
    wchar_t text[400] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

bool KeyExists(const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

using Names = std::set<std::wstring>;

// The names a key lists, through RegEnumValueW or RegEnumKeyExW.
template <class Enumerate>
Names EnumerateNames(const std::wstring& key, Enumerate enumerate)
{
    Names names;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (enumerate(handle, index, name, &length) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(handle);
    return names;
}

Names ValueNames(const std::wstring& key)
{
    return EnumerateNames(key, [](HKEY handle, DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumValueW(handle, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

Names SubkeyNames(const std::wstring& key)
{
    return EnumerateNames(key, [](HKEY handle, DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumKeyExW(handle, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::wstring CustomColorName(int index)
{
    wchar_t name[16];
    std::swprintf(name, 16, L"RgbColors%02d", index);
    return name;
}

// --- The desktop as the system reports it -------------------------------------

struct DesktopMode {
    RECT rect;
    int bits;
    DWORD frequency;
};

DesktopMode MeasureDesktop()
{
    DesktopMode mode{};
    HWND desktop = GetDesktopWindow();
    GetWindowRect(desktop, &mode.rect);
    HDC context = GetWindowDC(desktop);
    mode.bits = GetDeviceCaps(context, BITSPIXEL);
    // Wine reports the NT platform, so the refresh rate is measured.
    mode.frequency = static_cast<DWORD>(GetDeviceCaps(context, VREFRESH));
    ReleaseDC(desktop, context);
    return mode;
}

// --- The application as the entry function makes it -------------------------

std::unique_ptr<Application> NewApplication(const wchar_t* className = L"DriftlanternsApp")
{
    auto app = std::make_unique<Application>();
    std::wcscpy(app->className, className);
    return app;
}

// Initialize without the screensaver flag: defaults, then the registry.
std::unique_ptr<Application> LoadedApplication()
{
    auto app = NewApplication();
    app->ResetSettings();
    app->LoadSettings();
    return app;
}

// Members that hold junk, so that nothing passes by chance of zero-filled memory.
void FillWithJunk(Application& app)
{
    app.TabIndex = 7;
    app.Use1Monitor = true;
    app.SwitchDisplay = true;
    app.FullWidth = 11;
    app.FullHeight = 12;
    app.FullBits = 13;
    app.FullFrequency = 14;
    app.targetFps = 3.0f;
    app.settings.SceneStrategy = 4;
    app.settings.ShowDesktop = false;
    app.settings.OpenGL_MaxTextureSize = 99;
    std::wcscpy(app.settings.LogoPath, L"C:\\alt.bmp");
    app.LoadDlgIndex = 3;
    app.settings.AdjustmentNo = 9;
    app.settings.BackColor = 0x123456;
    for (auto& color : app.settings.RgbColors)
        color = 0xABCDEF;
}

void ExpectFirstRunValues(const Application& app)
{
    const DesktopMode desktop = MeasureDesktop();
    EXPECT_EQ(app.TabIndex, 0);
    EXPECT_FALSE(app.Use1Monitor);
    EXPECT_FALSE(app.SwitchDisplay);
    EXPECT_EQ(app.FullWidth, desktop.rect.right);
    EXPECT_EQ(app.FullHeight, desktop.rect.bottom);
    EXPECT_EQ(app.FullBits, desktop.bits);
    EXPECT_EQ(app.FullFrequency, desktop.frequency);
    EXPECT_EQ(app.settings.SceneStrategy, 0);
    EXPECT_TRUE(app.settings.ShowDesktop);
    EXPECT_EQ(app.settings.OpenGL_MaxTextureSize, 2048);
    EXPECT_STREQ(app.settings.LogoPath, L"");
    EXPECT_EQ(app.LoadDlgIndex, 6);
    EXPECT_EQ(app.settings.AdjustmentNo, 2);
    EXPECT_EQ(app.settings.BackColor, 0u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(app.settings.RgbColors[i], kFirstRunCustomColors[i]) << "custom colour " << i;
    EXPECT_FLOAT_EQ(app.targetFps, 60.0f);
}

class SettingsLoadTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteVelbrookTree(); }
    void TearDown() override { DeleteVelbrookTree(); }
};

// --- Loading ------------------------------------------------------------------

TEST_F(SettingsLoadTest, FirstRunWithoutKeysGivesEveryDefault)
{
    auto app = LoadedApplication();
    ExpectFirstRunValues(*app);

    const DesktopMode desktop = MeasureDesktop();
    EXPECT_EQ(app->desktopRect.right, desktop.rect.right);
    EXPECT_EQ(app->desktopRect.bottom, desktop.rect.bottom);
    EXPECT_EQ(app->currentBits, desktop.bits);
    EXPECT_EQ(app->currentFrequency, desktop.frequency);
    EXPECT_EQ(app->virtualScreen.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(app->virtualScreen.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(app->virtualScreen.width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(app->virtualScreen.height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_STREQ(app->SettingsSubkey, L"ScreenSaver\\DriftlanternsApp");
    EXPECT_STREQ(app->CommonSubkey, L"Common");

    // Loading only reads.
    EXPECT_FALSE(KeyExists(kBase));
}

TEST_F(SettingsLoadTest, ResetAndLoadReplaceEarlierValues)
{
    auto app = NewApplication();
    FillWithJunk(*app);
    app->ResetSettings();
    app->LoadSettings();
    ExpectFirstRunValues(*app);
}

TEST_F(SettingsLoadTest, ResetSettingsKeepsTheMeasuredAndConstantDefaultedMembers)
{
    auto app = NewApplication();
    FillWithJunk(*app);
    app->ResetSettings();

    EXPECT_EQ(app->TabIndex, 0);
    EXPECT_FALSE(app->Use1Monitor);
    EXPECT_FALSE(app->SwitchDisplay);
    EXPECT_EQ(app->settings.SceneStrategy, 0);
    EXPECT_TRUE(app->settings.ShowDesktop);
    EXPECT_EQ(app->settings.AdjustmentNo, 2);
    EXPECT_EQ(app->settings.BackColor, 0u);
    EXPECT_EQ(app->settings.RgbColors[9], kFirstRunCustomColors[9]);
    EXPECT_FLOAT_EQ(app->targetFps, 60.0f);

    EXPECT_EQ(app->FullWidth, 11);
    EXPECT_EQ(app->FullHeight, 12);
    EXPECT_EQ(app->FullBits, 13);
    EXPECT_EQ(app->FullFrequency, 14u);
    EXPECT_EQ(app->settings.OpenGL_MaxTextureSize, 99);
    EXPECT_STREQ(app->settings.LogoPath, L"C:\\alt.bmp");
    EXPECT_EQ(app->LoadDlgIndex, 3);
    EXPECT_FALSE(KeyExists(kBase));
}

#define MEMBER(expression) [](const Application& app) -> std::int64_t { return app.expression; }

struct StoredCase {
    std::wstring key;
    const wchar_t* name;
    DWORD stored;
    std::int64_t expected;
    std::int64_t (*member)(const Application&);
};

TEST_F(SettingsLoadTest, StoredValuesPassTheLoadRules)
{
    const std::wstring program = kProgramKey;
    const std::wstring dialog = Below(kProgramKey, L"Common");
    const std::wstring status = Below(kProgramKey, L"Status");
    const std::wstring image = Below(kProgramKey, L"Image");
    const std::wstring colors = Below(kProgramKey, L"Colors");

    const StoredCase cases[] = {
        {dialog, L"TabIndex", 1, 1, MEMBER(TabIndex)},
        {dialog, L"TabIndex", 0xFFFFFFFE, -1, MEMBER(TabIndex)},
        {program, L"Use1Monitor", 1, 1, MEMBER(Use1Monitor)},
        {program, L"Use1Monitor", 2, 0, MEMBER(Use1Monitor)},
        {status, L"SwitchDisplay", 1, 1, MEMBER(SwitchDisplay)},
        {status, L"SwitchDisplay", 2, 0, MEMBER(SwitchDisplay)},
        {program, L"ShowDesktop", 2, 0, MEMBER(settings.ShowDesktop)},
        {program, L"ShowDesktop", 0, 0, MEMBER(settings.ShowDesktop)},
        {program, L"ShowDesktop", 1, 1, MEMBER(settings.ShowDesktop)},
        {program, L"FullWidth", 1024, 1024, MEMBER(FullWidth)},
        {program, L"FullWidth", 0xFFFFFFFE, -1, MEMBER(FullWidth)},
        {program, L"FullHeight", 768, 768, MEMBER(FullHeight)},
        {program, L"FullBits", 16, 16, MEMBER(FullBits)},
        {program, L"FullFrequency", 75, 75, MEMBER(FullFrequency)},
        // The refresh rate is unsigned and read unchanged.
        {program, L"FullFrequency", 0xFFFFFFFF, 0xFFFFFFFF, MEMBER(FullFrequency)},
        {program, L"SceneStrategy", 9, 9, MEMBER(settings.SceneStrategy)},
        {program, L"SceneStrategy", 0xFFFFFFFE, -1, MEMBER(settings.SceneStrategy)},
        {kCommonKey, L"OpenGL_MaxTextureSize", 16384, 16384, MEMBER(settings.OpenGL_MaxTextureSize)},
        {image, L"LoadDlgIndex", 9, 6, MEMBER(LoadDlgIndex)},
        {image, L"LoadDlgIndex", 6, 6, MEMBER(LoadDlgIndex)},
        {image, L"LoadDlgIndex", 3, 3, MEMBER(LoadDlgIndex)},
        {image, L"LoadDlgIndex", 0, 0, MEMBER(LoadDlgIndex)},
        {image, L"LoadDlgIndex", 0xFFFFFFFE, -1, MEMBER(LoadDlgIndex)},
        {image, L"AdjustmentNo", 7, 2, MEMBER(settings.AdjustmentNo)},
        {image, L"AdjustmentNo", 0xFFFFFFFE, 2, MEMBER(settings.AdjustmentNo)},
        {image, L"AdjustmentNo", 0xFFFFFFFF, 0, MEMBER(settings.AdjustmentNo)},
        {image, L"AdjustmentNo", 3, 3, MEMBER(settings.AdjustmentNo)},
        {image, L"AdjustmentNo", 0, 0, MEMBER(settings.AdjustmentNo)},
        {colors, L"BackColor", 0x00FF8040, 0x00FF8040, MEMBER(settings.BackColor)},
        {colors, L"BackColor", 0xFFFFFFFF, 0, MEMBER(settings.BackColor)},
        {colors, L"RgbColors00", 0x00123456, 0x00123456, MEMBER(settings.RgbColors[0])},
        {colors, L"RgbColors09", 0x00010203, 0x00010203, MEMBER(settings.RgbColors[9])},
        // Custom colours are read unchanged.
        {colors, L"RgbColors15", 0xFFFFFFFF, 0xFFFFFFFF, MEMBER(settings.RgbColors[15])},
    };

    for (const StoredCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << " stored as 0x" << std::hex << c.stored);
        DeleteVelbrookTree();
        PutDword(c.key, c.name, c.stored);
        auto app = LoadedApplication();
        EXPECT_EQ(c.member(*app), c.expected);
    }
}

TEST_F(SettingsLoadTest, ValuesOfAnotherTypeKeepTheirDefaults)
{
    const DesktopMode desktop = MeasureDesktop();
    const std::wstring image = Below(kProgramKey, L"Image");
    const std::wstring colors = Below(kProgramKey, L"Colors");

    struct TypedCase {
        std::wstring key;
        const wchar_t* name;
        DWORD type;
        DWORD low;  // the first four bytes of the data
        std::int64_t expected;
        std::int64_t (*member)(const Application&);
    };
    const TypedCase cases[] = {
        {Below(kProgramKey, L"Common"), L"TabIndex", REG_SZ, 1, 0, MEMBER(TabIndex)},
        {kProgramKey, L"Use1Monitor", REG_SZ, 1, 0, MEMBER(Use1Monitor)},
        {kProgramKey, L"ShowDesktop", REG_QWORD, 0, 1, MEMBER(settings.ShowDesktop)},
        {kProgramKey, L"ShowDesktop", REG_SZ, 0, 1, MEMBER(settings.ShowDesktop)},
        {kProgramKey, L"FullWidth", REG_QWORD, 640, desktop.rect.right, MEMBER(FullWidth)},
        {kProgramKey, L"FullFrequency", REG_SZ, 75, desktop.frequency, MEMBER(FullFrequency)},
        {kProgramKey, L"SceneStrategy", REG_SZ, 3, 0, MEMBER(settings.SceneStrategy)},
        {kCommonKey, L"OpenGL_MaxTextureSize", REG_SZ, 512, 2048, MEMBER(settings.OpenGL_MaxTextureSize)},
        {kCommonKey, L"OpenGL_MaxTextureSize", REG_QWORD, 512, 2048, MEMBER(settings.OpenGL_MaxTextureSize)},
        {image, L"LoadDlgIndex", REG_QWORD, 2, 6, MEMBER(LoadDlgIndex)},
        {image, L"AdjustmentNo", REG_SZ, 1, 2, MEMBER(settings.AdjustmentNo)},
        {colors, L"BackColor", REG_QWORD, 0xFF, 0, MEMBER(settings.BackColor)},
        {colors, L"RgbColors01", REG_SZ, 0x123, 0xC80000, MEMBER(settings.RgbColors[1])},
    };

    for (const TypedCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << (c.type == REG_SZ ? " as REG_SZ" : " as REG_QWORD"));
        DeleteVelbrookTree();
        // A REG_SZ of four bytes looks exactly like a DWORD apart from its type.
        const std::uint64_t data = c.low;
        PutRaw(c.key, c.name, c.type, &data, c.type == REG_QWORD ? 8 : 4);
        auto app = LoadedApplication();
        EXPECT_EQ(c.member(*app), c.expected);
    }
}

TEST_F(SettingsLoadTest, ValuesAreReadOnlyFromTheirOwnKeys)
{
    // Each value stored one key off: in the common key instead of the program
    // key's "Common" and the other way round, or without its subkey.
    PutDword(kCommonKey, L"TabIndex", 1);
    PutDword(Below(kProgramKey, L"Common"), L"OpenGL_MaxTextureSize", 512);
    PutDword(kProgramKey, L"SwitchDisplay", 1);
    PutDword(kProgramKey, L"AdjustmentNo", 1);
    PutDword(kProgramKey, L"LoadDlgIndex", 1);
    PutString(kProgramKey, L"LogoPath", L"C:\\falsch.bmp");
    PutDword(kProgramKey, L"BackColor", 0x0000FF);
    PutDword(Below(kProgramKey, L"Image"), L"RgbColors00", 0x00FF00);
    PutDword(Below(kProgramKey, L"Status"), L"SceneStrategy", 3);

    auto app = LoadedApplication();
    ExpectFirstRunValues(*app);
}

TEST_F(SettingsLoadTest, LogoPathIsLoadedWhenItFits)
{
    const std::wstring image = Below(kProgramKey, L"Image");
    std::wstring fits = L"C:\\Bilder\\M\u00e4rz\\";
    fits.resize(259, L'n');
    PutString(image, L"LogoPath", fits);
    EXPECT_EQ(std::wstring(LoadedApplication()->settings.LogoPath), fits);

    PutString(image, L"LogoPath", fits + L"n");
    EXPECT_STREQ(LoadedApplication()->settings.LogoPath, L"");
}

// --- Contents a user or another program could leave ---------------------------

class BadRegistryContentsTest : public SettingsLoadTest {};

// A value the program reads, with a DWORD unlike its default: a reader that took
// the data without looking at type and size would show it.
struct ReadValue {
    std::wstring key;
    std::wstring name;
    DWORD lure;
};

std::vector<ReadValue> EveryDwordTheProgramReads()
{
    const std::wstring image = Below(kProgramKey, L"Image");
    const std::wstring colors = Below(kProgramKey, L"Colors");
    std::vector<ReadValue> values = {
        {Below(kProgramKey, L"Common"), L"TabIndex", 1},
        {kProgramKey, L"Use1Monitor", 1},
        {Below(kProgramKey, L"Status"), L"SwitchDisplay", 1},
        {kProgramKey, L"FullWidth", 640},
        {kProgramKey, L"FullHeight", 480},
        {kProgramKey, L"FullBits", 8},
        {kProgramKey, L"FullFrequency", 75},
        {kProgramKey, L"SceneStrategy", 3},
        {kProgramKey, L"ShowDesktop", 0},
        {kCommonKey, L"OpenGL_MaxTextureSize", 512},
        {image, L"LoadDlgIndex", 2},
        {image, L"AdjustmentNo", 1},
        {colors, L"BackColor", 0xFF},
    };
    for (int i = 0; i < 16; ++i)
        values.push_back({colors, CustomColorName(i), 0x0100u + static_cast<DWORD>(i)});
    return values;
}

// The stored type and size, or REG_NONE and 0 when the value is missing.
std::pair<DWORD, DWORD> StoredTypeAndSize(const std::wstring& key, const wchar_t* name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return {REG_NONE, 0};
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(handle, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        type = REG_NONE, size = 0;
    RegCloseKey(handle);
    return {type, size};
}

TEST_F(BadRegistryContentsTest, EveryValueOfTheWrongTypeOrSizeKeepsItsDefaultAndConfirmRewritesIt)
{
    struct Garbage {
        const char* what;
        DWORD type;
        DWORD size; // the lure in the first bytes, zeros after it
    };
    const Garbage kinds[] = {
        {"REG_DWORD of 2 bytes", REG_DWORD, 2},
        {"REG_DWORD of 8 bytes", REG_DWORD, 8},
        {"REG_DWORD of 3 bytes", REG_DWORD, 3},
        {"REG_DWORD without data", REG_DWORD, 0},
        {"REG_QWORD", REG_QWORD, 8},
        {"REG_BINARY of 4 bytes", REG_BINARY, 4},
        {"REG_BINARY of 2 bytes", REG_BINARY, 2},
        {"REG_BINARY of 8 bytes", REG_BINARY, 8},
        {"REG_DWORD_BIG_ENDIAN", REG_DWORD_BIG_ENDIAN, 4},
        {"REG_SZ of 4 bytes", REG_SZ, 4},
        {"REG_MULTI_SZ of 4 bytes", REG_MULTI_SZ, 4},
        {"REG_NONE of 4 bytes", REG_NONE, 4},
    };
    const std::vector<ReadValue> values = EveryDwordTheProgramReads();
    for (const Garbage& kind : kinds) {
        SCOPED_TRACE(kind.what);
        DeleteVelbrookTree();
        for (const ReadValue& value : values) {
            const std::uint64_t data = value.lure;
            PutRaw(value.key, value.name.c_str(), kind.type, &data, kind.size);
            ASSERT_EQ(StoredTypeAndSize(value.key, value.name.c_str()), std::make_pair(kind.type, kind.size))
                << "the registry changed what was stored";
        }
        auto app = LoadedApplication();
        ExpectFirstRunValues(*app);

        // Confirming the dialog rewrites each of them as a proper DWORD.
        app->SaveSettings();
        for (const ReadValue& value : values) {
            if (value.key == kCommonKey)
                continue; // not the dialog's to write
            EXPECT_EQ(StoredTypeAndSize(value.key, value.name.c_str()),
                      std::make_pair(static_cast<DWORD>(REG_DWORD), static_cast<DWORD>(4)))
                << value.name.c_str();
        }
        ExpectFirstRunValues(*LoadedApplication());
    }
}

TEST_F(BadRegistryContentsTest, LogoPathThatIsNoFittingTextReadsAsEmpty)
{
    const std::wstring image = Below(kProgramKey, L"Image");
    const std::wstring huge(100000, L'q');
    // RegSetValueExW adds a terminator that follows the data; a '#' there keeps it out.
    const std::wstring hugeFollowed = huge + L'#';
    const std::wstring path = L"C:\\Bilder\\Logo.bmp";
    struct LogoCase {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
    };
    const LogoCase cases[] = {
        {"100 000 characters and terminator", REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * 2)},
        {"100 000 characters without terminator", REG_SZ, hugeFollowed.c_str(), static_cast<DWORD>(huge.size() * 2)},
        {"a path as REG_BINARY", REG_BINARY, path.c_str(), static_cast<DWORD>((path.size() + 1) * 2)},
        {"a path as REG_MULTI_SZ", REG_MULTI_SZ, path.c_str(), static_cast<DWORD>((path.size() + 1) * 2)},
        {"a path as REG_NONE", REG_NONE, path.c_str(), static_cast<DWORD>((path.size() + 1) * 2)},
    };
    for (const LogoCase& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteVelbrookTree();
        PutRaw(image, L"LogoPath", c.type, c.data, c.size);
        PutDword(image, L"LoadDlgIndex", 3);
        auto app = NewApplication();
        FillWithJunk(*app);
        app->ResetSettings();
        app->LoadSettings();
        EXPECT_STREQ(app->settings.LogoPath, L"");
        // The rest of the Image key still loads.
        EXPECT_EQ(app->LoadDlgIndex, 3);
    }
}

// A security descriptor with an empty access list: nobody but the owner's
// implicit rights may touch the key.
void DenyEveryAccess(const std::wstring& key)
{
    HKEY handle = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC, &handle), ERROR_SUCCESS);
    SECURITY_DESCRIPTOR descriptor;
    ACL acl;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(InitializeAcl(&acl, sizeof acl, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE));
    EXPECT_EQ(RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
    RegCloseKey(handle);
}

// A null access list: everyone may do everything again, so the tree can go.
void AllowEveryAccess(const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC, &handle) != ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(handle);
}

TEST_F(BadRegistryContentsTest, KeysThatCannotBeOpenedKeepTheDefaults)
{
    // Values where the program expects its keys: "Image", "Colors", "Status"
    // and the dialog's "Common" as values of the program key; the program key as
    // a value of "ScreenSaver" and the common key as a value of the base key.
    for (const wchar_t* name : {L"Image", L"Colors", L"Status", L"Common"})
        PutDword(kProgramKey, name, 1);
    ExpectFirstRunValues(*LoadedApplication());
    DeleteVelbrookTree();
    PutDword(Below(kBase, L"ScreenSaver"), L"DriftlanternsApp", 1);
    PutDword(kBase, L"Common", 512);
    ExpectFirstRunValues(*LoadedApplication());

    // Keys whose access list denies everything, with values inside.
    DeleteVelbrookTree();
    const std::wstring image = Below(kProgramKey, L"Image");
    PutString(image, L"LogoPath", L"C:\\Bilder\\Logo.bmp");
    PutDword(image, L"AdjustmentNo", 1);
    PutDword(kCommonKey, L"OpenGL_MaxTextureSize", 512);
    for (const std::wstring& key : {image, kCommonKey})
        DenyEveryAccess(key);
    HKEY probe = nullptr;
    const LSTATUS denied = RegOpenKeyExW(HKEY_CURRENT_USER, image.c_str(), 0, KEY_READ, &probe);
    if (probe)
        RegCloseKey(probe);

    auto app = LoadedApplication();
    // Confirming writes what it can: the refused Image key is passed over.
    app->SaveSettings();
    for (const std::wstring& key : {image, kCommonKey})
        AllowEveryAccess(key);

    ASSERT_EQ(denied, ERROR_ACCESS_DENIED) << "Wine no longer honours an empty access list";
    ExpectFirstRunValues(*app);
    EXPECT_EQ(StoredDword(kProgramKey, L"SceneStrategy"), std::optional<DWORD>(0u));
    EXPECT_EQ(StoredDword(Below(kProgramKey, L"Colors"), L"BackColor"), std::optional<DWORD>(0u))
        << "saving stopped at the refused key";
    EXPECT_EQ(StoredDword(image, L"AdjustmentNo"), std::optional<DWORD>(1u));
    EXPECT_EQ(StoredString(image, L"LogoPath"), std::optional<std::wstring>(L"C:\\Bilder\\Logo.bmp"));
}

// --- Saving -------------------------------------------------------------------

// Distinct values in every member that SaveSettings writes.
void SetDistinctValues(Application& app)
{
    app.TabIndex = 1;
    app.Use1Monitor = true;
    app.SwitchDisplay = true;
    app.FullWidth = 1024;
    app.FullHeight = 768;
    app.FullBits = 16;
    app.FullFrequency = 0xFFFFFFFF;
    app.settings.SceneStrategy = 5;
    app.settings.ShowDesktop = false;
    app.settings.OpenGL_MaxTextureSize = 4096;
    std::wcscpy(app.settings.LogoPath, L"C:\\Bilder\\Mond \u00fcber See.bmp");
    app.LoadDlgIndex = -1;
    app.settings.AdjustmentNo = 3;
    app.settings.BackColor = 0x00336699;
    for (int i = 0; i < 16; ++i)
        app.settings.RgbColors[i] = 0x00100000u + static_cast<DWORD>(i);
}

TEST_F(SettingsLoadTest, SaveSettingsCreatesTheProgramKeyWithEveryValue)
{
    // The texture size of the last drawing run stays as it is.
    PutDword(kCommonKey, L"OpenGL_MaxTextureSize", 16384);

    auto app = LoadedApplication();
    SetDistinctValues(*app);
    app->SaveSettings();

    EXPECT_EQ(SubkeyNames(kProgramKey), (Names{L"Common", L"Status", L"Image", L"Colors"}));
    EXPECT_EQ(ValueNames(kProgramKey), (Names{L"Use1Monitor", L"FullWidth", L"FullHeight", L"FullBits",
                                              L"FullFrequency", L"SceneStrategy", L"ShowDesktop"}));
    EXPECT_EQ(ValueNames(Below(kProgramKey, L"Common")), Names{L"TabIndex"});
    EXPECT_EQ(ValueNames(Below(kProgramKey, L"Status")), Names{L"SwitchDisplay"});
    EXPECT_EQ(ValueNames(Below(kProgramKey, L"Image")), (Names{L"LogoPath", L"LoadDlgIndex", L"AdjustmentNo"}));
    Names colorNames{L"BackColor"};
    for (int i = 0; i < 16; ++i)
        colorNames.insert(CustomColorName(i));
    EXPECT_EQ(ValueNames(Below(kProgramKey, L"Colors")), colorNames);

    EXPECT_EQ(StoredDword(Below(kProgramKey, L"Common"), L"TabIndex"), 1u);
    EXPECT_EQ(StoredDword(kProgramKey, L"Use1Monitor"), 1u);
    EXPECT_EQ(StoredDword(Below(kProgramKey, L"Status"), L"SwitchDisplay"), 1u);
    EXPECT_EQ(StoredDword(kProgramKey, L"FullWidth"), 1024u);
    EXPECT_EQ(StoredDword(kProgramKey, L"FullHeight"), 768u);
    EXPECT_EQ(StoredDword(kProgramKey, L"FullBits"), 16u);
    EXPECT_EQ(StoredDword(kProgramKey, L"FullFrequency"), 0xFFFFFFFFu);
    EXPECT_EQ(StoredDword(kProgramKey, L"SceneStrategy"), 5u);
    EXPECT_EQ(StoredDword(kProgramKey, L"ShowDesktop"), 0u);
    EXPECT_EQ(StoredString(Below(kProgramKey, L"Image"), L"LogoPath"),
              std::wstring(L"C:\\Bilder\\Mond \u00fcber See.bmp"));
    EXPECT_EQ(StoredDword(Below(kProgramKey, L"Image"), L"LoadDlgIndex"), 0xFFFFFFFEu);
    EXPECT_EQ(StoredDword(Below(kProgramKey, L"Image"), L"AdjustmentNo"), 3u);
    EXPECT_EQ(StoredDword(Below(kProgramKey, L"Colors"), L"BackColor"), 0x00336699u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(StoredDword(Below(kProgramKey, L"Colors"), CustomColorName(i).c_str()), 0x00100000u + i) << i;

    // Only the dialog's settings: the common key keeps its texture size.
    EXPECT_EQ(ValueNames(kCommonKey), Names{L"OpenGL_MaxTextureSize"});
    EXPECT_EQ(StoredDword(kCommonKey, L"OpenGL_MaxTextureSize"), 16384u);
}

TEST_F(SettingsLoadTest, SavedSettingsLoadBack)
{
    auto saved = LoadedApplication();
    SetDistinctValues(*saved);
    saved->SaveSettings();

    auto app = LoadedApplication();
    EXPECT_EQ(app->TabIndex, 1);
    EXPECT_TRUE(app->Use1Monitor);
    EXPECT_TRUE(app->SwitchDisplay);
    EXPECT_EQ(app->FullWidth, 1024);
    EXPECT_EQ(app->FullHeight, 768);
    EXPECT_EQ(app->FullBits, 16);
    EXPECT_EQ(app->FullFrequency, 0xFFFFFFFFu);
    EXPECT_EQ(app->settings.SceneStrategy, 5);
    EXPECT_FALSE(app->settings.ShowDesktop);
    EXPECT_STREQ(app->settings.LogoPath, L"C:\\Bilder\\Mond \u00fcber See.bmp");
    EXPECT_EQ(app->LoadDlgIndex, -1);
    EXPECT_EQ(app->settings.AdjustmentNo, 3);
    EXPECT_EQ(app->settings.BackColor, 0x00336699u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(app->settings.RgbColors[i], 0x00100000u + i) << i;
    // Not saved by the dialog: the constant default.
    EXPECT_EQ(app->settings.OpenGL_MaxTextureSize, 2048);
}

TEST_F(SettingsLoadTest, MostNegativeValuesRoundTrip)
{
    auto saved = LoadedApplication();
    saved->TabIndex = INT32_MIN;
    saved->FullWidth = INT32_MIN;
    saved->FullHeight = -2;
    saved->settings.SceneStrategy = INT32_MIN;
    saved->LoadDlgIndex = INT32_MIN;
    saved->SaveSettings();

    EXPECT_EQ(StoredDword(kProgramKey, L"FullWidth"), 0x7FFFFFFFu);
    EXPECT_EQ(StoredDword(kProgramKey, L"FullHeight"), 0xFFFFFFFDu);

    auto app = LoadedApplication();
    EXPECT_EQ(app->TabIndex, INT32_MIN);
    EXPECT_EQ(app->FullWidth, INT32_MIN);
    EXPECT_EQ(app->FullHeight, -2);
    EXPECT_EQ(app->settings.SceneStrategy, INT32_MIN);
    EXPECT_EQ(app->LoadDlgIndex, INT32_MIN);
}

TEST_F(SettingsLoadTest, SaveTabIndexWritesOnlyTheTabIndex)
{
    auto app = NewApplication();
    app->TabIndex = 1;
    app->SaveTabIndex();
    EXPECT_EQ(SubkeyNames(kProgramKey), Names{L"Common"});
    EXPECT_TRUE(ValueNames(kProgramKey).empty());
    EXPECT_EQ(ValueNames(Below(kProgramKey, L"Common")), Names{L"TabIndex"});
    EXPECT_EQ(StoredDword(Below(kProgramKey, L"Common"), L"TabIndex"), 1u);
    EXPECT_FALSE(KeyExists(kCommonKey));

    // Into existing settings: the others stay.
    PutDword(kProgramKey, L"SceneStrategy", 4);
    app->TabIndex = -1;
    app->SaveTabIndex();
    EXPECT_EQ(StoredDword(Below(kProgramKey, L"Common"), L"TabIndex"), 0xFFFFFFFEu);
    EXPECT_EQ(StoredDword(kProgramKey, L"SceneStrategy"), 4u);
}

TEST_F(SettingsLoadTest, ProgramKeyIsNamedAfterTheClassName)
{
    auto app = NewApplication(L"Nachtwebstuhl");
    app->TabIndex = 1;
    app->SaveTabIndex();
    EXPECT_EQ(SubkeyNames(Below(kBase, L"ScreenSaver")), Names{L"Nachtwebstuhl"});
}

TEST_F(SettingsLoadTest, SaveMaxTextureSizeWritesTheCommonKey)
{
    auto app = NewApplication();
    app->settings.OpenGL_MaxTextureSize = 16384;
    app->SaveMaxTextureSize();

    EXPECT_EQ(SubkeyNames(kBase), Names{L"Common"});
    EXPECT_EQ(ValueNames(kCommonKey), Names{L"OpenGL_MaxTextureSize"});
    EXPECT_EQ(StoredDword(L"Software\\Wow6432Node\\Velbrook\\Common", L"OpenGL_MaxTextureSize"), 16384u);
    EXPECT_FALSE(KeyExists(kProgramKey));

    EXPECT_EQ(LoadedApplication()->settings.OpenGL_MaxTextureSize, 16384);
}

#undef MEMBER

// --- Colours and over-long key names -------------------------------------------

TEST_F(SettingsLoadTest, BackColorFromTheTopHalfSurvivesLoadAndSave)
{
    const std::wstring colors = Below(kProgramKey, L"Colors");
    for (DWORD stored : {0x80000001u, 0xFFFFFFFEu}) {
        PutDword(colors, L"BackColor", stored);
        for (int round = 0; round < 2; ++round)
            LoadedApplication()->SaveSettings();
        EXPECT_EQ(StoredDword(colors, L"BackColor"), std::optional<DWORD>(stored)) << std::hex << stored;
        // Read through the signed mapping: 0x7FFFFFFF and above are taken as d + 1.
        EXPECT_EQ(LoadedApplication()->settings.BackColor, stored + 1u) << std::hex << stored;
    }
}

TEST_F(SettingsLoadTest, CustomColoursAreStoredAsTheyAre)
{
    const std::wstring colors = Below(kProgramKey, L"Colors");
    PutDword(colors, L"RgbColors03", 0xFFFFFFFEu);
    for (int round = 0; round < 2; ++round)
        LoadedApplication()->SaveSettings();
    EXPECT_EQ(StoredDword(colors, L"RgbColors03"), std::optional<DWORD>(0xFFFFFFFEu));
    EXPECT_EQ(LoadedApplication()->settings.RgbColors[3], 0xFFFFFFFEu);
}

TEST_F(SettingsLoadTest, ClassNameTooLongForTheProgramKeyIsRefusedNotCut)
{
    // "ScreenSaver\" and 95 characters do not fit the 99 of SettingsSubkey.
    const std::wstring longName(95, L'n');
    PutDword(kCommonKey, L"OpenGL_MaxTextureSize", 4096);
    auto app = NewApplication(longName.c_str());
    app->ResetSettings();
    app->LoadSettings();
    EXPECT_EQ(app->settings.OpenGL_MaxTextureSize, 2048) << "nothing is read without the program key";
    app->TabIndex = 1;
    app->SaveTabIndex();
    app->SaveSettings();
    app->settings.OpenGL_MaxTextureSize = 16384;
    app->SaveMaxTextureSize();
    EXPECT_FALSE(KeyExists(std::wstring(kBase) + L"\\ScreenSaver")) << "a key under a cut name was written";
    EXPECT_EQ(StoredDword(kCommonKey, L"OpenGL_MaxTextureSize"), std::optional<DWORD>(4096u));
}

} // namespace
