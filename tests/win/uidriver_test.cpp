// The UI driver against real dialogs: a product template shown by another process
// (uidriver_target.exe) and one shown by this process while the driver runs on a
// second thread.
#include <windows.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "framework/Dialog.h"
#include "res/resource.h"
#include "uidriver/Png.h"
#include "uidriver/UiDriver.h"

namespace ui = uidriver;

namespace {

const DWORD kWindowTimeoutMs = 20000;
const COLORREF kTargetBackground = RGB(32, 128, 192);  // the target's dialog background
const int kDirectoryCx = 217;                           // IDD_DIRECTORY template size
const int kDirectoryCy = 138;

// --- A PNG reader strict enough to vouch for the writer -------------------------------

uint32_t BigEndian32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

int Paeth(int a, int b, int c)
{
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows top first, 3 bytes a pixel

    COLORREF Pixel(int x, int y) const
    {
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return RGB(p[0], p[1], p[2]);
    }
};

// Decodes an 8-bit RGB, non-interlaced PNG, checking the signature, every chunk's CRC,
// the chunk order and each row's filter. Any failure is reported through gtest.
void DecodeRgbPng(const std::vector<unsigned char>& png, DecodedPng* pImage)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(png.size(), 8u);
    ASSERT_EQ(0, memcmp(png.data(), kSignature, 8));
    std::vector<unsigned char> idat;
    std::vector<std::string> chunkTypes;
    size_t pos = 8;
    while (pos + 12 <= png.size()) {
        uint32_t nLength = BigEndian32(&png[pos]);
        ASSERT_LE(pos + 12 + nLength, png.size());
        std::string type(reinterpret_cast<const char*>(&png[pos + 4]), 4);
        const unsigned char* pData = &png[pos + 8];
        uLong crc = crc32(crc32(0L, Z_NULL, 0), &png[pos + 4], 4 + nLength);
        ASSERT_EQ(crc, BigEndian32(pData + nLength)) << "CRC of chunk " << type;
        chunkTypes.push_back(type);
        if (type == "IHDR") {
            ASSERT_EQ(13u, nLength);
            pImage->width = static_cast<int>(BigEndian32(pData));
            pImage->height = static_cast<int>(BigEndian32(pData + 4));
            EXPECT_EQ(8, pData[8]) << "bit depth";
            EXPECT_EQ(2, pData[9]) << "colour type RGB";
            EXPECT_EQ(0, pData[10]);
            EXPECT_EQ(0, pData[11]);
            EXPECT_EQ(0, pData[12]) << "interlace";
        } else if (type == "IDAT") {
            idat.insert(idat.end(), pData, pData + nLength);
        }
        pos += 12 + nLength;
    }
    EXPECT_EQ(png.size(), pos) << "bytes after the last chunk";
    ASSERT_GE(chunkTypes.size(), 3u);
    EXPECT_EQ("IHDR", chunkTypes.front());
    EXPECT_EQ("IEND", chunkTypes.back());
    ASSERT_GT(pImage->width, 0);
    ASSERT_GT(pImage->height, 0);

    const size_t nStride = static_cast<size_t>(pImage->width) * 3;
    std::vector<unsigned char> raw((nStride + 1) * pImage->height);
    uLongf nRaw = static_cast<uLongf>(raw.size());
    ASSERT_EQ(Z_OK, uncompress(raw.data(), &nRaw, idat.data(), static_cast<uLong>(idat.size())));
    ASSERT_EQ(raw.size(), nRaw);

    pImage->rgb.assign(nStride * pImage->height, 0);
    for (int y = 0; y < pImage->height; ++y) {
        unsigned char filter = raw[y * (nStride + 1)];
        ASSERT_LE(filter, 4) << "row " << y;
        const unsigned char* pIn = &raw[y * (nStride + 1) + 1];
        unsigned char* pOut = &pImage->rgb[y * nStride];
        const unsigned char* pUp = y ? pOut - nStride : nullptr;
        for (size_t i = 0; i < nStride; ++i) {
            int a = i >= 3 ? pOut[i - 3] : 0, b = pUp ? pUp[i] : 0, c = (pUp && i >= 3) ? pUp[i - 3] : 0;
            int predictor[5] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
            pOut[i] = static_cast<unsigned char>(pIn[i] + predictor[filter]);
        }
    }
}

bool ReadFileBytes(const std::string& path, std::vector<unsigned char>* pBytes)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nSize = GetFileSize(hFile, NULL);
    pBytes->resize(nSize);
    DWORD nRead = 0;
    bool bOk = nSize == 0 || (ReadFile(hFile, pBytes->data(), nSize, &nRead, NULL) && nRead == nSize);
    CloseHandle(hFile);
    return bOk;
}

std::string TempPath(const char* pszName)
{
    char szDir[MAX_PATH];
    DWORD n = GetTempPathA(sizeof szDir, szDir);
    return std::string(szDir, n < sizeof szDir ? n : 0) + pszName;
}

TEST(Png, WriterOutputDecodesToThePixelsGiven)
{
    const int cx = 5, cy = 3;
    std::vector<unsigned char> rgb(cx * cy * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<unsigned char>(i * 37 + 11);
    std::vector<unsigned char> png;
    ASSERT_TRUE(ui::EncodePng(cx, cy, rgb.data(), &png));
    DecodedPng image;
    DecodeRgbPng(png, &image);
    EXPECT_EQ(cx, image.width);
    EXPECT_EQ(cy, image.height);
    EXPECT_EQ(rgb, image.rgb);
}

TEST(Png, RefusesAnEmptyImage)
{
    unsigned char pixel[3] = {1, 2, 3};
    std::vector<unsigned char> png = {1};
    EXPECT_FALSE(ui::EncodePng(0, 1, pixel, &png));
    EXPECT_TRUE(png.empty());
    EXPECT_FALSE(ui::EncodePng(1, -1, pixel, &png));
}

// --- Another process's dialog ---------------------------------------------------------

// The template rectangle of IDD_DIRECTORY's controls, in dialog units.
struct TemplateRect {
    int nID, x, y, cx, cy;
};
const TemplateRect kDirectoryControls[] = {
    {IDC_DIR_EDIT, 7, 26, 143, 12},
    {IDC_DIR_LIST, 7, 41, 143, 64},
    {IDOK, 160, 7, 50, 14},
    {IDCANCEL, 160, 24, 50, 14},
};

// Where a dialog places a control of the template rectangle x, y, cx, cy: it converts
// the position and the size each on its own (the right edge of MapDialogRect can differ
// by the rounding).
RECT PixelRect(HWND hDialog, int x, int y, int cx, int cy)
{
    RECT rc = {x, y, cx, cy};
    MapDialogRect(hDialog, &rc);
    rc.right += rc.left;
    rc.bottom += rc.top;
    return rc;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

class TargetDialog : public ::testing::Test {
protected:
    // Starts the target and waits for its dialog, titled pszTitle.
    void Start(const char* pszArgs, const char* pszTitle)
    {
        m_target = ui::Launch(ui::ModuleDirectory() + "uidriver_target.exe", pszArgs);
        ASSERT_TRUE(m_target.Started());
        m_hDialog = ui::WaitForWindow(pszTitle, kWindowTimeoutMs, m_target.Id(), "#32770");
        ASSERT_TRUE(m_hDialog != NULL) << "no dialog titled " << pszTitle;
        ASSERT_TRUE(ui::WaitIdle(m_hDialog));
    }
    void StartDirectory() { Start("directory", "Select Installation Directory"); }

    HWND Item(int nID) const { return GetDlgItem(m_hDialog, nID); }

    ui::Process m_target;
    HWND m_hDialog = NULL;
};

TEST_F(TargetDialog, IsFoundByTitleClassAndProcess)
{
    StartDirectory();
    DWORD pid = 0;
    GetWindowThreadProcessId(m_hDialog, &pid);
    EXPECT_EQ(m_target.Id(), pid);
    EXPECT_EQ(m_hDialog, ui::WaitForWindow("Select Installation Directory", 1000));
    EXPECT_EQ(NULL, ui::WaitForWindow("Select Installation Directory", 200, GetCurrentProcessId()));
    EXPECT_EQ(NULL, ui::WaitForWindow("Select Installation Directory", 200, m_target.Id(), "Edit"));
    EXPECT_EQ(NULL, ui::WaitForWindow("Select Installation", 200, m_target.Id())) << "titles match whole";
    EXPECT_EQ(STILL_ACTIVE, m_target.WaitExit(0));
}

TEST_F(TargetDialog, ReadsTextsAcrossProcesses)
{
    StartDirectory();
    EXPECT_EQ("Select Installation Directory", ui::Text(m_hDialog));
    EXPECT_EQ("C:\\Pelorin\\", ui::ControlText(m_hDialog, IDC_DIR_EDIT)) << "an edit's contents, by WM_GETTEXT";
    EXPECT_EQ("Next >>>", ui::ControlText(m_hDialog, IDOK));
    EXPECT_EQ("<<< Back", ui::ControlText(m_hDialog, IDCANCEL));
    EXPECT_EQ("", ui::ControlText(m_hDialog, 4242)) << "no such control";
    EXPECT_TRUE(ui::IsVisible(m_hDialog, IDC_DIR_LIST));
    EXPECT_TRUE(ui::IsEnabled(m_hDialog, IDC_DIR_LIST));
    EXPECT_FALSE(ui::IsVisible(m_hDialog, 4242));
}

TEST_F(TargetDialog, ReadsListAndComboContentsAndSelection)
{
    StartDirectory();
    std::vector<std::string> dirs = ui::ListItems(m_hDialog, IDC_DIR_LIST);
    ASSERT_EQ(5u, dirs.size());
    EXPECT_EQ("[..]", dirs[0]);
    EXPECT_EQ("[Alpha]", dirs[1]);
    EXPECT_EQ("[Beta]", dirs[2]);
    EXPECT_EQ("[Gamma]", dirs[3]);
    EXPECT_EQ("[Zeta" + std::string(200, 'x') + "]", dirs[4]) << "a long item comes across whole";
    EXPECT_EQ(2, ui::ListSelection(m_hDialog, IDC_DIR_LIST));

    std::vector<std::string> drives = ui::ComboItems(m_hDialog, IDC_DRIVE_COMBO);
    ASSERT_EQ(3u, drives.size());
    EXPECT_EQ("[-c-]", drives[0]);
    EXPECT_EQ("[-d-]", drives[1]);
    EXPECT_EQ("[-z-]", drives[2]);
    EXPECT_EQ(1, ui::ComboSelection(m_hDialog, IDC_DRIVE_COMBO));

    EXPECT_TRUE(ui::ListItems(m_hDialog, 4242).empty());
    EXPECT_EQ(LB_ERR, ui::ListSelection(m_hDialog, 4242));
}

TEST_F(TargetDialog, ControlPositionsMatchTheTemplate)
{
    StartDirectory();
    // A dialog of this process from the same template gives the pixel sizes MapDialogRect
    // computes: the same font, so the same dialog base units.
    HWND hLocal = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_DIRECTORY), NULL, PlainDialogProc, 0);
    ASSERT_TRUE(hLocal != NULL);
    RECT rcLocalClient = {}, rcClient = {};
    GetClientRect(hLocal, &rcLocalClient);
    GetClientRect(m_hDialog, &rcClient);
    EXPECT_EQ(rcLocalClient.right, rcClient.right);
    EXPECT_EQ(rcLocalClient.bottom, rcClient.bottom);

    for (const TemplateRect& t : kDirectoryControls) {
        SCOPED_TRACE(t.nID);
        RECT rcExpected = PixelRect(hLocal, t.x, t.y, t.cx, t.cy);
        RECT rcPixels = ui::ControlRectPixels(m_hDialog, t.nID);
        EXPECT_EQ(rcExpected.left, rcPixels.left);
        EXPECT_EQ(rcExpected.top, rcPixels.top);
        EXPECT_EQ(rcExpected.right, rcPixels.right);
        EXPECT_EQ(rcExpected.bottom, rcPixels.bottom);

        RECT rcUnits = ui::ControlRectDialogUnits(m_hDialog, t.nID, kDirectoryCx, kDirectoryCy);
        EXPECT_EQ(t.x, rcUnits.left);
        EXPECT_EQ(t.y, rcUnits.top);
        EXPECT_EQ(t.cx, rcUnits.right - rcUnits.left);
        EXPECT_EQ(t.cy, rcUnits.bottom - rcUnits.top);
    }
    // The drop-down list's window is only its closed part; x, y and width still hold.
    RECT rcCombo = ui::ControlRectDialogUnits(m_hDialog, IDC_DRIVE_COMBO, kDirectoryCx, kDirectoryCy);
    EXPECT_EQ(7, rcCombo.left);
    EXPECT_EQ(117, rcCombo.top);
    EXPECT_EQ(143, rcCombo.right - rcCombo.left);
    EXPECT_LT(rcCombo.bottom - rcCombo.top, 68);
    DestroyWindow(hLocal);
}

TEST_F(TargetDialog, TypingReplacesTheTextAndNotifiesOnce)
{
    StartDirectory();
    ASSERT_TRUE(ui::TypeText(m_hDialog, IDC_DIR_EDIT, "D:\\Apps\\Tool"));
    EXPECT_TRUE(ui::WaitIdle(m_hDialog));
    EXPECT_EQ("D:\\Apps\\Tool", ui::ControlText(m_hDialog, IDC_DIR_EDIT));
    EXPECT_TRUE(ui::WaitForTitle(m_hDialog, "edit changed 1: D:\\Apps\\Tool", 5000)) << ui::Text(m_hDialog);
    ASSERT_TRUE(ui::TypeText(m_hDialog, IDC_DIR_EDIT, ""));
    EXPECT_TRUE(ui::WaitForTitle(m_hDialog, "edit changed 2: ", 5000)) << ui::Text(m_hDialog);
}

TEST_F(TargetDialog, TypingIntoAMultiLineEditNotifiesOnce)
{
    StartDirectory();
    const int IDC_TARGET_NOTES = 2000;
    ASSERT_TRUE(ui::TypeText(m_hDialog, IDC_TARGET_NOTES, "first\r\nsecond"));
    EXPECT_TRUE(ui::WaitIdle(m_hDialog));
    EXPECT_EQ("first\r\nsecond", ui::ControlText(m_hDialog, IDC_TARGET_NOTES));
    EXPECT_TRUE(ui::WaitForTitle(m_hDialog, "notes changed 1: first\r\nsecond", 5000)) << ui::Text(m_hDialog);
    ASSERT_TRUE(ui::TypeText(m_hDialog, IDC_TARGET_NOTES, "third"));
    EXPECT_TRUE(ui::WaitForTitle(m_hDialog, "notes changed 2: third", 5000)) << ui::Text(m_hDialog);
}

TEST_F(TargetDialog, DoubleClickOnAListItemArrivesAsNotification)
{
    StartDirectory();
    ASSERT_TRUE(ui::DoubleClickListItem(m_hDialog, IDC_DIR_LIST, 3));
    EXPECT_TRUE(ui::WaitForTitle(m_hDialog, "double-clicked [Gamma]", 5000)) << ui::Text(m_hDialog);
    EXPECT_EQ(3, ui::ListSelection(m_hDialog, IDC_DIR_LIST));
    EXPECT_FALSE(ui::DoubleClickListItem(m_hDialog, IDC_DIR_LIST, 5)) << "no item 5";
    EXPECT_FALSE(ui::DoubleClickListItem(m_hDialog, IDC_DIR_LIST, -1));
}

TEST_F(TargetDialog, ChoosingAComboItemArrivesAsSelectionChange)
{
    StartDirectory();
    ASSERT_TRUE(ui::SelectComboItem(m_hDialog, IDC_DRIVE_COMBO, 2));
    EXPECT_TRUE(ui::WaitForTitle(m_hDialog, "drive [-z-]", 5000)) << ui::Text(m_hDialog);
    EXPECT_EQ(2, ui::ComboSelection(m_hDialog, IDC_DRIVE_COMBO));
    EXPECT_FALSE(ui::SelectComboItem(m_hDialog, IDC_DRIVE_COMBO, 3));
}

TEST_F(TargetDialog, FocusStartsOnTheFirstTabStopAndMoves)
{
    StartDirectory();
    EXPECT_EQ(Item(IDC_DIR_EDIT), ui::Focus(m_hDialog));
    ASSERT_TRUE(ui::SetFocusTo(m_hDialog, IDCANCEL));
    EXPECT_TRUE(ui::WaitIdle(m_hDialog));
    EXPECT_EQ(Item(IDCANCEL), ui::Focus(m_hDialog));
}

TEST_F(TargetDialog, EnterGivesOk)
{
    StartDirectory();
    ui::PressEnter(m_hDialog);
    EXPECT_EQ(static_cast<DWORD>(IDOK), m_target.WaitExit(kWindowTimeoutMs));
}

TEST_F(TargetDialog, EscGivesCancel)
{
    StartDirectory();
    ui::PressEscape(m_hDialog);
    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), m_target.WaitExit(kWindowTimeoutMs));
}

TEST_F(TargetDialog, EnterOnAFocusedButtonPressesThatButton)
{
    StartDirectory();
    ASSERT_TRUE(ui::SetFocusTo(m_hDialog, IDCANCEL));
    ASSERT_TRUE(ui::WaitIdle(m_hDialog));
    ui::PressEnter(m_hDialog);
    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), m_target.WaitExit(kWindowTimeoutMs));
}

TEST_F(TargetDialog, ClickingAButtonEndsWithItsId)
{
    StartDirectory();
    ASSERT_TRUE(ui::Click(m_hDialog, IDOK));
    EXPECT_EQ(static_cast<DWORD>(IDOK), m_target.WaitExit(kWindowTimeoutMs));
    EXPECT_TRUE(ui::WaitWindowGone(m_hDialog, 1000));
}

TEST_F(TargetDialog, CloseBoxGivesCancel)
{
    StartDirectory();
    ASSERT_TRUE(ui::CloseBox(m_hDialog));
    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), m_target.WaitExit(kWindowTimeoutMs));
}

TEST_F(TargetDialog, ReadsAndSetsCheckBoxesAndRespectsDisabledAndHiddenControls)
{
    Start("options", "Select Option");
    EXPECT_TRUE(ui::IsChecked(m_hDialog, IDC_OPT_APPLICATION));
    EXPECT_FALSE(ui::IsChecked(m_hDialog, IDC_OPT_MANUALS));
    EXPECT_TRUE(ui::IsChecked(m_hDialog, IDC_OPT_READER));
    EXPECT_TRUE(ui::IsEnabled(m_hDialog, IDC_OPT_MANUALS));
    EXPECT_FALSE(ui::IsEnabled(m_hDialog, IDC_OPT_READER));
    EXPECT_TRUE(ui::IsVisible(m_hDialog, IDC_OPT_READER)) << "disabled, not hidden";
    EXPECT_FALSE(ui::IsVisible(m_hDialog, IDCANCEL));
    EXPECT_TRUE(ui::IsVisible(m_hDialog, IDOK));
    EXPECT_FALSE(ui::CloseBox(m_hDialog)) << "no system menu, no close box";

    EXPECT_FALSE(ui::Click(m_hDialog, IDC_OPT_READER)) << "a disabled box takes no click";
    EXPECT_FALSE(ui::Click(m_hDialog, IDCANCEL)) << "a hidden button takes no click";
    ASSERT_TRUE(ui::SetCheck(m_hDialog, IDC_OPT_MANUALS, true));
    ASSERT_TRUE(ui::SetCheck(m_hDialog, IDC_OPT_APPLICATION, false));
    ASSERT_TRUE(ui::WaitIdle(m_hDialog));
    EXPECT_FALSE(ui::IsChecked(m_hDialog, IDC_OPT_APPLICATION));
    EXPECT_TRUE(ui::IsChecked(m_hDialog, IDC_OPT_MANUALS));
    ASSERT_TRUE(ui::SetCheck(m_hDialog, IDC_OPT_MANUALS, true)) << "already ticked: nothing to do";
    ASSERT_TRUE(ui::WaitIdle(m_hDialog));
    EXPECT_TRUE(ui::IsChecked(m_hDialog, IDC_OPT_MANUALS));

    ASSERT_TRUE(ui::Click(m_hDialog, IDOK));
    EXPECT_EQ(static_cast<DWORD>(IDOK | 0x20 | 0x40), m_target.WaitExit(kWindowTimeoutMs))
        << "manuals and reader ticked, application cleared";
}

// A point of the target dialog's client area that no control covers, in screen pixels.
POINT EmptyClientPoint(HWND hDialog)
{
    RECT rcClient;
    GetClientRect(hDialog, &rcClient);
    POINT pt = {MulDiv(185, rcClient.right, kDirectoryCx), MulDiv(100, rcClient.bottom, kDirectoryCy)};
    ClientToScreen(hDialog, &pt);
    return pt;
}

bool WaitForScreenColour(POINT pt, COLORREF colour, DWORD dwTimeoutMs)
{
    for (DWORD waited = 0; waited < dwTimeoutMs; waited += 50) {
        if (ui::ScreenPixel(pt.x, pt.y) == colour)
            return true;
        Sleep(50);
    }
    return false;
}

TEST_F(TargetDialog, ScreenshotOfTheDialogShowsItsBackground)
{
    StartDirectory();
    POINT pt = EmptyClientPoint(m_hDialog);
    ASSERT_TRUE(WaitForScreenColour(pt, kTargetBackground, 5000))
        << "pixel " << std::hex << ui::ScreenPixel(pt.x, pt.y);

    std::string path = TempPath("uidriver_dialog.png");
    ASSERT_TRUE(ui::SaveScreenshot(path, m_hDialog));
    std::vector<unsigned char> png;
    ASSERT_TRUE(ReadFileBytes(path, &png));
    DeleteFileA(path.c_str());
    DecodedPng image;
    DecodeRgbPng(png, &image);
    ASSERT_FALSE(HasFatalFailure());

    RECT rcWindow;
    GetWindowRect(m_hDialog, &rcWindow);
    EXPECT_EQ(rcWindow.right - rcWindow.left, image.width);
    EXPECT_EQ(rcWindow.bottom - rcWindow.top, image.height);
    EXPECT_EQ(kTargetBackground, image.Pixel(pt.x - rcWindow.left, pt.y - rcWindow.top));
    // The edit field's white interior, just inside its border.
    RECT rcEdit = ui::ControlRectPixels(m_hDialog, IDC_DIR_EDIT);
    POINT ptEdit = {rcEdit.right - 4, (rcEdit.top + rcEdit.bottom) / 2};
    ClientToScreen(m_hDialog, &ptEdit);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), image.Pixel(ptEdit.x - rcWindow.left, ptEdit.y - rcWindow.top));
}

TEST_F(TargetDialog, ScreenshotOfTheWholeScreenHasTheScreenSize)
{
    StartDirectory();
    POINT pt = EmptyClientPoint(m_hDialog);
    ASSERT_TRUE(WaitForScreenColour(pt, kTargetBackground, 5000));

    std::string path = TempPath("uidriver_screen.png");
    ASSERT_TRUE(ui::SaveScreenshot(path));
    std::vector<unsigned char> png;
    ASSERT_TRUE(ReadFileBytes(path, &png));
    DeleteFileA(path.c_str());
    DecodedPng image;
    DecodeRgbPng(png, &image);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), image.width);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), image.height);
    EXPECT_EQ(kTargetBackground, image.Pixel(pt.x, pt.y));
}

// --- This process's own dialog, driven from a second thread --------------------------

class OwnDirectoryDlg : public CDialog {
public:
    OwnDirectoryDlg() : CDialog(IDD_DIRECTORY) {}
    std::string m_strTyped;

protected:
    BOOL OnInitDialog() override
    {
        SetWindowText("own dialog");
        SetDlgItemText(IDC_DIR_EDIT, "C:\\");
        SendDlgItemMessage(IDC_DIR_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[Windows]"));
        return CDialog::OnInitDialog();
    }
    void OnOK() override
    {
        m_strTyped = GetDlgItemText(IDC_DIR_EDIT).GetString();
        CDialog::OnOK();
    }
};

TEST(OwnDialog, IsDrivenFromASecondThread)
{
    OwnDirectoryDlg dialog;
    std::atomic<bool> found(false);
    std::string text;
    std::vector<std::string> items;
    RECT rcPixels = {}, rcExpected = {};
    std::thread driver([&] {
        HWND hDialog = ui::WaitForWindow("own dialog", kWindowTimeoutMs, GetCurrentProcessId(), "#32770");
        found = hDialog != NULL;
        if (!hDialog)
            return;
        ui::WaitIdle(hDialog);
        text = ui::ControlText(hDialog, IDC_DIR_EDIT);
        items = ui::ListItems(hDialog, IDC_DIR_LIST);
        rcPixels = ui::ControlRectPixels(hDialog, IDCANCEL);
        rcExpected = PixelRect(hDialog, 160, 24, 50, 14);
        ui::TypeText(hDialog, IDC_DIR_EDIT, "C:\\Pelorin");
        ui::WaitIdle(hDialog);
        ui::PressEnter(hDialog);
    });
    INT_PTR nResult = dialog.DoModal();
    driver.join();
    ASSERT_TRUE(found);
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ("C:\\", text);
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ("[Windows]", items[0]);
    EXPECT_EQ(rcExpected.left, rcPixels.left);
    EXPECT_EQ(rcExpected.top, rcPixels.top);
    EXPECT_EQ(rcExpected.right, rcPixels.right);
    EXPECT_EQ(rcExpected.bottom, rcPixels.bottom);
    EXPECT_EQ("C:\\Pelorin", dialog.m_strTyped) << "typed text reached the dialog before Enter";
}

// Handles a double-click slowly, answering messages sent to its thread meanwhile, as a
// handler does that waits on another thread or opens a nested message loop.
class SlowListDlg : public CDialog {
public:
    SlowListDlg() : CDialog(IDD_DIRECTORY) {}
    std::atomic<bool> m_bHandled{false};

protected:
    BOOL OnInitDialog() override
    {
        SetWindowText("slow dialog");
        SendDlgItemMessage(IDC_DIR_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[Slow]"));
        return CDialog::OnInitDialog();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_DIR_LIST && HIWORD(wParam) == LBN_DBLCLK) {
            MSG msg;
            for (int i = 0; i < 30; ++i) {
                PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                Sleep(10);
            }
            m_bHandled = true;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

TEST(OwnDialog, WaitIdleWaitsForPostedInputWhoseHandlerAnswersSentMessages)
{
    SlowListDlg dialog;
    std::atomic<bool> found(false), handledAfterWait(false), waited(false);
    std::thread driver([&] {
        HWND hDialog = ui::WaitForWindow("slow dialog", kWindowTimeoutMs, GetCurrentProcessId(), "#32770");
        found = hDialog != NULL;
        if (!hDialog)
            return;
        ui::WaitIdle(hDialog);
        if (ui::DoubleClickListItem(hDialog, IDC_DIR_LIST, 0)) {
            waited = ui::WaitIdle(hDialog);
            handledAfterWait = dialog.m_bHandled.load();
        }
        ui::PressEscape(hDialog);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    driver.join();
    ASSERT_TRUE(found);
    EXPECT_TRUE(waited);
    EXPECT_TRUE(handledAfterWait) << "WaitIdle returned before the double-click was handled";
}

} // namespace
