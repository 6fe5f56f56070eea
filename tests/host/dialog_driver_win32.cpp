// Drives the real dialog: the configure operation runs the modal dialog on this thread while
// a second thread finds it by its caption, reads and checks the controls, types, clicks and
// presses OK or Cancel, as a user would.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/filter_instance.h"
#include "engine/filter_settings.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/host_checks.h"

namespace lintra::testhost {
namespace {

using namespace lintra::host;

constexpr const char* kCaption = "Filter: Lintra";
constexpr int kEdits[4] = {1004, 1003, 1012, 1011};    // y length, y threshold, uv length, uv thr.
constexpr int kToggles[4] = {1000, 1001, 1007, 1008};  // testmode, interlaced, RGB, YUV

// ---- layout ---------------------------------------------------------------------------------

struct ExpectedControl {
    const char* className;
    int id;
    const char* text;  // null: not checked (the edits show numbers)
    int x, y, width, height;
    LONG buttonKind;  // BS_* type for buttons, -1 otherwise
    bool visible;
};

// The template's controls in template order, which is the order of the child windows.
constexpr ExpectedControl kLayout[] = {
    {"Edit", 1004, nullptr, 83, 51, 19, 12, -1, true},
    {"Edit", 1003, nullptr, 83, 66, 19, 12, -1, true},
    {"Edit", 1012, nullptr, 198, 51, 19, 12, -1, true},
    {"Edit", 1011, nullptr, 198, 66, 19, 12, -1, true},
    {"Button", IDOK, "OK", 120, 97, 50, 14, BS_DEFPUSHBUTTON, true},
    {"Button", IDCANCEL, "Cancel", 175, 97, 50, 14, BS_PUSHBUTTON, true},
    {"Button", 1008, "YUV-processing", 10, 8, 67, 10, BS_AUTORADIOBUTTON, true},
    {"Button", 1007, "RGB-processing", 10, 21, 67, 10, BS_AUTORADIOBUTTON, true},
    {"Button", 1000, "testmode", 157, 8, 45, 10, BS_AUTOCHECKBOX, true},
    {"Button", 1001, "interlaced", 157, 21, 47, 10, BS_AUTOCHECKBOX, true},
    {"Button", -1, "", 6, 3, 81, 32, BS_GROUPBOX, false},
    {"Static", -1, "threshold.:", 128, 69, 34, 8, -1, true},
    {"Static", -1, "horizontal averaging:", 14, 54, 66, 8, -1, true},
    {"Static", -1, "threshold.:", 14, 69, 34, 8, -1, true},
    {"Static", -1, "horizontal averaging:", 128, 54, 66, 8, -1, true},
    {"Button", -1, "Y / RGB", 7, 39, 104, 47, BS_GROUPBOX, true},
    {"Button", -1, "UV", 121, 39, 104, 47, BS_GROUPBOX, true},
};

void say(const char* control, const char* what, bool ok) {
    char label[160];
    std::snprintf(label, sizeof label, "dialog control %s: %s", control, what);
    check(ok, label);
}

// The dialog manager converts position and size separately, each rounded on its own.
RECT dialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT r{x, y, width, height};
    MapDialogRect(dialog, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

void checkControl(HWND dialog, HWND control, const ExpectedControl& layout) {
    char name[64];
    std::snprintf(name, sizeof name, "%d \"%s\"", layout.id, layout.text ? layout.text : "");
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    say(name, "class", lstrcmpiA(className, layout.className) == 0);
    const int id = GetDlgCtrlID(control);
    say(name, "ID", layout.id == -1 ? (id == -1 || id == 0xFFFF) : id == layout.id);
    if (layout.text != nullptr) {
        char text[64] = "";
        GetWindowTextA(control, text, sizeof text);
        say(name, "text", std::strcmp(text, layout.text) == 0);
    }
    RECT placed;
    GetWindowRect(control, &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    const RECT want = dialogUnits(dialog, layout.x, layout.y, layout.width, layout.height);
    if (!EqualRect(&placed, &want))
        std::printf("  placed %ld,%ld-%ld,%ld want %ld,%ld-%ld,%ld\n", placed.left, placed.top,
                    placed.right, placed.bottom, want.left, want.top, want.right, want.bottom);
    say(name, "position and size", EqualRect(&placed, &want) != 0);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(control, GWL_EXSTYLE);
    say(name, "visibility", ((style & WS_VISIBLE) != 0) == layout.visible);
    if (layout.buttonKind >= 0)
        say(name, "button kind", (style & BS_TYPEMASK) == layout.buttonKind);
    if (lstrcmpiA(layout.className, "Edit") == 0) {
        say(name, "numbers only", (style & ES_NUMBER) != 0);
        say(name, "tab stop", (style & WS_TABSTOP) != 0);
        say(name, "no automatic horizontal scrolling", (style & ES_AUTOHSCROLL) == 0);
        // The dialog manager may turn an edit's border into a sunken client edge.
        say(name, "border", (style & WS_BORDER) != 0 || (exStyle & WS_EX_CLIENTEDGE) != 0);
        say(name, "right-aligned", (exStyle & WS_EX_RIGHT) != 0);
    }
}

void checkLayout(HWND dialog) {
    char caption[64] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    check(std::strcmp(caption, kCaption) == 0, "dialog caption");
    RECT client;
    GetClientRect(dialog, &client);
    const RECT want = dialogUnits(dialog, 0, 0, 232, 118);
    check(EqualRect(&client, &want) != 0, "dialog is 232 x 118 dialog units");
    const auto style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    check((style & frame) == frame, "dialog style: modal frame, pop-up, caption, system menu");
    LOGFONTA font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    GetObjectA(handle, sizeof font, &font);
    check(std::strcmp(font.lfFaceName, "MS Sans Serif") == 0, "dialog font MS Sans Serif");

    std::size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
        if (index < std::size(kLayout)) checkControl(dialog, child, kLayout[index]);
    }
    checkEqual(static_cast<std::int64_t>(index), std::size(kLayout), "number of controls");
}

// ---- a picture of the dialog ------------------------------------------------------------------

bool saveWindowPicture(HWND window, const char* path) {
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    bool ok = false;
    if (FILE* out = std::fopen(path, "wb")) {
        ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
             std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
             std::fwrite(bits, imageBytes, 1, out) == 1;
        ok = std::fclose(out) == 0 && ok;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// ---- one dialog session -----------------------------------------------------------------------

struct Script {
    const char* typed[4];  // into kEdits; null leaves an edit alone
    int clicks[3];         // controls clicked in turn; 0 ends the list
    int button;            // IDOK or IDCANCEL
    bool layout;
    const char* screenshot;
};

struct Observed {
    bool found = false;
    bool closed = false;
    UINT shown[4] = {};
    UINT checkedBefore[4] = {};
    UINT checkedAfter[4] = {};
};

struct DriverJob {
    const Script* script;
    Observed observed;
};

HWND waitForDialog() {
    for (int i = 0; i < 1000; ++i) {
        HWND dialog = FindWindowA("#32770", kCaption);
        if (dialog != nullptr && IsWindowVisible(dialog)) return dialog;
        Sleep(10);
    }
    return nullptr;
}

DWORD WINAPI driveDialog(void* parameter) {
    auto& job = *static_cast<DriverJob*>(parameter);
    const Script& script = *job.script;
    HWND dialog = waitForDialog();
    if (dialog == nullptr) return 1;
    job.observed.found = true;
    for (int i = 0; i < 4; ++i) {
        BOOL read = FALSE;
        job.observed.shown[i] = GetDlgItemInt(dialog, kEdits[i], &read, FALSE);
        job.observed.checkedBefore[i] = IsDlgButtonChecked(dialog, kToggles[i]);
    }
    if (script.layout) checkLayout(dialog);
    if (script.screenshot != nullptr) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(500);
        check(saveWindowPicture(dialog, script.screenshot), "the dialog's picture is saved");
    }
    for (int i = 0; i < 4; ++i)
        if (script.typed[i] != nullptr) SetDlgItemTextA(dialog, kEdits[i], script.typed[i]);
    for (int id : script.clicks)
        if (id != 0) SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    for (int i = 0; i < 4; ++i)
        job.observed.checkedAfter[i] = IsDlgButtonChecked(dialog, kToggles[i]);
    SendMessageA(GetDlgItem(dialog, script.button), BM_CLICK, 0, 0);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
    job.observed.closed = !IsWindow(dialog);
    if (!job.observed.closed) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

struct Instance {
    const FilterDescription* filter;
    std::vector<std::uint8_t> storage;
    FilterActivation activation{};

    explicit Instance(const FilterDescription& d)
        : filter(&d), storage(static_cast<std::size_t>(d.instanceSize), 0) {
        activation.filter = filter;
        activation.instanceData = storage.data();
        filter->initialise(&activation, nullptr);
    }
    FilterSettings& settings() {
        return reinterpret_cast<FilterInstance*>(storage.data())->settings;
    }
    void config(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        ScriptArgument arguments[4] = {};
        const std::int32_t values[4] = {a, b, c, d};
        for (int i = 0; i < 4; ++i) arguments[i].value.integer = values[i];
        filter->script->functions[0].handler(nullptr, &activation, arguments, 4);
    }
};

// Runs the configure operation with a driver thread playing the user.
int configure(Instance& instance, const Script& script, Observed& observed) {
    DriverJob job{&script, {}};
    HANDLE thread = CreateThread(nullptr, 0, driveDialog, &job, 0, nullptr);
    const int result = instance.filter->configure(&instance.activation, nullptr, nullptr);
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
    observed = job.observed;
    check(observed.found, "the dialog appears, found by its caption");
    check(observed.closed, "the button closes the dialog");
    return result;
}

bool sameSettings(const FilterSettings& a, const FilterSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void checkShown(const Observed& o, const UINT (&numbers)[4], const UINT (&toggles)[4],
                const char* what) {
    char label[160];
    for (int i = 0; i < 4; ++i) {
        std::snprintf(label, sizeof label, "%s: edit %d shows", what, kEdits[i]);
        checkEqual(o.shown[i], numbers[i], label);
        std::snprintf(label, sizeof label, "%s: button %d state", what, kToggles[i]);
        checkEqual(o.checkedBefore[i], toggles[i], label);
    }
}

void testDefaultsConfirmed(const FilterDescription& d, const char* screenshot) {
    Instance instance(d);
    const FilterSettings before = instance.settings();
    const Script script{{}, {}, IDOK, true, screenshot};
    Observed o;
    checkEqual(configure(instance, script, o), 0, "OK returns 0");
    checkShown(o, {10, 5, 3, 20}, {BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, BST_CHECKED},
               "defaults");
    check(sameSettings(instance.settings(), before), "OK without changes keeps the defaults");
}

void testOutOfRangeConfirmed(const FilterDescription& d) {
    Instance instance(d);
    const Script script{
        {"5000", "600", "0", "4294967296"}, {1007, 1000, 1001}, IDOK, false, nullptr};
    Observed o;
    checkEqual(configure(instance, script, o), 0, "OK returns 0");
    checkEqual(o.checkedAfter[2] * 10 + o.checkedAfter[3], 10,
               "clicking RGB-processing unchecks YUV-processing");
    const FilterSettings want = {1023, 1, 255, 0, 511, 511, 511, 511, 0, 1, 1};
    check(sameSettings(instance.settings(), want),
          "out-of-range entries are clamped: 5000 -> 1023, 600 -> 511, 0 -> 1, 2^32 -> 511");
}

void testDifferingThresholds(const FilterDescription& d) {
    Instance instance(d);
    instance.config(20 * 65536 + 7, 3 * 65536 + 9, 4 * 65536 + 11, 0x00010100);
    const FilterSettings before = instance.settings();
    const Script cancel{{"2", nullptr, "2147483648", nullptr}, {1008}, IDCANCEL, false, nullptr};
    Observed o;
    checkEqual(configure(instance, cancel, o), 1, "Cancel returns 1");
    checkShown(o, {20, 4, 7, 11}, {BST_CHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED},
               "script settings");
    check(sameSettings(instance.settings(), before), "Cancel leaves the settings alone");

    const Script confirm{{"2", nullptr, "1", nullptr}, {}, IDOK, false, nullptr};
    checkEqual(configure(instance, confirm, o), 0, "OK returns 0");
    const FilterSettings want = {2, 1, 64, 0, 4, 11, 4, 11, 0, 1, 1};
    check(sameSettings(instance.settings(), want),
          "OK writes the shown vertical thresholds to both; 2 -> 64, 1 -> coefficient 0");
}

void testHugeNumbers(const FilterDescription& d) {
    Instance instance(d);
    const Script script{{"2147483648", "2147483647", "99999999999999999999", "2147483648"},
                        {},
                        IDOK,
                        false,
                        nullptr};
    Observed o;
    checkEqual(configure(instance, script, o), 0, "OK returns 0");
    const FilterSettings want = {1023, 1023, 255, 255, 511, 511, 511, 511, 1, 0, 0};
    check(sameSettings(instance.settings(), want), "numbers of 2^31 and more clamp to the top");
}

void testResourceLanguage(void* moduleHandle) {
    const HRSRC german =
        FindResourceExA(static_cast<HMODULE>(moduleHandle), MAKEINTRESOURCEA(5),
                        MAKEINTRESOURCEA(101), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    check(german != nullptr, "dialog template 101 is a German (0x0407) resource");
}

}  // namespace

void runDialogTests(const FilterDescription& description, void* moduleHandle,
                    const char* screenshotPath) {
    testResourceLanguage(moduleHandle);
    testDefaultsConfirmed(description, screenshotPath);
    testOutOfRangeConfirmed(description);
    testDifferingThresholds(description);
    testHugeNumbers(description);
}

}  // namespace lintra::testhost
