// RegistryStore against the real registry of the test prefix. Every test starts
// and ends without HKCU\Software\Wow6432Node\Velbrook.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "settings/registry_store.h"

namespace {

const wchar_t kBase[] = L"Software\\Wow6432Node\\Velbrook";
const wchar_t kProgram[] = L"ScreenSaver\\DriftlanternsApp";

std::wstring KeyBelowBase(const std::wstring& relative)
{
    return relative.empty() ? std::wstring(kBase) : std::wstring(kBase) + L"\\" + relative;
}

void DeleteVelbrookTree()
{
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, kBase);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
}

// Stores raw data of any type, creating the key (relative to the base path).
void PutRaw(const std::wstring& relativeKey, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    const std::wstring key = KeyBelowBase(relativeKey);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, type, data, size), ERROR_SUCCESS);
}

void PutDword(const std::wstring& relativeKey, const wchar_t* name, DWORD value)
{
    PutRaw(relativeKey, name, REG_DWORD, &value, sizeof value);
}

// Stores text as type `type`, with or without the terminating zero.
void PutText(const std::wstring& relativeKey, const wchar_t* name, const std::wstring& text,
             bool withTerminator, DWORD type = REG_SZ)
{
    if (withTerminator) {
        PutRaw(relativeKey, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        return;
    }
    // RegSetValueExW adds the terminator itself when the character after the
    // data is zero; a character other than zero there keeps the data as given.
    const std::wstring followed = text + L'#';
    PutRaw(relativeKey, name, type, followed.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

bool KeyExists(const std::wstring& relativeKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyBelowBase(relativeKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

struct RawValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RawValue QueryRaw(const std::wstring& relativeKey, const wchar_t* name)
{
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyBelowBase(relativeKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        value.found = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS;
        value.data.resize(size);
    }
    RegCloseKey(key);
    return value;
}

DWORD DwordOf(const RawValue& value)
{
    DWORD result = 0;
    if (value.data.size() == sizeof result)
        std::memcpy(&result, value.data.data(), sizeof result);
    return result;
}

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteVelbrookTree(); }
    void TearDown() override { DeleteVelbrookTree(); }

    // A store for the program key, as the settings use it.
    RegistryStore ProgramStore()
    {
        RegistryStore store;
        store.Open(kProgram);
        return store;
    }
};

TEST_F(RegistryStoreTest, NewStoreIsEmptyAndReadsNothing)
{
    PutDword(L"", L"Value", 17);
    RegistryStore store;
    EXPECT_EQ(store.text[0], L'\0');
    EXPECT_EQ(store.path[0], L'\0');
    EXPECT_EQ(store.access, 0u);
    EXPECT_EQ(store.root, nullptr);
    // Without Open there is no root key to read from.
    EXPECT_EQ(store.ReadDword(L"", L"Value", 5), 5u);
}

TEST_F(RegistryStoreTest, OpenBuildsThePathBelowTheCompanyKey)
{
    RegistryStore store;
    store.Open(kProgram);
    EXPECT_STREQ(store.path, L"Software\\Wow6432Node\\Velbrook\\ScreenSaver\\DriftlanternsApp");
    EXPECT_EQ(store.root, HKEY_CURRENT_USER);
    EXPECT_EQ(store.access, static_cast<std::uint32_t>(KEY_WOW64_64KEY));

    // A second Open starts over instead of appending.
    store.Open(L"Common");
    EXPECT_STREQ(store.path, L"Software\\Wow6432Node\\Velbrook\\Common");

    store.Open(L"");
    EXPECT_STREQ(store.path, L"Software\\Wow6432Node\\Velbrook");
}

TEST_F(RegistryStoreTest, ReadDwordReturnsStoredValuesOfTheNamedSubkey)
{
    PutDword(kProgram, L"Width", 1280);
    PutDword(std::wstring(kProgram) + L"\\Image", L"Width", 0xFFFFFFFEu);
    PutDword(std::wstring(kProgram) + L"\\Image", L"Zero", 0);

    RegistryStore store = ProgramStore();
    EXPECT_EQ(store.ReadDword(L"", L"Width", 7), 1280u);
    EXPECT_EQ(store.ReadDword(L"Image", L"Width", 7), 0xFFFFFFFEu);
    EXPECT_EQ(store.ReadDword(L"Image", L"Zero", 7), 0u);
}

TEST_F(RegistryStoreTest, ReadDwordGivesTheDefaultForAnythingButADword)
{
    const std::wstring image = std::wstring(kProgram) + L"\\Image";
    PutDword(image, L"Present", 3);
    // One character and its terminator: exactly four bytes, like a DWORD.
    PutText(image, L"AsText", L"7", true);
    const std::uint64_t quad = 0x0000000100000009ull;
    PutRaw(image, L"AsQword", REG_QWORD, &quad, sizeof quad);
    const BYTE fourBytes[4] = {9, 0, 0, 0};
    PutRaw(image, L"AsBinary", REG_BINARY, fourBytes, sizeof fourBytes);
    PutDword(kProgram, L"OnlyInParent", 4);

    RegistryStore store = ProgramStore();
    const std::uint32_t fallback = 0xA5A5A5A5u;
    EXPECT_EQ(store.ReadDword(L"Status", L"Present", fallback), fallback) << "missing key";
    EXPECT_EQ(store.ReadDword(L"Image", L"Absent", fallback), fallback) << "missing value";
    EXPECT_EQ(store.ReadDword(L"Image", L"AsText", fallback), fallback) << "REG_SZ";
    EXPECT_EQ(store.ReadDword(L"Image", L"AsQword", fallback), fallback) << "REG_QWORD";
    EXPECT_EQ(store.ReadDword(L"Image", L"AsBinary", fallback), fallback) << "REG_BINARY";
    EXPECT_EQ(store.ReadDword(L"Image", L"OnlyInParent", fallback), fallback) << "value of the parent key";
    EXPECT_EQ(store.ReadDword(L"Image", L"Present", fallback), 3u);

    std::uint32_t value = 42;
    EXPECT_FALSE(store.TryReadDword(L"Image", L"AsBinary", value));
    EXPECT_EQ(value, 42u);
}

TEST_F(RegistryStoreTest, WriteDwordCreatesTheKeyAndItsParents)
{
    ASSERT_FALSE(KeyExists(L""));
    RegistryStore store = ProgramStore();

    EXPECT_EQ(store.WriteDword(L"Status", L"SwitchDisplay", 1), WriteStatus::Written);
    EXPECT_EQ(static_cast<int>(WriteStatus::Written), 0);
    const RawValue inSubkey = QueryRaw(std::wstring(kProgram) + L"\\Status", L"SwitchDisplay");
    ASSERT_TRUE(inSubkey.found);
    EXPECT_EQ(inSubkey.type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(inSubkey.data.size(), 4u);
    EXPECT_EQ(DwordOf(inSubkey), 1u);

    EXPECT_EQ(store.WriteDword(L"", L"FullWidth", 0xFFFFFFFEu), WriteStatus::Written);
    const RawValue inProgramKey = QueryRaw(kProgram, L"FullWidth");
    ASSERT_TRUE(inProgramKey.found);
    EXPECT_EQ(inProgramKey.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(DwordOf(inProgramKey), 0xFFFFFFFEu);
    // Nothing lands beside the program key.
    EXPECT_FALSE(QueryRaw(L"", L"FullWidth").found);
    EXPECT_FALSE(QueryRaw(L"ScreenSaver", L"FullWidth").found);
}

TEST_F(RegistryStoreTest, WriteDwordOverwritesExistingValues)
{
    PutDword(kProgram, L"SceneStrategy", 5);
    PutText(kProgram, L"TabIndex", L"eins", true);

    RegistryStore store = ProgramStore();
    EXPECT_EQ(store.WriteDword(L"", L"SceneStrategy", 3), WriteStatus::Written);
    EXPECT_EQ(store.WriteDword(L"", L"TabIndex", 1), WriteStatus::Written);

    const RawValue scene = QueryRaw(kProgram, L"SceneStrategy");
    EXPECT_EQ(scene.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(DwordOf(scene), 3u);
    const RawValue tab = QueryRaw(kProgram, L"TabIndex");
    EXPECT_EQ(tab.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(DwordOf(tab), 1u);
    EXPECT_EQ(store.ReadDword(L"", L"TabIndex", 9), 1u);
}

TEST_F(RegistryStoreTest, KeyPathTooLongForTheBufferIsRefusedNotShortened)
{
    // Base path (29) + "\" + 225 characters = 255; with "\Image" the key path
    // needs 261 characters and would have to be cut.
    const std::wstring longSubpath(225, L'k');
    RegistryStore store;
    store.Open(longSubpath.c_str());
    ASSERT_EQ(std::wcslen(store.path), 255u);

    EXPECT_EQ(store.WriteDword(L"Image", L"AdjustmentNo", 1), WriteStatus::KeyUnavailable);
    EXPECT_EQ(store.WriteLogoPath(L"C:\\x.bmp"), WriteStatus::KeyUnavailable);
    EXPECT_FALSE(KeyExists(longSubpath)) << "a shortened key was created";
    EXPECT_EQ(store.ReadDword(L"Image", L"AdjustmentNo", 2), 2u);
}

TEST_F(RegistryStoreTest, SubpathTooLongForTheBufferIsRefusedNotShortened)
{
    // Base path (29) + "\" + 240 characters needs 270 of the 259 the path holds.
    const std::wstring longSubpath(240, L'k');
    RegistryStore store;
    store.Open(longSubpath.c_str());
    EXPECT_STREQ(store.path, L"");
    EXPECT_EQ(store.root, nullptr);

    EXPECT_EQ(store.WriteDword(L"", L"TabIndex", 1), WriteStatus::KeyUnavailable);
    EXPECT_FALSE(KeyExists(L"")) << "a shortened key was created";
    PutDword(L"", L"TabIndex", 7);
    EXPECT_EQ(store.ReadDword(L"", L"TabIndex", 2), 2u) << "read from the base key instead";
}

// --- LogoPath ---------------------------------------------------------------

const wchar_t kImage[] = L"ScreenSaver\\DriftlanternsApp\\Image";

TEST_F(RegistryStoreTest, LogoPathOf259CharactersIsReadWhole)
{
    std::wstring path = L"C:\\";
    path.resize(259, L'b');
    PutText(kImage, L"LogoPath", path, true);

    RegistryStore store = ProgramStore();
    const wchar_t* read = store.ReadLogoPath();
    EXPECT_EQ(read, store.text);
    EXPECT_EQ(std::wstring(read), path);
}

TEST_F(RegistryStoreTest, LogoPathOf260CharactersOrNotRegSzReadsAsEmpty)
{
    RegistryStore store = ProgramStore();

    PutText(kImage, L"LogoPath", std::wstring(260, L'c'), true);
    EXPECT_STREQ(store.ReadLogoPath(), L"") << "260 characters and terminator";

    PutText(kImage, L"LogoPath", std::wstring(400, L'c'), true);
    EXPECT_STREQ(store.ReadLogoPath(), L"") << "400 characters";

    PutText(kImage, L"LogoPath", L"%SystemRoot%\\logo.bmp", true, REG_EXPAND_SZ);
    EXPECT_STREQ(store.ReadLogoPath(), L"") << "REG_EXPAND_SZ";

    const DWORD number = 0x00430041; // "AC" in UTF-16
    PutRaw(kImage, L"LogoPath", REG_DWORD, &number, sizeof number);
    EXPECT_STREQ(store.ReadLogoPath(), L"") << "REG_DWORD";
}

TEST_F(RegistryStoreTest, LogoPathIsReadOnlyFromTheImageSubkey)
{
    PutText(kProgram, L"LogoPath", L"C:\\falsch.bmp", true);
    RegistryStore store = ProgramStore();
    EXPECT_STREQ(store.ReadLogoPath(), L"");
}

TEST_F(RegistryStoreTest, LogoPathFillingTheBufferWithoutTerminatorReadsAsEmpty)
{
    // 260 characters without a terminator: exactly the 520 bytes of the buffer.
    PutText(kImage, L"LogoPath", std::wstring(260, L'd'), false);
    ASSERT_EQ(QueryRaw(kImage, L"LogoPath").data.size(), 520u);

    RegistryStore store = ProgramStore();
    const std::wstring pathBefore = store.path;
    const wchar_t* read = store.ReadLogoPath();
    EXPECT_EQ(read, store.text);
    EXPECT_STREQ(read, L"");
    // The members after the buffer are untouched: nothing was terminated or
    // copied beyond the 260 characters.
    EXPECT_EQ(store.access, static_cast<std::uint32_t>(KEY_WOW64_64KEY));
    EXPECT_EQ(std::wstring(store.path), pathBefore);
    EXPECT_EQ(store.root, HKEY_CURRENT_USER);
}

TEST_F(RegistryStoreTest, ShortLogoPathWithoutTerminatorIsTerminated)
{
    RegistryStore store = ProgramStore();
    // Leave a long text in the buffer first, so that a missing terminator shows.
    PutText(kImage, L"LogoPath", std::wstring(259, L'x'), true);
    ASSERT_EQ(std::wcslen(store.ReadLogoPath()), 259u);

    PutText(kImage, L"LogoPath", L"C:\\a.bmp", false);
    ASSERT_EQ(QueryRaw(kImage, L"LogoPath").data.size(), 16u);
    EXPECT_STREQ(store.ReadLogoPath(), L"C:\\a.bmp");

    // 259 characters without a terminator still fit once terminated.
    PutText(kImage, L"LogoPath", std::wstring(259, L'y'), false);
    EXPECT_EQ(std::wstring(store.ReadLogoPath()), std::wstring(259, L'y'));
}

TEST_F(RegistryStoreTest, ReadLogoPathForgetsAnEarlierText)
{
    RegistryStore store = ProgramStore();
    PutText(kImage, L"LogoPath", L"C:\\erst.bmp", true);
    ASSERT_STREQ(store.ReadLogoPath(), L"C:\\erst.bmp");

    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, KeyBelowBase(kImage).c_str()), ERROR_SUCCESS);
    EXPECT_STREQ(store.ReadLogoPath(), L"") << "missing key";

    PutDword(kImage, L"Other", 1);
    EXPECT_STREQ(store.ReadLogoPath(), L"") << "missing value";
}

TEST_F(RegistryStoreTest, WriteLogoPathStoresRegSzWithTerminator)
{
    const std::wstring path = L"C:\\Bilder\\M\u00e4rz.bmp";
    RegistryStore store = ProgramStore();
    EXPECT_EQ(store.WriteLogoPath(path.c_str()), WriteStatus::Written);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, KeyBelowBase(kImage).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"LogoPath", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    wchar_t data[300] = {};
    DWORD dataSize = sizeof data;
    EXPECT_EQ(RegQueryValueExW(key, L"LogoPath", nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize),
              ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, (path.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(data), path);
    EXPECT_EQ(data[path.size()], L'\0');
    EXPECT_STREQ(store.ReadLogoPath(), path.c_str());
}

TEST_F(RegistryStoreTest, WriteLogoPathOfEmptyAndLongestPaths)
{
    RegistryStore store = ProgramStore();
    EXPECT_EQ(store.WriteLogoPath(L""), WriteStatus::Written);
    RawValue empty = QueryRaw(kImage, L"LogoPath");
    EXPECT_EQ(empty.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(empty.data.size(), 2u);

    const std::wstring longest(259, L'z');
    EXPECT_EQ(store.WriteLogoPath(longest.c_str()), WriteStatus::Written);
    EXPECT_EQ(QueryRaw(kImage, L"LogoPath").data.size(), 520u);
    EXPECT_EQ(std::wstring(store.ReadLogoPath()), longest);
}

} // namespace
