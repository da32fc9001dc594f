// probe: looks at and drives the windows of another process for the end-to-end
// tests, which run on Linux and call it under Wine.
//
// Every command reports one JSON object: to FILE with --out FILE, else to
// stdout. The text is plain ASCII (other characters as \uXXXX escapes), since a
// console pipe under Wine may drop the rest. Single values are strings, as the
// tests compare them as text ("1", "0,0,800,600"); several windows come as an
// array of objects, a window tree as objects with a "children" array.
//
// Exit codes: 0 success, 1 the window waited for did not appear (or did not go
// away) in time or an operation failed, 2 bad usage.
//
// A new command is a function taking (const Args&, Report&) plus one line in
// Commands() with its name, its options and its usage.

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>
#include <GL/gl.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gdi_handle_table.h"
#include "process_counts.h"

namespace {

enum ExitCode { kSuccess = 0, kNotFound = 1, kBadUsage = 2 };

constexpr DWORD kPollMs = 20;
constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr DWORD kGoneTimeoutMs = 5000;
constexpr UINT kSendTimeoutMs = 5000;
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr wchar_t kPictureClass[] = L"ProbePicture";
constexpr wchar_t kDestroyPreviewMessage[] = L"ScrprevDestroyPreview";

// ---------------------------------------------------------------------------
// Report: a JSON object, written once at the end. A key set twice keeps its
// first place and takes the later value.

class Report {
public:
    void Add(const std::wstring& key, const std::wstring& value) { Set(key, Quote(value)); }
    void AddNumber(const std::wstring& key, long long value) { Add(key, std::to_wstring(value)); }
    void AddObject(const std::wstring& key, const Report& object) { Set(key, object.Json()); }
    void AddList(const std::wstring& key, const std::vector<Report>& objects);
    std::wstring Json() const;
    bool WriteTo(const std::wstring& path) const;
    void WriteToStdout() const;

private:
    void Set(const std::wstring& key, const std::wstring& json);
    static std::wstring Quote(const std::wstring& value);
    std::vector<std::pair<std::wstring, std::wstring>> fields_;
};

std::wstring Hex(unsigned long long value, int digits);

std::wstring Report::Quote(const std::wstring& value)
{
    std::wstring out = L"\"";
    for (wchar_t c : value) {
        switch (c) {
        case L'"': out += L"\\\""; break;
        case L'\\': out += L"\\\\"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\t': out += L"\\t"; break;
        default:
            // UTF-16 code units as they are: a surrogate pair becomes the two
            // escapes JSON expects.
            if (c < 0x20 || c >= 0x7F) {
                out += L"\\u" + Hex(c, 4);
            } else {
                out.push_back(c);
            }
            break;
        }
    }
    return out + L"\"";
}

void Report::Set(const std::wstring& key, const std::wstring& json)
{
    for (auto& field : fields_) {
        if (field.first == key) {
            field.second = json;
            return;
        }
    }
    fields_.emplace_back(key, json);
}

void Report::AddList(const std::wstring& key, const std::vector<Report>& objects)
{
    std::wstring json = L"[";
    for (size_t i = 0; i < objects.size(); ++i) {
        json += (i ? L", " : L"") + objects[i].Json();
    }
    Set(key, json + L"]");
}

std::wstring Report::Json() const
{
    std::wstring json = L"{";
    for (size_t i = 0; i < fields_.size(); ++i) {
        json += (i ? L", " : L"") + Quote(fields_[i].first) + L": " + fields_[i].second;
    }
    return json + L"}";
}

std::wstring Hex(unsigned long long value, int digits)
{
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text(static_cast<size_t>(digits), L'0');
    for (int i = digits - 1; i >= 0; --i) {
        text[static_cast<size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return text;
}

// The JSON text is ASCII: each wide character is one byte.
std::string AsciiJson(const Report& report)
{
    std::string bytes;
    for (wchar_t c : report.Json()) {
        bytes.push_back(static_cast<char>(c));
    }
    return bytes + "\n";
}

bool Report::WriteTo(const std::wstring& path) const
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) {
        return false;
    }
    const std::string bytes = AsciiJson(*this);
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

void Report::WriteToStdout() const
{
    const std::string bytes = AsciiJson(*this);
    // Binary mode: the tests read plain line feeds.
    _setmode(_fileno(stdout), _O_BINARY);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

// ---------------------------------------------------------------------------
// Arguments: positional words, and options "--name value".

struct Args {
    std::vector<std::wstring> words;
    std::map<std::wstring, std::wstring> options;

    bool Has(const wchar_t* name) const { return options.count(name) != 0; }
    std::wstring Get(const wchar_t* name) const
    {
        auto it = options.find(name);
        return it == options.end() ? std::wstring() : it->second;
    }
};

bool ParseArgs(int argc, wchar_t** argv, Args& args)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring word = argv[i];
        if (word.size() > 2 && word.compare(0, 2, L"--") == 0) {
            if (i + 1 >= argc) {
                return false;
            }
            args.options[word.substr(2)] = argv[++i];
        } else {
            args.words.push_back(word);
        }
    }
    return true;
}

// Whole-string integers: decimal, or hexadecimal after "0x"; a sign is allowed.
bool ParseInteger(const std::wstring& text, long long& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    int base = 10;
    if (text.size() > i + 2 && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size() || text.size() - i > 16) {
        return false;
    }
    unsigned long long magnitude = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        int digit = -1;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = c - L'a' + 10;
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = c - L'A' + 10;
        }
        if (digit < 0) {
            return false;
        }
        magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}

bool ParseMilliseconds(const std::wstring& text, DWORD& ms)
{
    long long value = 0;
    if (!ParseInteger(text, value) || value < 0 || value > 0x7FFFFFFF) {
        return false;
    }
    ms = static_cast<DWORD>(value);
    return true;
}

// The optional option NAME as milliseconds, or the fallback when it is absent.
bool OptionalMilliseconds(const Args& args, const wchar_t* name, DWORD fallback, DWORD& ms)
{
    ms = fallback;
    return !args.Has(name) || ParseMilliseconds(args.Get(name), ms);
}

// Window handles travel as decimal numbers, sign-extended like the saver reads them.
bool ParseWindow(const std::wstring& text, HWND& window)
{
    long long value = 0;
    if (!ParseInteger(text, value)) {
        return false;
    }
    window = reinterpret_cast<HWND>(static_cast<INT_PTR>(value));
    return true;
}

long long HandleNumber(HWND window)
{
    return static_cast<long long>(reinterpret_cast<INT_PTR>(window));
}

// ---------------------------------------------------------------------------
// Window helpers.

// Polls until done() answers true or the time is up; true when it answered true.
template <typename Done>
bool WaitFor(DWORD timeoutMs, Done done)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount64() - start >= timeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
}

// The window's own title as the system keeps it; sends no message, so a hung
// window cannot block the probe.
std::wstring WindowTitle(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

// A control's text, asked of the control itself (the system carries WM_GETTEXT
// across processes); falls back to the stored title.
std::wstring ControlText(HWND control)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) {
        return WindowTitle(control);
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
            SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied)) {
        return WindowTitle(control);
    }
    return std::wstring(buffer.data(), std::min<size_t>(static_cast<size_t>(copied), buffer.size() - 1));
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<size_t>(length > 0 ? length : 0));
}

std::wstring JoinNumbers(std::initializer_list<long long> numbers)
{
    std::wstring text;
    for (long long n : numbers) {
        if (!text.empty()) {
            text += L',';
        }
        text += std::to_wstring(n);
    }
    return text;
}

void DescribeWindow(Report& report, HWND window)
{
    RECT rect = {};
    RECT client = {};
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);

    report.AddNumber(L"hwnd", HandleNumber(window));
    report.Add(L"class", ClassOf(window));
    report.Add(L"title", WindowTitle(window));
    report.AddNumber(L"visible", IsWindowVisible(window) ? 1 : 0);
    report.Add(L"rect", JoinNumbers({rect.left, rect.top, rect.right, rect.bottom}));
    report.Add(L"client", JoinNumbers({client.right - client.left, client.bottom - client.top}));
    report.Add(L"style", L"0x" + Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), 8));
    report.Add(L"exstyle", L"0x" + Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), 8));
    report.AddNumber(L"parent", HandleNumber(GetAncestor(window, GA_PARENT)));
    report.AddNumber(L"id", static_cast<long long>(GetWindowLongPtrW(window, GWLP_ID)));
    report.AddNumber(L"pid", pid);
}

// FindWindowW compares titles without regard to case; this one insists on an
// exact match. An empty title pointer matches any title.
HWND FindTopLevel(const std::wstring& className, const std::wstring* title)
{
    HWND window = nullptr;
    for (;;) {
        window = FindWindowExW(nullptr, window, className.c_str(), title ? title->c_str() : nullptr);
        if (!window || !title || WindowTitle(window) == *title) {
            return window;
        }
    }
}

// ---------------------------------------------------------------------------
// Message boxes.

struct ButtonName {
    int id;
    const wchar_t* name;
};

const ButtonName kButtons[] = {{IDOK, L"ok"}, {IDCANCEL, L"cancel"}, {IDYES, L"yes"}, {IDNO, L"no"}};

// The box's text: the static control a message box gives the id 0xFFFF, or
// else the first static with text (the icon's static has none).
std::wstring BoxText(HWND box)
{
    HWND text = GetDlgItem(box, kMessageBoxTextId);
    if (text) {
        return ControlText(text);
    }
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0) {
            const std::wstring value = ControlText(child);
            if (!value.empty()) {
                return value;
            }
        }
    }
    return std::wstring();
}

// Only visible buttons count: a box may keep unused buttons hidden.
std::wstring BoxButtons(HWND box)
{
    std::wstring names;
    for (const ButtonName& button : kButtons) {
        HWND control = GetDlgItem(box, button.id);
        if (control && IsWindowVisible(control)) {
            if (!names.empty()) {
                names += L',';
            }
            names += button.name;
        }
    }
    return names;
}

void DescribeBox(Report& report, HWND box)
{
    report.AddNumber(L"hwnd", HandleNumber(box));
    report.Add(L"caption", WindowTitle(box));
    report.Add(L"text", BoxText(box));
    report.Add(L"buttons", BoxButtons(box));
    report.AddNumber(L"owner", HandleNumber(GetWindow(box, GW_OWNER)));
}

// A box is found as soon as it exists; its buttons are settled once it shows.
HWND WaitForBox(const std::wstring& caption, DWORD timeoutMs)
{
    const ULONGLONG start = GetTickCount64();
    HWND box = nullptr;
    if (!WaitFor(timeoutMs, [&] { return (box = FindTopLevel(kDialogClass, &caption)) != nullptr; })) {
        return nullptr;
    }
    const ULONGLONG spent = GetTickCount64() - start;
    const DWORD left = spent < timeoutMs ? static_cast<DWORD>(timeoutMs - spent) : 0;
    WaitFor(left, [&] { return !IsWindow(box) || IsWindowVisible(box); });
    return box;
}

bool PressButton(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    if (button) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0;
    }
    return PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) != 0;
}

int ButtonId(const std::wstring& name)
{
    for (const ButtonName& button : kButtons) {
        if (name == button.name) {
            return button.id;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Commands. Each checks its own arguments and fills the report.

int CommandBox(const Args& args, Report& report)
{
    DWORD timeout = 0;
    const std::wstring press = args.Has(L"press") ? args.Get(L"press") : L"ok";
    const int id = ButtonId(press);
    if (args.words.size() != 2 || !OptionalMilliseconds(args, L"timeout", kDefaultTimeoutMs, timeout) ||
        (id == 0 && press != L"none")) {
        return kBadUsage;
    }
    HWND box = WaitForBox(args.words[1], timeout);
    if (!box) {
        report.Add(L"error", L"no box with this caption appeared");
        return kNotFound;
    }
    DescribeBox(report, box);
    if (id == 0) {
        return kSuccess;
    }
    report.Add(L"pressed", press);
    if (!PressButton(box, id)) {
        report.Add(L"error", L"the button could not be pressed");
        return kNotFound;
    }
    const bool gone = WaitFor(kGoneTimeoutMs, [&] { return !IsWindow(box); });
    report.AddNumber(L"gone", gone ? 1 : 0);
    return gone ? kSuccess : kNotFound;
}

int CommandNoBox(const Args& args, Report& report)
{
    DWORD period = 0;
    if (args.words.size() != 2 || !args.Has(L"for") || !ParseMilliseconds(args.Get(L"for"), period)) {
        return kBadUsage;
    }
    HWND box = WaitForBox(args.words[1], period);
    report.AddNumber(L"found", box ? 1 : 0);
    if (!box) {
        return kSuccess;
    }
    DescribeBox(report, box);
    return kNotFound;
}

// run PROGRAM [ARGS...]: starts the program and watches it until it ends,
// noting every box it shows while it lives (and pressing it, so that it can go
// on). A box shown by a program that has already ended cannot be seen
// afterwards, so a "no box" check has to watch the run itself.
struct ProcessDialogs {
    DWORD pid = 0;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data)
{
    ProcessDialogs& search = *reinterpret_cast<ProcessDialogs*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search.pid && ClassOf(window) == kDialogClass && IsWindowVisible(window)) {
        search.found.push_back(window);
    }
    return TRUE;
}

// A word of the command line, quoted when it holds a blank (as Wine's own
// start does it).
std::wstring CommandLineWord(const std::wstring& word)
{
    return word.find(L' ') == std::wstring::npos ? word : L"\"" + word + L"\"";
}

HMODULE LoadHookLibrary();

constexpr wchar_t kHookNotedAtom[] = L"ProbeHookNoted";

// --hook NAME: a CBT hook procedure of probe_hook.dll on the started program's
// main thread from its first instruction on (the program starts suspended). A
// hook that saw what it waited for leaves the atom kHookNotedAtom behind.
class RunHook {
public:
    RunHook() = default;
    RunHook(const RunHook&) = delete;
    RunHook& operator=(const RunHook&) = delete;
    ~RunHook()
    {
        if (hook_) {
            UnhookWindowsHookEx(hook_);
        }
        if (library_) {
            FreeLibrary(library_);
        }
        ClearNote();
    }

    bool Set(const std::wstring& name, DWORD threadId)
    {
        ClearNote();
        std::string narrowName;
        for (wchar_t c : name) {
            narrowName.push_back(static_cast<char>(c));
        }
        library_ = LoadHookLibrary();
        const auto procedure = library_ ? reinterpret_cast<HOOKPROC>(
            reinterpret_cast<void*>(GetProcAddress(library_, narrowName.c_str()))) : nullptr;
        hook_ = procedure ? SetWindowsHookExW(WH_CBT, procedure, library_, threadId) : nullptr;
        return hook_ != nullptr;
    }

    bool Noted() const { return GlobalFindAtomW(kHookNotedAtom) != 0; }

private:
    static void ClearNote()
    {
        for (ATOM stale; (stale = GlobalFindAtomW(kHookNotedAtom)) != 0;) {
            GlobalDeleteAtom(stale);
        }
    }

    HMODULE library_ = nullptr;
    HHOOK hook_ = nullptr;
};

int CommandRun(const Args& args, Report& report)
{
    DWORD timeout = 0;
    if (args.words.size() < 2 || !OptionalMilliseconds(args, L"timeout", kDefaultTimeoutMs, timeout)) {
        return kBadUsage;
    }
    std::wstring commandLine;
    for (size_t i = 1; i < args.words.size(); ++i) {
        commandLine += (i > 1 ? L" " : L"") + CommandLineWord(args.words[i]);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const bool hooked = args.Has(L"hook");
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, hooked ? CREATE_SUSPENDED : 0, nullptr,
            nullptr, &startup, &process)) {
        report.Add(L"error", L"the program could not be started");
        return kNotFound;
    }
    RunHook hook;
    if (hooked && !hook.Set(args.Get(L"hook"), process.dwThreadId)) {
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        report.Add(L"error", L"the CBT hook could not be set");
        return kNotFound;
    }
    if (hooked) {
        ResumeThread(process.hThread);
    }
    std::vector<Report> boxes;
    std::set<HWND> seen;
    const bool ended = WaitFor(timeout, [&] {
        ProcessDialogs search;
        search.pid = process.dwProcessId;
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
        for (HWND box : search.found) {
            if (seen.insert(box).second) {
                Report described;
                DescribeBox(described, box);
                boxes.push_back(described);
                if (!PressButton(box, IDOK)) {
                    PressButton(box, IDCANCEL);
                }
            }
        }
        return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    });
    DWORD exitCode = 0;
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kGoneTimeoutMs);
        report.Add(L"error", L"the program was still running");
    }
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    report.AddNumber(L"exit", static_cast<long long>(exitCode));
    report.AddList(L"boxes", boxes);
    if (hooked) {
        report.AddNumber(L"hook-noted", hook.Noted() ? 1 : 0);
    }
    return ended ? kSuccess : kNotFound;
}

// window CLASS --count N: waits until at least N top-level windows of the
// class exist (several instances of one program) and lists them all.
int WaitForWindows(const Args& args, const std::wstring* title, DWORD timeoutMs, Report& report)
{
    long long wanted = 0;
    if (!ParseInteger(args.Get(L"count"), wanted) || wanted < 1) {
        return kBadUsage;
    }
    std::vector<HWND> windows;
    const bool found = WaitFor(timeoutMs, [&] {
        windows.clear();
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, args.words[1].c_str(), nullptr));) {
            if (!title || WindowTitle(window) == *title) {
                windows.push_back(window);
            }
        }
        return static_cast<long long>(windows.size()) >= wanted;
    });
    std::vector<Report> described;
    for (HWND window : windows) {
        Report one;
        DescribeWindow(one, window);
        described.push_back(one);
    }
    report.AddNumber(L"count", static_cast<long long>(windows.size()));
    report.AddList(L"windows", described);
    if (!found) {
        report.Add(L"error", L"fewer windows appeared");
    }
    return found ? kSuccess : kNotFound;
}

int CommandWindow(const Args& args, Report& report)
{
    DWORD timeout = 0;
    if (args.words.size() != 2 || !OptionalMilliseconds(args, L"timeout", kDefaultTimeoutMs, timeout)) {
        return kBadUsage;
    }
    const std::wstring title = args.Get(L"title");
    const std::wstring* wanted = args.Has(L"title") ? &title : nullptr;
    if (args.Has(L"count")) {
        return WaitForWindows(args, wanted, timeout, report);
    }
    HWND window = nullptr;
    if (!WaitFor(timeout, [&] { return (window = FindTopLevel(args.words[1], wanted)) != nullptr; })) {
        report.Add(L"error", L"no such window appeared");
        return kNotFound;
    }
    DescribeWindow(report, window);
    return kSuccess;
}

int CommandChild(const Args& args, Report& report)
{
    HWND parent = nullptr;
    DWORD timeout = 0;
    if (args.words.size() != 2 || !ParseWindow(args.words[1], parent) ||
        !OptionalMilliseconds(args, L"timeout", 0, timeout)) {
        return kBadUsage;
    }
    HWND child = nullptr;
    if (!WaitFor(timeout, [&] { return (child = GetWindow(parent, GW_CHILD)) != nullptr; })) {
        report.Add(L"error", IsWindow(parent) ? L"the window has no child" : L"no such window");
        return kNotFound;
    }
    DescribeWindow(report, child);
    return kSuccess;
}

// Direct children only, in the order GW_CHILD and GW_HWNDNEXT give them.
std::vector<Report> DescribeChildren(HWND parent, int depth)
{
    std::vector<Report> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Report described;
        DescribeWindow(described, child);
        if (depth > 1) {
            described.AddList(L"children", DescribeChildren(child, depth - 1));
        }
        children.push_back(described);
    }
    return children;
}

// children HWND: the direct children; tree HWND: the window and every window
// below it (to a depth that no real tree reaches).
int ReportChildren(const Args& args, Report& report, int depth)
{
    HWND parent = nullptr;
    if (args.words.size() != 2 || !ParseWindow(args.words[1], parent)) {
        return kBadUsage;
    }
    if (!IsWindow(parent)) {
        report.Add(L"error", L"no such window");
        return kNotFound;
    }
    if (depth > 1) {
        DescribeWindow(report, parent);
    }
    report.AddList(L"children", DescribeChildren(parent, depth));
    return kSuccess;
}

int CommandChildren(const Args& args, Report& report) { return ReportChildren(args, report, 1); }

int CommandTree(const Args& args, Report& report) { return ReportChildren(args, report, 16); }

// The window a click at screen point X, Y would reach.
int CommandHit(const Args& args, Report& report)
{
    long long x = 0;
    long long y = 0;
    if (args.words.size() != 3 || !ParseInteger(args.words[1], x) || !ParseInteger(args.words[2], y)) {
        return kBadUsage;
    }
    const POINT point = {static_cast<LONG>(x), static_cast<LONG>(y)};
    HWND window = WindowFromPoint(point);
    if (!window) {
        report.Add(L"error", L"no window there");
        return kNotFound;
    }
    DescribeWindow(report, window);
    return kSuccess;
}

int CommandWaitGone(const Args& args, Report& report)
{
    DWORD timeout = 0;
    if (args.words.size() != 2 || !OptionalMilliseconds(args, L"timeout", kDefaultTimeoutMs, timeout)) {
        return kBadUsage;
    }
    const bool gone = WaitFor(timeout, [&] { return FindWindowW(args.words[1].c_str(), nullptr) == nullptr; });
    report.AddNumber(L"gone", gone ? 1 : 0);
    return gone ? kSuccess : kNotFound;
}

int CommandClose(const Args& args, Report& report)
{
    HWND window = nullptr;
    if (args.words.size() != 2 || !ParseWindow(args.words[1], window)) {
        return kBadUsage;
    }
    const bool posted = PostMessageW(window, WM_CLOSE, 0, 0) != 0;
    report.AddNumber(L"posted", posted ? 1 : 0);
    return posted ? kSuccess : kNotFound;
}

// Only the thread that created a window can destroy it, so the probe asks the
// top-level window (our preview host) to destroy its child that holds HWND.
// When HWND is the host itself, the host removes its preview screen.
int CommandDestroyChild(const Args& args, Report& report)
{
    HWND window = nullptr;
    if (args.words.size() != 2 || !ParseWindow(args.words[1], window)) {
        return kBadUsage;
    }
    const UINT message = RegisterWindowMessageW(kDestroyPreviewMessage);
    HWND host = GetAncestor(window, GA_ROOT);
    if (!message || !host) {
        report.Add(L"error", L"no such window");
        return kNotFound;
    }
    const WPARAM target = host == window ? 0 : reinterpret_cast<WPARAM>(window);
    DWORD_PTR result = 0;
    const bool sent = SendMessageTimeoutW(host, message, target, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0;
    report.AddNumber(L"host", HandleNumber(host));
    report.AddNumber(L"result", sent ? static_cast<long long>(result) : 0);
    return sent && result == 1 ? kSuccess : kNotFound;
}

int CommandScreenSaver(const Args& args, Report& report)
{
    if (args.words.size() == 2 && args.words[1] == L"get") {
        BOOL active = FALSE;
        if (!SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0)) {
            report.Add(L"error", L"SPI_GETSCREENSAVEACTIVE failed");
            return kNotFound;
        }
        report.AddNumber(L"active", active ? 1 : 0);
        // Whether the system counts a screensaver as running: the saver never
        // sets it, so it must read the same before and after any run.
        BOOL running = FALSE;
        if (SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) {
            report.AddNumber(L"running", running ? 1 : 0);
        }
        return kSuccess;
    }
    if (args.words.size() == 3 && args.words[1] == L"set" && (args.words[2] == L"0" || args.words[2] == L"1")) {
        const UINT active = args.words[2] == L"1" ? TRUE : FALSE;
        // fWinIni 0: the flag changes for this session only, as the saver does it.
        if (!SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active, nullptr, 0)) {
            report.Add(L"error", L"SPI_SETSCREENSAVEACTIVE failed");
            return kNotFound;
        }
        report.AddNumber(L"active", active);
        return kSuccess;
    }
    return kBadUsage;
}

int CommandDisplay(const Args& args, Report& report)
{
    if (args.words.size() != 1) {
        return kBadUsage;
    }
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        report.Add(L"error", L"EnumDisplaySettingsW failed");
        return kNotFound;
    }
    report.AddNumber(L"width", mode.dmPelsWidth);
    report.AddNumber(L"height", mode.dmPelsHeight);
    report.AddNumber(L"bits", mode.dmBitsPerPel);
    report.AddNumber(L"frequency", mode.dmDisplayFrequency);

    // The index is bounded in case a driver never says "no more".
    long long count = 0;
    DEVMODEW each = {};
    each.dmSize = sizeof(each);
    while (count < 100000 && EnumDisplaySettingsW(nullptr, static_cast<DWORD>(count), &each)) {
        ++count;
    }
    report.AddNumber(L"modes", count);

    HDC screen = GetDC(nullptr);
    report.AddNumber(L"logpixels", screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0);
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return kSuccess;
}

int CommandCursor(const Args& args, Report& report)
{
    if (args.words.size() != 1) {
        return kBadUsage;
    }
    CURSORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetCursorInfo(&info)) {
        report.Add(L"error", L"GetCursorInfo failed");
        return kNotFound;
    }
    report.AddNumber(L"showing", (info.flags & CURSOR_SHOWING) ? 1 : 0);
    report.Add(L"pos", JoinNumbers({info.ptScreenPos.x, info.ptScreenPos.y}));
    return kSuccess;
}

// Posted key messages carry a repeat count of 1 and the scan code; the key-up
// message also has the previous-state and transition bits set.
int CommandSendKey(const Args& args, Report& report)
{
    HWND window = nullptr;
    long long key = 0;
    if (args.words.size() != 3 || !ParseWindow(args.words[1], window) || !ParseInteger(args.words[2], key) ||
        key < 1 || key > 254) {
        return kBadUsage;
    }
    const UINT scanCode = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scanCode & 0xFF) << 16);
    const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    const bool posted = PostMessageW(window, WM_KEYDOWN, static_cast<WPARAM>(key), down) &&
                        PostMessageW(window, WM_KEYUP, static_cast<WPARAM>(key), up);
    report.AddNumber(L"posted", posted ? 1 : 0);
    return posted ? kSuccess : kNotFound;
}

// probe_hook.dll, next to the probe, notes in this global atom that a system
// command reached DefWindowProc.
constexpr wchar_t kDefaultSysCommandAtom[] = L"ProbeSysCommandReachedDefault";

HMODULE LoadHookLibrary()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return LoadLibraryW((folder + L"probe_hook.dll").c_str());
}

// Sends the command and reports the window's answer and whether the command
// went on to the default handling ("default" 1) or the window kept it (0).
int CommandSysCommand(const Args& args, Report& report)
{
    HWND window = nullptr;
    long long command = 0;
    long long lParam = 0;
    if (args.words.size() != 3 || !ParseWindow(args.words[1], window) || !ParseInteger(args.words[2], command) ||
        (args.Has(L"lparam") && !ParseInteger(args.Get(L"lparam"), lParam))) {
        return kBadUsage;
    }
    for (ATOM stale; (stale = GlobalFindAtomW(kDefaultSysCommandAtom)) != 0;) {
        GlobalDeleteAtom(stale);
    }
    HMODULE hooks = LoadHookLibrary();
    const auto note = hooks ? reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(hooks, "NoteDefaultSysCommand"))) : nullptr;
    HHOOK hook = note ? SetWindowsHookExW(WH_CBT, note, hooks, GetWindowThreadProcessId(window, nullptr)) : nullptr;
    if (!hook) {
        if (hooks) {
            FreeLibrary(hooks);
        }
        report.Add(L"error", L"the CBT hook could not be set");
        return kNotFound;
    }
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutW(window, WM_SYSCOMMAND, static_cast<WPARAM>(command),
        static_cast<LPARAM>(lParam), SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0;
    UnhookWindowsHookEx(hook);
    FreeLibrary(hooks);
    const ATOM noted = GlobalFindAtomW(kDefaultSysCommandAtom);
    if (noted) {
        GlobalDeleteAtom(noted);
    }
    if (!answered) {
        report.Add(L"error", L"WM_SYSCOMMAND was not answered");
        return kNotFound;
    }
    report.AddNumber(L"result", static_cast<long long>(static_cast<LRESULT>(result)));
    report.AddNumber(L"default", noted ? 1 : 0);
    return kSuccess;
}

// ---------------------------------------------------------------------------
// show-picture: a known picture over the whole virtual screen, so that a
// desktop snapshot has something to capture (Wine captures only what Wine
// windows show). Either one colour, or four quadrants whose top and bottom and
// left and right all differ, so a flipped or mirrored snapshot shows, or a
// BMP file stretched over the screen, a desktop for screenshots.

const COLORREF kQuadrantColours[4] = {
    RGB(230, 40, 40),  // top left
    RGB(40, 200, 40),  // top right
    RGB(40, 40, 230),  // bottom left
    RGB(230, 230, 40), // bottom right
};

bool ParseColour(std::wstring text, COLORREF& colour)
{
    if (!text.empty() && text[0] == L'#') {
        text.erase(0, 1);
    }
    long long value = 0;
    if (text.size() != 6 || text.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos ||
        !ParseInteger(L"0x" + text, value)) {
        return false;
    }
    colour = RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    return true;
}

void FillRectWith(HDC dc, const RECT& rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush) {
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
}

void StretchBitmap(HDC dc, const RECT& target, HBITMAP bitmap)
{
    BITMAP size = {};
    GetObjectW(bitmap, sizeof(size), &size);
    HDC source = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(source, bitmap);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, target.right, target.bottom, source, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

struct PictureStyle {
    bool quadrants;
    COLORREF colour;
    HBITMAP bitmap;
};

void PaintPicture(HWND window, const PictureStyle& style)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client = {};
    GetClientRect(window, &client);
    if (style.bitmap) {
        StretchBitmap(dc, client, style.bitmap);
    } else if (!style.quadrants) {
        FillRectWith(dc, client, style.colour);
    } else {
        const LONG midX = client.right / 2;
        const LONG midY = client.bottom / 2;
        FillRectWith(dc, {0, 0, midX, midY}, kQuadrantColours[0]);
        FillRectWith(dc, {midX, 0, client.right, midY}, kQuadrantColours[1]);
        FillRectWith(dc, {0, midY, midX, client.bottom}, kQuadrantColours[2]);
        FillRectWith(dc, {midX, midY, client.right, client.bottom}, kQuadrantColours[3]);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK PictureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        return 0;
    case WM_PAINT: {
        const auto* style = reinterpret_cast<const PictureStyle*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        PaintPicture(window, style ? *style : PictureStyle{false, 0, nullptr});
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int RunMessageLoop()
{
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return kSuccess;
        }
        if (got == -1) {
            return kNotFound;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int ShowPicture(PictureStyle style, bool topmost)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = PictureWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPictureClass;
    if (!RegisterClassExW(&windowClass)) {
        return kNotFound;
    }
    const DWORD exStyle = WS_EX_TOOLWINDOW | (topmost ? WS_EX_TOPMOST : 0);
    HWND window = CreateWindowExW(exStyle, kPictureClass, kPictureClass, WS_POPUP | WS_VISIBLE,
        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr, instance,
        &style);
    int result = kNotFound;
    if (window) {
        UpdateWindow(window);
        result = RunMessageLoop();
    }
    UnregisterClassW(kPictureClass, instance);
    return result;
}

int CommandShowPicture(const Args& args, Report& report)
{
    PictureStyle style = {args.Has(L"quadrants"), 0, nullptr};
    const std::wstring topmost = args.Has(L"topmost") ? args.Get(L"topmost") : L"1";
    const int kinds = (style.quadrants ? 1 : 0) + (args.Has(L"color") ? 1 : 0) + (args.Has(L"file") ? 1 : 0);
    if (args.words.size() != 1 || kinds != 1 || (style.quadrants && args.Get(L"quadrants") != L"1") ||
        (args.Has(L"color") && !ParseColour(args.Get(L"color"), style.colour)) ||
        (topmost != L"0" && topmost != L"1")) {
        return kBadUsage;
    }
    if (args.Has(L"file")) {
        style.bitmap = static_cast<HBITMAP>(
            LoadImageW(nullptr, args.Get(L"file").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        if (!style.bitmap) {
            report.Add(L"error", L"the picture file cannot be read");
            return kNotFound;
        }
    }
    const int result = ShowPicture(style, topmost == L"1");
    if (style.bitmap) {
        DeleteObject(style.bitmap);
    }
    return result;
}

// monitors: what the program sees of the screens.
BOOL CALLBACK ReportMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info)) {
        auto* rects = reinterpret_cast<std::vector<std::wstring>*>(data);
        const RECT& r = info.rcMonitor;
        rects->push_back(JoinNumbers({r.left, r.top, r.right, r.bottom}) +
                         ((info.dwFlags & MONITORINFOF_PRIMARY) ? L"*" : L""));
    }
    return TRUE;
}

int CommandMonitors(const Args& args, Report& report)
{
    if (args.words.size() != 1) {
        return kBadUsage;
    }
    report.AddNumber(L"count", GetSystemMetrics(SM_CMONITORS));
    report.Add(L"virtual", JoinNumbers({GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)}));
    std::vector<std::wstring> rects;
    EnumDisplayMonitors(nullptr, nullptr, ReportMonitor, reinterpret_cast<LPARAM>(&rects));
    std::wstring joined;
    for (const std::wstring& rect : rects) {
        joined += (joined.empty() ? L"" : L" ") + rect;
    }
    report.Add(L"monitors", joined);
    return kSuccess;
}

// ---------------------------------------------------------------------------
// gl: the OpenGL a program started from here gets (Mesa reads its overrides
// from the environment), in a hidden window of the probe's own.

int CommandGl(const Args& args, Report& report)
{
    if (args.words.size() != 1) {
        return kBadUsage;
    }
    HWND window = CreateWindowExW(0, L"STATIC", L"probe gl", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HDC dc = window ? GetDC(window) : nullptr;
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    const int index = dc ? ChoosePixelFormat(dc, &format) : 0;
    HGLRC context = index && SetPixelFormat(dc, index, &format) ? wglCreateContext(dc) : nullptr;
    int result = kNotFound;
    if (context && wglMakeCurrent(dc, context)) {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        GLint maxSide = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
        report.Add(L"version", std::wstring(version ? version : "", version ? version + strlen(version) : version));
        report.AddNumber(L"npot", extensions && strstr(extensions, "GL_ARB_texture_non_power_of_two") ? 1 : 0);
        report.AddNumber(L"max_texture_size", maxSide);
        wglMakeCurrent(nullptr, nullptr);
        result = kSuccess;
    }
    if (context) {
        wglDeleteContext(context);
    }
    if (dc) {
        ReleaseDC(window, dc);
    }
    if (window) {
        DestroyWindow(window);
    }
    return result;
}

// ---------------------------------------------------------------------------
// Dialogs: find one by its exact title, read every control, press buttons and
// switch tabs as the user's clicks would.

// The tab control keeps its item texts in its own process: the probe lends it
// memory there to copy them into.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) {
            address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer()
    {
        if (address_) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_) {
            CloseHandle(process_);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return address_ != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t length) const
    {
        SIZE_T done = 0;
        return offset + length <= size_ && WriteProcessMemory(process_, At(offset), data, length, &done) && done == length;
    }
    bool Read(size_t offset, void* data, size_t length) const
    {
        SIZE_T done = 0;
        return offset + length <= size_ && ReadProcessMemory(process_, At(offset), data, length, &done) && done == length;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

LRESULT SendTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

std::wstring JoinLines(const std::vector<std::wstring>& items)
{
    std::wstring text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += (i ? L"\n" : L"") + items[i];
    }
    return text;
}

void DescribeTabs(Report& report, HWND tabs)
{
    constexpr size_t kTextChars = 260;
    constexpr size_t kTextOffset = sizeof(TCITEMW);
    constexpr size_t kRectOffset = kTextOffset + kTextChars * sizeof(wchar_t);
    RemoteBuffer remote(tabs, kRectOffset + sizeof(RECT));
    const LRESULT count = SendTimeout(tabs, TCM_GETITEMCOUNT, 0, 0);
    std::vector<std::wstring> texts;
    std::vector<std::wstring> rects;
    for (LRESULT i = 0; remote.Ok() && i < count; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote.At(kTextOffset));
        item.cchTextMax = static_cast<int>(kTextChars);
        wchar_t text[kTextChars] = {};
        RECT rect = {};
        if (!remote.Write(0, &item, sizeof item) || !remote.Write(kTextOffset, text, sizeof text) ||
            SendTimeout(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.At(0))) <= 0 ||
            !remote.Read(kTextOffset, text, sizeof text) ||
            SendTimeout(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.At(kRectOffset))) <= 0 ||
            !remote.Read(kRectOffset, &rect, sizeof rect)) {
            break;
        }
        text[kTextChars - 1] = L'\0';
        texts.emplace_back(text);
        MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        rects.push_back(JoinNumbers({rect.left, rect.top, rect.right, rect.bottom}));
    }
    report.Add(L"items", JoinLines(texts));
    report.Add(L"itemrects", JoinLines(rects));
    report.AddNumber(L"selected", SendTimeout(tabs, TCM_GETCURSEL, 0, 0));
}

void DescribeComboBox(Report& report, HWND combo)
{
    const LRESULT count = SendTimeout(combo, CB_GETCOUNT, 0, 0);
    std::vector<std::wstring> items;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendTimeout(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::vector<wchar_t> text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendTimeout(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        items.emplace_back(text.data());
    }
    report.Add(L"items", JoinLines(items));
    report.AddNumber(L"selected", SendTimeout(combo, CB_GETCURSEL, 0, 0));
}

void DescribeControl(Report& report, HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    const std::wstring kind = ClassOf(control);
    report.AddNumber(L"hwnd", HandleNumber(control));
    report.AddNumber(L"parent", HandleNumber(GetParent(control)));
    report.AddNumber(L"id", static_cast<long long>(GetWindowLongPtrW(control, GWLP_ID)));
    report.Add(L"class", kind);
    report.Add(L"text", ControlText(control));
    report.AddNumber(L"visible", IsWindowVisible(control) ? 1 : 0);
    report.AddNumber(L"enabled", IsWindowEnabled(control) ? 1 : 0);
    report.Add(L"rect", JoinNumbers({rect.left, rect.top, rect.right, rect.bottom}));
    report.Add(L"style", L"0x" + Hex(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), 8));
    if (_wcsicmp(kind.c_str(), L"Button") == 0) {
        report.AddNumber(L"check", SendTimeout(control, BM_GETCHECK, 0, 0));
    } else if (_wcsicmp(kind.c_str(), L"ComboBox") == 0) {
        DescribeComboBox(report, control);
    } else if (_wcsicmp(kind.c_str(), L"SysTabControl32") == 0) {
        DescribeTabs(report, control);
    }
}

int CommandDialog(const Args& args, Report& report)
{
    DWORD timeout = 0;
    if (args.words.size() != 2 || !OptionalMilliseconds(args, L"timeout", kDefaultTimeoutMs, timeout)) {
        return kBadUsage;
    }
    HWND dialog = nullptr;
    if (!WaitFor(timeout, [&] {
            dialog = FindTopLevel(kDialogClass, &args.words[1]);
            return dialog != nullptr && IsWindowVisible(dialog);
        })) {
        report.Add(L"error", L"no visible dialog with this title appeared");
        return kNotFound;
    }
    DescribeWindow(report, dialog);
    report.AddNumber(L"owner", HandleNumber(GetWindow(dialog, GW_OWNER)));
    report.AddNumber(L"enabled", IsWindowEnabled(dialog) ? 1 : 0);
    return kSuccess;
}

// Every descendant of the window, in the system's order.
int CommandControls(const Args& args, Report& report)
{
    HWND window = nullptr;
    if (args.words.size() != 2 || !ParseWindow(args.words[1], window)) {
        return kBadUsage;
    }
    if (!IsWindow(window)) {
        report.Add(L"error", L"no such window");
        return kNotFound;
    }
    std::vector<HWND> controls;
    EnumChildWindows(window, [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&controls));
    std::vector<Report> described;
    for (HWND control : controls) {
        described.emplace_back();
        DescribeControl(described.back(), control);
    }
    report.AddList(L"controls", described);
    return kSuccess;
}

// Posted, so that a button opening a modal box does not hold the probe.
int CommandClick(const Args& args, Report& report)
{
    HWND button = nullptr;
    if (args.words.size() != 2 || !ParseWindow(args.words[1], button)) {
        return kBadUsage;
    }
    const bool posted = PostMessageW(button, BM_CLICK, 0, 0) != 0;
    report.AddNumber(L"posted", posted ? 1 : 0);
    return posted ? kSuccess : kNotFound;
}

// TCM_SETCURFOCUS sends the same notifications as a click on the tab.
int CommandTab(const Args& args, Report& report)
{
    HWND tabs = nullptr;
    long long index = 0;
    if (args.words.size() != 3 || !ParseWindow(args.words[1], tabs) || !ParseInteger(args.words[2], index)) {
        return kBadUsage;
    }
    SendTimeout(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    report.AddNumber(L"selected", SendTimeout(tabs, TCM_GETCURSEL, 0, 0));
    return kSuccess;
}

// A dialog's control by its id.
int CommandChildId(const Args& args, Report& report)
{
    HWND dialog = nullptr;
    long long id = 0;
    if (args.words.size() != 3 || !ParseWindow(args.words[1], dialog) || !ParseInteger(args.words[2], id)) {
        return kBadUsage;
    }
    HWND control = GetDlgItem(dialog, static_cast<int>(id));
    if (!control) {
        report.Add(L"error", L"no control with this id");
        return kNotFound;
    }
    DescribeControl(report, control);
    return kSuccess;
}

// Lets a screenshot show a disabled control as it looks when enabled.
int CommandEnable(const Args& args, Report& report)
{
    HWND control = nullptr;
    if (args.words.size() != 3 || !ParseWindow(args.words[1], control) ||
        (args.words[2] != L"0" && args.words[2] != L"1")) {
        return kBadUsage;
    }
    EnableWindow(control, args.words[2] == L"1");
    report.AddNumber(L"enabled", IsWindowEnabled(control) ? 1 : 0);
    return kSuccess;
}

// A registry value below HKEY_CURRENT_USER as stored: its type, its size in
// bytes and its first 64 bytes in hex, whatever the type claims.
int CommandRegValue(const Args& args, Report& report)
{
    if (args.words.size() != 3) {
        return kBadUsage;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, args.words[1].c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        report.Add(L"error", L"no such key");
        return kNotFound;
    }
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, args.words[2].c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size);
    if (status == ERROR_SUCCESS && size > 0) {
        status = RegQueryValueExW(key, args.words[2].c_str(), nullptr, &type, data.data(), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        report.Add(L"error", L"no such value");
        return kNotFound;
    }
    std::wstring bytes;
    for (DWORD i = 0; i < size && i < 64; ++i) {
        bytes += Hex(data[i], 2);
    }
    report.AddNumber(L"type", static_cast<long long>(type));
    report.AddNumber(L"size", static_cast<long long>(size));
    report.Add(L"data", bytes);
    return kSuccess;
}

int CommandForeground(const Args& args, Report& report)
{
    if (args.words.size() != 1) {
        return kBadUsage;
    }
    report.AddNumber(L"hwnd", HandleNumber(GetForegroundWindow()));
    return kSuccess;
}

// ---------------------------------------------------------------------------
// What another process holds, sampled from outside it for the soak runs.

bool ReadRemote(HANDLE process, const void* address, void* buffer, SIZE_T size)
{
    SIZE_T read = 0;
    return ReadProcessMemory(process, address, buffer, size, &read) && read == size;
}

// Another process's live GDI objects where GetGuiResources answers 0 (Wine);
// -1 when the table cannot be read.
long long CountGdiHandleTableEntries(HANDLE process)
{
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0 ||
        !basic.PebBaseAddress) {
        return -1;
    }
    const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
    const GdiHandleEntry* table = nullptr;
    if (!ReadRemote(process, peb + kPebGdiHandleTableOffset, &table, sizeof table) || !table) {
        return -1;
    }
    MEMORY_BASIC_INFORMATION region = {};
    if (!VirtualQueryEx(process, table, &region, sizeof region) || region.State != MEM_COMMIT) {
        return -1;
    }
    const auto* end = reinterpret_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
    const std::size_t available = static_cast<std::size_t>(end - reinterpret_cast<const unsigned char*>(table)) /
                                  sizeof(GdiHandleEntry);
    std::vector<GdiHandleEntry> entries(std::min(available, kGdiHandleTableEntries));
    if (entries.empty() || !ReadRemote(process, table, entries.data(), entries.size() * sizeof(GdiHandleEntry))) {
        return -1;
    }
    return std::count_if(entries.begin(), entries.end(), [](const GdiHandleEntry& e) { return e.type != 0; });
}

struct WindowCount {
    DWORD processId;
    long long windows;
};

BOOL CALLBACK CountChildWindow(HWND window, LPARAM data)
{
    auto* count = reinterpret_cast<WindowCount*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    count->windows += owner == count->processId ? 1 : 0;
    return TRUE;
}

BOOL CALLBACK CountTopLevelWindow(HWND window, LPARAM data)
{
    CountChildWindow(window, data);
    EnumChildWindows(window, CountChildWindow, data);
    return TRUE;
}

// The windows a process owns: the part of its USER objects visible from outside
// when GetGuiResources cannot tell (under Wine); menus, cursors and hooks are not seen.
long long CountWindowsOf(DWORD processId)
{
    WindowCount count = {processId, 0};
    EnumWindows(CountTopLevelWindow, reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

void AddGuiCounts(Report& report, HANDLE process, DWORD processId)
{
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    if (gdi != 0) {
        report.AddNumber(L"gdi", gdi);
        report.Add(L"gdi_source", L"GetGuiResources");
    } else {
        report.AddNumber(L"gdi", CountGdiHandleTableEntries(process));
        report.Add(L"gdi_source", L"handle table");
    }
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    if (user != 0) {
        report.AddNumber(L"user", user);
        report.Add(L"user_source", L"GetGuiResources");
    } else {
        report.AddNumber(L"user", CountWindowsOf(processId));
        report.Add(L"user_source", L"windows");
    }
}

void AddHandleCount(Report& report, HANDLE process, DWORD processId)
{
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles) && handles != 0) {
        report.AddNumber(L"handles", handles);
        report.Add(L"handles_source", L"GetProcessHandleCount");
    } else {
        report.AddNumber(L"handles", CountHandlesInSystemList(processId));
        report.Add(L"handles_source", L"system handle list");
    }
}

void AddMemory(Report& report, HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    const bool measured = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                               sizeof memory);
    if (measured && memory.PrivateUsage != 0) {
        report.AddNumber(L"private", static_cast<long long>(memory.PrivateUsage));
        report.Add(L"private_source", L"PrivateUsage");
    } else {
        report.AddNumber(L"private", SumCommittedPrivateRegions(process));
        report.Add(L"private_source", L"committed private regions");
    }
    report.AddNumber(L"working_set", measured ? static_cast<long long>(memory.WorkingSetSize) : -1);
}

// usage CLASS: handles, private bytes, GDI and USER objects of the process that
// owns the top-level window of that class, with where each count came from.
// A count that cannot be read is -1.
int CommandUsage(const Args& args, Report& report)
{
    if (args.words.size() != 2) {
        return kBadUsage;
    }
    const HWND window = FindTopLevel(args.words[1], nullptr);
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId)) {
        report.Add(L"error", L"no such window");
        return kNotFound;
    }
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) {
        report.Add(L"error", L"the process cannot be opened");
        return kNotFound;
    }
    report.AddNumber(L"pid", processId);
    AddHandleCount(report, process, processId);
    AddMemory(report, process);
    AddGuiCounts(report, process, processId);
    CloseHandle(process);
    return kSuccess;
}

// ---------------------------------------------------------------------------
// Dispatch.

using CommandFunction = int (*)(const Args&, Report&);

struct Command {
    const wchar_t* name;
    CommandFunction run;
    std::set<std::wstring> options;
    const char* usage; // the arguments after the name
};

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
        {L"box", CommandBox, {L"timeout", L"press"}, "CAPTION [--timeout MS] [--press ok|cancel|yes|no|none]"},
        {L"nobox", CommandNoBox, {L"for"}, "CAPTION --for MS"},
        {L"run", CommandRun, {L"timeout", L"hook"}, "PROGRAM [ARGS...] [--timeout MS] [--hook NAME]"},
        {L"window", CommandWindow, {L"title", L"timeout", L"count"}, "CLASS [--title T] [--timeout MS] [--count N]"},
        {L"child", CommandChild, {L"timeout"}, "HWND [--timeout MS]"},
        {L"children", CommandChildren, {}, "HWND"},
        {L"tree", CommandTree, {}, "HWND"},
        {L"hit", CommandHit, {}, "X Y"},
        {L"wait-gone", CommandWaitGone, {L"timeout"}, "CLASS [--timeout MS]"},
        {L"close", CommandClose, {}, "HWND"},
        {L"destroy-child", CommandDestroyChild, {}, "HWND"},
        {L"ssaver", CommandScreenSaver, {}, "get | set 0|1"},
        {L"display", CommandDisplay, {}, ""},
        {L"cursor", CommandCursor, {}, ""},
        {L"sendkey", CommandSendKey, {}, "HWND VK"},
        {L"syscommand", CommandSysCommand, {L"lparam"}, "HWND SC [--lparam N]"},
        {L"show-picture", CommandShowPicture, {L"color", L"quadrants", L"file", L"topmost"},
         "--color RRGGBB | --quadrants 1 | --file BMP [--topmost 0|1]"},
        {L"monitors", CommandMonitors, {}, ""},
        {L"gl", CommandGl, {}, ""},
        {L"dialog", CommandDialog, {L"timeout"}, "TITLE [--timeout MS]"},
        {L"controls", CommandControls, {}, "HWND"},
        {L"child-id", CommandChildId, {}, "HWND ID"},
        {L"click", CommandClick, {}, "HWND"},
        {L"tab", CommandTab, {}, "HWND INDEX"},
        {L"enable", CommandEnable, {}, "HWND 0|1"},
        {L"foreground", CommandForeground, {}, ""},
        {L"usage", CommandUsage, {}, "CLASS"},
        {L"regvalue", CommandRegValue, {}, "KEY NAME (KEY below HKEY_CURRENT_USER)"},
    };
    return commands;
}

const Command* FindCommand(const Args& args)
{
    if (args.words.empty()) {
        return nullptr;
    }
    for (const Command& command : Commands()) {
        if (args.words[0] == command.name) {
            return &command;
        }
    }
    return nullptr;
}

bool OptionsAllowed(const Command& command, const Args& args)
{
    for (const auto& option : args.options) {
        if (option.first != L"out" && command.options.count(option.first) == 0) {
            return false;
        }
    }
    return true;
}

int BadUsage()
{
    fputs("usage: probe COMMAND ARGS [--out FILE]\n", stderr);
    for (const Command& command : Commands()) {
        fprintf(stderr, "  %ls %s\n", command.name, command.usage);
    }
    return kBadUsage;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Args args;
    if (!ParseArgs(argc, argv, args)) {
        return BadUsage();
    }
    const Command* command = FindCommand(args);
    if (!command || !OptionsAllowed(*command, args)) {
        return BadUsage();
    }
    Report report;
    const int result = command->run(args, report);
    if (result == kBadUsage) {
        return BadUsage();
    }
    if (args.Has(L"out")) {
        if (!report.WriteTo(args.Get(L"out"))) {
            fputs("probe: cannot write the --out file\n", stderr);
            return kNotFound;
        }
    } else {
        report.WriteToStdout();
    }
    return result;
}
