// The resources of the built Setup.exe, read as data: the string table, the five dialog
// templates control by control, the icon and the bitmaps, and their language.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/String.h"
#include "res/resource.h"
#include "uidriver/UiDriver.h"

namespace {

const WORD kLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 0x0409

// Setup.exe beside this test, loaded as a data file for its resources only.
class SetupModule {
public:
    SetupModule()
        : m_hModule(LoadLibraryExA((uidriver::ModuleDirectory() + "Setup.exe").c_str(), NULL,
                                   LOAD_LIBRARY_AS_DATAFILE))
    {
    }
    ~SetupModule()
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
    }
    SetupModule(const SetupModule&) = delete;
    SetupModule& operator=(const SetupModule&) = delete;
    HMODULE Get() const { return m_hModule; }

private:
    HMODULE m_hModule;
};

// The bytes of one resource, in US English; empty when there is none.
struct ResourceBytes {
    const unsigned char* p = nullptr;
    size_t size = 0;
    bool Found() const { return p != nullptr; }
};

ResourceBytes FindBytes(HMODULE hModule, LPCSTR pszType, LPCSTR pszName, WORD wLanguage = kLanguage)
{
    ResourceBytes bytes;
    HRSRC hInfo = FindResourceExA(hModule, pszType, pszName, wLanguage);
    if (!hInfo)
        return bytes;
    HGLOBAL hData = LoadResource(hModule, hInfo);
    bytes.p = hData ? static_cast<const unsigned char*>(LockResource(hData)) : nullptr;
    bytes.size = bytes.p ? SizeofResource(hModule, hInfo) : 0;
    return bytes;
}

std::string ResourceName(LPCSTR psz)
{
    return IS_INTRESOURCE(psz) ? "#" + std::to_string(LOWORD(reinterpret_cast<ULONG_PTR>(psz))) : std::string(psz);
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR pszName, LONG_PTR lParam)
{
    reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(ResourceName(pszName));
    return TRUE;
}

// The names of every resource of one type, "#n" for a number, in the module's order.
std::vector<std::string> NamesOfType(HMODULE hModule, LPCSTR pszType)
{
    std::vector<std::string> names;
    EnumResourceNamesA(hModule, pszType, CollectName, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_pModule = new SetupModule; }
    static void TearDownTestSuite()
    {
        delete s_pModule;
        s_pModule = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(Module() != NULL) << "Setup.exe beside the test cannot be loaded"; }
    static HMODULE Module() { return s_pModule ? s_pModule->Get() : NULL; }

    static SetupModule* s_pModule;
};

SetupModule* Resources::s_pModule = nullptr;

// --- String table -----------------------------------------------------------------------

// Entry nID of the string table, in UTF-16 as stored. False when the entry is missing
// or empty (an empty entry is no entry).
bool RawString(HMODULE hModule, unsigned nID, std::wstring* pText)
{
    ResourceBytes block = FindBytes(hModule, RT_STRING, MAKEINTRESOURCEA(nID / 16 + 1));
    if (!block.Found())
        return false;
    const WCHAR* p = reinterpret_cast<const WCHAR*>(block.p);
    const WCHAR* pEnd = p + block.size / sizeof(WCHAR);
    for (unsigned i = 0; i < nID % 16; ++i) {
        if (p >= pEnd)
            return false;
        p += 1 + *p;
    }
    if (p >= pEnd || *p == 0 || p + 1 + *p > pEnd)
        return false;
    pText->assign(p + 1, *p);
    return true;
}

// A UTF-16 text in code page 1252, the program's ANSI code page.
std::string To1252(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int nBytes = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), NULL, 0, NULL, NULL);
    std::string result(static_cast<size_t>(nBytes > 0 ? nBytes : 0), '\0');
    if (nBytes > 0)
        WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), &result[0], nBytes, NULL, NULL);
    return result;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

class StringTable : public Resources {
protected:
    std::string Entry(unsigned nID)
    {
        std::wstring raw;
        EXPECT_TRUE(RawString(Module(), nID, &raw)) << "no string " << nID;
        return To1252(raw);
    }
};

TEST_F(StringTable, QuotedEntriesAreExact)
{
    struct Quoted {
        unsigned nID;
        const char* pszText;
    };
    const Quoted quoted[] = {
        {IDS_ERR_CREATE_DIR, "An error occurred while attempting to create the installation directory. "
                             "Check permissions and available disk space and try again."},
        {IDS_TITLE_ERROR, "Installation Error!!!"},
        {IDS_TITLE_WELCOME, "Welcome..."},
        {IDS_TITLE_COMPLETE, "Installation Complete..."},
        {IDS_SLIDE1, "Pelorin measures Total Jitter to 10-16 BER and quantifies Random and Deterministic Jitter."},
        {IDS_SLIDE2, "Pelorin measures Total Noise to 10-16 BER and quantifies Random and Deterministic Noise."},
        {IDS_SLIDE3, "Pelorin measures Data Dependent Jitter for repeating patterns."},
        {IDS_SLIDE4, "CORVANE has other Signal Integrity solutions for optical and electrical applications."},
        {IDS_ERR_NO_OPTION, "An option must be selected to continue the installation."},
        {IDS_CONFIRM_EXISTING_DIR, "The directory you selected already exists:\n\n<%s>\n\n"
                                   "Select 'Next' to confirm that you want to\n"
                                   "use this directory anyway, replacing it's\n"
                                   "previous contents with this new installation."},
        {IDS_TITLE_ATTENTION, "Attention..."},
        {IDS_CONFIRM_NEW_DIR, "The directory you selected for installation is:\n\n<%s>\n\n"
                              "Select 'Next' to confirm you want the\n"
                              "installation to begin in this directory."},
    };
    for (const Quoted& q : quoted)
        EXPECT_EQ(q.pszText, Entry(q.nID)) << "string " << q.nID;
}

TEST_F(StringTable, EntriesOneToFifteenExistAndNoOthers)
{
    std::wstring raw;
    for (unsigned nID = 1; nID <= 15; ++nID)
        EXPECT_TRUE(RawString(Module(), nID, &raw)) << "no string " << nID;
    EXPECT_FALSE(RawString(Module(), 0, &raw));
    EXPECT_FALSE(RawString(Module(), 16, &raw));
}

TEST_F(StringTable, AgreementTextIsFourteenParagraphsWithCrLfBreaks)
{
    std::wstring raw;
    ASSERT_TRUE(RawString(Module(), IDS_AGREEMENT_TEXT, &raw));
    EXPECT_NEAR(3751.0, static_cast<double>(raw.size()), 3751 * 0.02) << "length " << raw.size();

    size_t nApostrophes = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == 0x2019) {
            ++nApostrophes;
        } else {
            EXPECT_LT(raw[i], 0x80) << "character " << i << " is neither ASCII nor the apostrophe";
        }
        if (raw[i] == L'\n') {
            EXPECT_TRUE(i > 0 && raw[i - 1] == L'\r') << "a line feed without a carriage return at " << i;
        }
        if (raw[i] == L'\r') {
            EXPECT_TRUE(i + 1 < raw.size() && raw[i + 1] == L'\n') << "a carriage return alone at " << i;
        }
    }
    EXPECT_EQ(1u, nApostrophes);

    std::string text = To1252(raw);
    EXPECT_EQ(1u, Count(text, "\x92")) << "the apostrophe is 0x92 in code page 1252";
    ASSERT_GE(text.size(), 4u);
    EXPECT_EQ("\r\n\r\n", text.substr(text.size() - 4)) << "the text ends with an empty line";
    std::vector<std::string> paragraphs = Split(text.substr(0, text.size() - 4), "\r\n\r\n");
    ASSERT_EQ(14u, paragraphs.size());
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        EXPECT_FALSE(paragraphs[i].empty()) << "paragraph " << i;
        EXPECT_EQ(std::string::npos, paragraphs[i].find('\n')) << "paragraph " << i << " breaks its lines";
        EXPECT_NE(' ', paragraphs[i].front()) << "paragraph " << i;
        EXPECT_NE(' ', paragraphs[i].back()) << "paragraph " << i;
    }
}

TEST_F(StringTable, WelcomeTextIsThreeParagraphs)
{
    std::string text = Entry(IDS_WELCOME_TEXT);
    EXPECT_NEAR(258.0, static_cast<double>(text.size()), 258 * 0.1) << "length " << text.size();
    const std::string first = "Thank you for purchasing the Corvane Pelorin software.\n\n";
    ASSERT_EQ(first, text.substr(0, first.size()));
    std::string rest = text.substr(first.size());
    std::vector<std::string> parts = Split(rest, "\r\n\r\n");
    ASSERT_EQ(2u, parts.size()) << "one CR LF CR LF between the second and third paragraphs";
    for (const std::string& part : parts) {
        EXPECT_FALSE(part.empty());
        EXPECT_EQ(std::string::npos, part.find_first_of("\r\n")) << part;
    }
    EXPECT_NE(std::string::npos, parts[1].find("Corvane")) << "the maker's notice";
    for (char ch : text)
        EXPECT_LT(static_cast<unsigned char>(ch), 0x80);
}

TEST_F(StringTable, SupportTextIsSevenLinesThirdEmpty)
{
    std::string text = Entry(IDS_SUPPORT_TEXT);
    EXPECT_NEAR(174.0, static_cast<double>(text.size()), 174 * 0.1) << "length " << text.size();
    EXPECT_EQ(std::string::npos, text.find('\r'));
    std::vector<std::string> lines = Split(text, "\n");
    ASSERT_EQ(7u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 2) {
            EXPECT_TRUE(lines[i].empty());
        } else {
            EXPECT_FALSE(lines[i].empty()) << "line " << i;
        }
    }
}

TEST_F(StringTable, FrameworkLoadsTheAgreementWholeFromTheProgramsOwnModule)
{
    // This test executable links the same resources as Setup.exe.
    std::wstring raw;
    ASSERT_TRUE(RawString(Module(), IDS_AGREEMENT_TEXT, &raw));
    int nBytes = WideCharToMultiByte(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), NULL, 0, NULL, NULL);
    std::string expected(static_cast<size_t>(nBytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), &expected[0], nBytes, NULL, NULL);

    CString loaded;
    ASSERT_TRUE(loaded.LoadString(IDS_AGREEMENT_TEXT));
    EXPECT_EQ(static_cast<int>(expected.size()), loaded.GetLength());
    EXPECT_EQ(expected, std::string(loaded.GetString(), static_cast<size_t>(loaded.GetLength())));
    EXPECT_GT(loaded.GetLength(), 3000) << "not cut at a buffer size";

    CString missing;
    EXPECT_FALSE(missing.LoadString(16));
    EXPECT_TRUE(missing.IsEmpty());
}

// --- Dialog templates ----------------------------------------------------------------

// A name or ordinal field of a template: 0x0000 none, 0xFFFF followed by an ordinal,
// otherwise a NUL-terminated UTF-16 string.
struct NameOrOrdinal {
    bool bOrdinal = false;
    WORD wOrdinal = 0;
    std::string text;  // in code page 1252
};

// Reads a template sequentially, refusing to read past its end.
class TemplateReader {
public:
    TemplateReader(const unsigned char* p, size_t size) : m_p(p), m_size(size) {}

    bool Ok() const { return m_bOk; }
    size_t Offset() const { return m_offset; }

    WORD Word()
    {
        WORD w = 0;
        if (Need(2))
            std::memcpy(&w, m_p + m_offset, 2);
        m_offset += m_bOk ? 2 : 0;
        return w;
    }
    DWORD Dword()
    {
        DWORD lo = Word();
        return lo | (static_cast<DWORD>(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }

    std::string String()
    {
        std::wstring text;
        for (WORD w = Word(); m_bOk && w != 0; w = Word())
            text += static_cast<wchar_t>(w);
        return To1252(text);
    }
    NameOrOrdinal Field()
    {
        NameOrOrdinal field;
        if (!Need(2))
            return field;
        WORD first;
        std::memcpy(&first, m_p + m_offset, 2);
        if (first == 0xFFFF) {
            Word();
            field.bOrdinal = true;
            field.wOrdinal = Word();
        } else {
            field.text = String();
        }
        return field;
    }
    void Skip(size_t n)
    {
        if (Need(n))
            m_offset += n;
    }
    void AlignDword()
    {
        size_t padding = (4 - m_offset % 4) % 4;
        if (padding)
            Skip(padding);
    }

private:
    bool Need(size_t n)
    {
        if (m_offset + n > m_size)
            m_bOk = false;
        return m_bOk;
    }
    const unsigned char* m_p;
    size_t m_size;
    size_t m_offset = 0;
    bool m_bOk = true;
};

struct ControlTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    NameOrOrdinal windowClass, text;
    WORD extraBytes = 0;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu, windowClass;
    std::string caption;
    WORD pointSize = 0;
    std::string face;
    std::vector<ControlTemplate> controls;
};

// Parses a DLGTEMPLATE (not the extended form) with its DLGITEMTEMPLATEs.
bool ParseDialog(const ResourceBytes& bytes, DialogTemplate* pDialog)
{
    TemplateReader in(bytes.p, bytes.size);
    pDialog->style = in.Dword();
    pDialog->exStyle = in.Dword();
    WORD nControls = in.Word();
    pDialog->x = in.Short();
    pDialog->y = in.Short();
    pDialog->cx = in.Short();
    pDialog->cy = in.Short();
    pDialog->menu = in.Field();
    pDialog->windowClass = in.Field();
    pDialog->caption = in.String();
    if (pDialog->style & DS_SETFONT) {
        pDialog->pointSize = in.Word();
        pDialog->face = in.String();
    }
    for (WORD i = 0; i < nControls && in.Ok(); ++i) {
        in.AlignDword();
        ControlTemplate control;
        control.style = in.Dword();
        control.exStyle = in.Dword();
        control.x = in.Short();
        control.y = in.Short();
        control.cx = in.Short();
        control.cy = in.Short();
        control.id = in.Word();
        control.windowClass = in.Field();
        control.text = in.Field();
        control.extraBytes = in.Word();
        in.Skip(control.extraBytes);
        pDialog->controls.push_back(control);
    }
    return in.Ok();
}

// Predefined control classes as the template stores them.
const WORD ATOM_BUTTON = 0x0080, ATOM_EDIT = 0x0081, ATOM_STATIC = 0x0082, ATOM_LISTBOX = 0x0083,
           ATOM_COMBOBOX = 0x0085;
const WORD NO_ID = 0xFFFF;  // -1: a static text without an identifier of its own
const DWORD CHILD = WS_CHILD | WS_VISIBLE;

struct ExpectedControl {
    WORD id;
    WORD classAtom;          // 0 when the class is given by name
    const char* pszClass;    // the class name, when not an atom
    const char* pszText;     // NULL when the text is an ordinal
    WORD textOrdinal;
    short x, y, cx, cy;
    DWORD style;
};

struct ExpectedDialog {
    WORD id;
    short cx, cy;
    DWORD style;
    const char* pszCaption;
    std::vector<ExpectedControl> controls;
};

const DWORD PAGE_STYLE = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION;

std::vector<ExpectedDialog> ExpectedDialogs()
{
    return {
        {IDD_MESSAGE, 229, 94, PAGE_STYLE | WS_VISIBLE, "Installation Error !!!",
         {
             {IDC_TEXT, ATOM_STATIC, nullptr, "Static", 0, 7, 7, 215, 63, CHILD | SS_CENTER | WS_GROUP},
             {IDOK, ATOM_BUTTON, nullptr, "OK", 0, 89, 73, 50, 14, CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP},
             {IDCANCEL, ATOM_BUTTON, nullptr, "Cancel", 0, 39, 73, 50, 14, CHILD | BS_PUSHBUTTON | WS_TABSTOP},
         }},
        {IDD_AGREEMENT, 285, 185, PAGE_STYLE | WS_VISIBLE, "License Agreement",
         {
             {IDOK, ATOM_BUTTON, nullptr, "Yes", 0, 217, 164, 37, 14, CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP},
             {IDCANCEL, ATOM_BUTTON, nullptr, "No", 0, 31, 164, 37, 14, CHILD | BS_PUSHBUTTON | WS_TABSTOP},
             {IDC_TEXT, ATOM_STATIC, nullptr, "Do you accept all the conditions in the following license agreement?",
              0, 83, 7, 119, 17, CHILD | SS_CENTER | WS_GROUP},
             {IDC_AGREEMENT_EDIT, ATOM_EDIT, nullptr, "", 0, 7, 30, 271, 126,
              CHILD | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
         }},
        {IDD_DIRECTORY, 217, 138, PAGE_STYLE | WS_SYSMENU, "Select Installation Directory",
         {
             {IDC_DIR_EDIT, ATOM_EDIT, nullptr, "", 0, 7, 26, 143, 12,
              CHILD | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
             {NO_ID, ATOM_STATIC, nullptr, "Directory name:", 0, 7, 7, 92, 16, CHILD | SS_LEFT | WS_GROUP},
             {IDC_DIR_LIST, ATOM_LISTBOX, nullptr, "", 0, 7, 41, 143, 64,
              CHILD | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL | WS_VSCROLL | WS_BORDER |
                  WS_TABSTOP},
             {NO_ID, ATOM_STATIC, nullptr, "Drives:", 0, 7, 107, 92, 9, CHILD | SS_LEFT | WS_GROUP},
             {IDC_DRIVE_COMBO, ATOM_COMBOBOX, nullptr, "", 0, 7, 117, 143, 68,
              CHILD | CBS_DROPDOWNLIST | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
             {IDOK, ATOM_BUTTON, nullptr, "Next >>>", 0, 160, 7, 50, 14, CHILD | BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP},
             {IDCANCEL, ATOM_BUTTON, nullptr, "<<< Back", 0, 160, 24, 50, 14,
              CHILD | BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP},
         }},
        {IDD_PROGRESS, 164, 180, DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_VISIBLE, "",
         {
             {IDC_SLIDE_PICTURE, ATOM_STATIC, nullptr, nullptr, IDB_SPLASH, 7, 7, 150, 125, CHILD | SS_BITMAP},
             {IDC_TEXT, ATOM_STATIC, nullptr,
              "Try the new Corvane 'Getting Started Wizard' to quickly get up and running.", 0, 25, 135, 117, 24,
              CHILD | SS_CENTER | WS_GROUP},
             {IDC_PROGRESS_BAR, 0, "msctls_progress32", "Progress1", 0, 7, 161, 150, 12, CHILD | WS_BORDER},
         }},
        {IDD_OPTIONS, 186, 81, PAGE_STYLE, "Select Option",
         {
             {IDC_OPT_APPLICATION, ATOM_BUTTON, nullptr, "Install Pelorin Application and Help files", 0, 7, 7, 149,
              10, CHILD | BS_AUTOCHECKBOX | WS_TABSTOP},
             {IDC_OPT_MANUALS, ATOM_BUTTON, nullptr, "Copy Manuals in PDF format to Hard Drive", 0, 7, 21, 149, 10,
              CHILD | BS_AUTOCHECKBOX | WS_TABSTOP},
             {IDC_OPT_READER, ATOM_BUTTON, nullptr, "Install Acrobat Reader in order to view PDF files", 0, 7, 35,
              166, 10, CHILD | BS_AUTOCHECKBOX | WS_TABSTOP},
             {IDOK, ATOM_BUTTON, nullptr, "Next >>>", 0, 109, 60, 50, 14, CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP},
             {IDCANCEL, ATOM_BUTTON, nullptr, "<<< Back", 0, 27, 60, 50, 14, CHILD | BS_PUSHBUTTON | WS_TABSTOP},
         }},
    };
}

std::string AsciiUpper(std::string text)
{
    for (char& ch : text)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return text;
}

std::string Describe(const NameOrOrdinal& field)
{
    return field.bOrdinal ? "#" + std::to_string(field.wOrdinal) : "\"" + field.text + "\"";
}

void ExpectControl(const ExpectedControl& expected, const ControlTemplate& actual)
{
    EXPECT_EQ(expected.id, actual.id);
    if (expected.classAtom) {
        EXPECT_TRUE(actual.windowClass.bOrdinal) << "class " << Describe(actual.windowClass);
        EXPECT_EQ(expected.classAtom, actual.windowClass.wOrdinal);
    } else {
        // Window class names are case-insensitive; windres stores them upper-cased.
        EXPECT_FALSE(actual.windowClass.bOrdinal);
        EXPECT_EQ(AsciiUpper(expected.pszClass), AsciiUpper(actual.windowClass.text));
    }
    if (expected.pszText) {
        EXPECT_FALSE(actual.text.bOrdinal) << "text " << Describe(actual.text);
        EXPECT_EQ(expected.pszText, actual.text.text);
    } else {
        EXPECT_TRUE(actual.text.bOrdinal) << "text " << Describe(actual.text);
        EXPECT_EQ(expected.textOrdinal, actual.text.wOrdinal);
    }
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.cx, actual.cx);
    EXPECT_EQ(expected.cy, actual.cy);
    EXPECT_EQ(expected.style, actual.style) << std::hex << "expected 0x" << expected.style << ", got 0x"
                                            << actual.style;
    EXPECT_EQ(0u, actual.exStyle);
    EXPECT_EQ(0, actual.extraBytes) << "no creation data";
}

TEST_F(Resources, DialogTemplatesMatchControlByControl)
{
    for (const ExpectedDialog& expected : ExpectedDialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(expected.id));
        ResourceBytes bytes = FindBytes(Module(), RT_DIALOG, MAKEINTRESOURCEA(expected.id));
        ASSERT_TRUE(bytes.Found());
        ASSERT_GE(bytes.size, 4u);
        ASSERT_FALSE(bytes.p[2] == 0xFF && bytes.p[3] == 0xFF && bytes.p[0] == 1) << "an extended template";
        DialogTemplate dialog;
        ASSERT_TRUE(ParseDialog(bytes, &dialog)) << "template cut short";

        EXPECT_EQ(expected.style, dialog.style) << std::hex << "expected 0x" << expected.style << ", got 0x"
                                                << dialog.style;
        EXPECT_EQ(0u, dialog.exStyle);
        EXPECT_EQ(0, dialog.x);
        EXPECT_EQ(0, dialog.y);
        EXPECT_EQ(expected.cx, dialog.cx);
        EXPECT_EQ(expected.cy, dialog.cy);
        EXPECT_FALSE(dialog.menu.bOrdinal || !dialog.menu.text.empty()) << "no menu";
        EXPECT_FALSE(dialog.windowClass.bOrdinal || !dialog.windowClass.text.empty()) << "the standard dialog class";
        EXPECT_EQ(expected.pszCaption, dialog.caption);
        EXPECT_EQ(10, dialog.pointSize);
        EXPECT_EQ("MS Sans Serif", dialog.face);

        ASSERT_EQ(expected.controls.size(), dialog.controls.size());
        for (size_t i = 0; i < expected.controls.size(); ++i) {
            SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(expected.controls[i].id) + ")");
            ExpectControl(expected.controls[i], dialog.controls[i]);
        }
    }
}

TEST_F(Resources, OnlyTheFiveDialogTemplatesExist)
{
    EXPECT_EQ((std::vector<std::string>{"#100", "#101", "#102", "#103", "#134"}), NamesOfType(Module(), RT_DIALOG));
}

// --- Icon and bitmaps -----------------------------------------------------------------

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved, type, count;
};
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInResource;
    WORD id;
};
#pragma pack(pop)

TEST_F(Resources, IconGroupHoldsA32And16PixelSixteenColourImage)
{
    ResourceBytes group = FindBytes(Module(), RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_SETUP));
    ASSERT_TRUE(group.Found());
    ASSERT_GE(group.size, sizeof(GroupIconHeader));
    GroupIconHeader header;
    std::memcpy(&header, group.p, sizeof header);
    EXPECT_EQ(0, header.reserved);
    EXPECT_EQ(1, header.type) << "icons, not cursors";
    ASSERT_EQ(2, header.count);
    ASSERT_EQ(sizeof header + 2 * sizeof(GroupIconEntry), group.size);

    const int expectedSides[2] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        GroupIconEntry entry;
        std::memcpy(&entry, group.p + sizeof header + i * sizeof entry, sizeof entry);
        const int side = expectedSides[i];
        EXPECT_EQ(side, entry.width);
        EXPECT_EQ(side, entry.height);
        EXPECT_EQ(16, entry.colourCount);
        EXPECT_EQ(1, entry.planes);
        EXPECT_EQ(4, entry.bitCount);

        ResourceBytes image = FindBytes(Module(), RT_ICON, MAKEINTRESOURCEA(entry.id));
        ASSERT_TRUE(image.Found()) << "icon image " << entry.id;
        EXPECT_EQ(entry.bytesInResource, image.size);
        ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER bih;
        std::memcpy(&bih, image.p, sizeof bih);
        EXPECT_EQ(40u, bih.biSize);
        EXPECT_EQ(side, bih.biWidth);
        EXPECT_EQ(2 * side, bih.biHeight) << "colour and mask rows";
        EXPECT_EQ(4, bih.biBitCount);
        // Header, 16 colours, 4-bit colour rows and 1-bit mask rows, each padded to 4 bytes.
        const size_t colourRow = ((side * 4 + 31) / 32) * 4, maskRow = ((side + 31) / 32) * 4;
        EXPECT_EQ(40 + 16 * 4 + side * (colourRow + maskRow), image.size);
    }

    EXPECT_EQ(std::vector<std::string>{"#128"}, NamesOfType(Module(), RT_GROUP_ICON))
        << "the only icon group, so the shell shows it for Setup.exe";
}

TEST_F(Resources, BitmapsAreUncompressedEightBitWithFullColourTables)
{
    struct Expected {
        WORD id;
        int width, height;
    };
    const Expected bitmaps[] = {
        {IDB_SPLASH, 500, 500}, {IDB_SLIDE1, 300, 250}, {IDB_SLIDE2, 300, 250},
        {IDB_SLIDE3, 300, 250}, {IDB_SLIDE4, 300, 250},
    };
    for (const Expected& expected : bitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(expected.id));
        ResourceBytes bytes = FindBytes(Module(), RT_BITMAP, MAKEINTRESOURCEA(expected.id));
        ASSERT_TRUE(bytes.Found());
        ASSERT_GE(bytes.size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER bih;
        std::memcpy(&bih, bytes.p, sizeof bih);
        EXPECT_EQ(40u, bih.biSize);
        EXPECT_EQ(expected.width, bih.biWidth);
        EXPECT_EQ(expected.height, bih.biHeight) << "positive: rows bottom-up";
        EXPECT_EQ(1, bih.biPlanes);
        EXPECT_EQ(8, bih.biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), bih.biCompression);
        EXPECT_TRUE(bih.biClrUsed == 0 || bih.biClrUsed == 256) << "colours used " << bih.biClrUsed;
        EXPECT_EQ(40u + 1024u + static_cast<size_t>(expected.width) * expected.height, bytes.size);
    }
}

// --- Languages ------------------------------------------------------------------------

struct ResourceLanguage {
    std::string type, name;
    WORD language;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR pszType, LPCSTR pszName, WORD wLanguage, LONG_PTR lParam)
{
    auto* pAll = reinterpret_cast<std::vector<ResourceLanguage>*>(lParam);
    pAll->push_back({ResourceName(pszType), ResourceName(pszName), wLanguage});
    return TRUE;
}

BOOL CALLBACK CollectNameLanguages(HMODULE hModule, LPCSTR pszType, LPSTR pszName, LONG_PTR lParam)
{
    EnumResourceLanguagesA(hModule, pszType, pszName, CollectLanguage, lParam);
    return TRUE;
}

BOOL CALLBACK CollectTypeLanguages(HMODULE hModule, LPSTR pszType, LONG_PTR lParam)
{
    EnumResourceNamesA(hModule, pszType, CollectNameLanguages, lParam);
    return TRUE;
}

TEST_F(Resources, EveryResourceIsInUsEnglish)
{
    std::vector<ResourceLanguage> all;
    EnumResourceTypesA(Module(), CollectTypeLanguages, reinterpret_cast<LONG_PTR>(&all));
    ASSERT_GE(all.size(), 5u + 2u + 1u + 5u + 1u) << "dialogs, icon images, icon group, bitmaps, strings";
    for (const ResourceLanguage& resource : all)
        EXPECT_EQ(kLanguage, resource.language) << "type " << resource.type << ", name " << resource.name;
}

// --- What the system shows about the program -------------------------------------------

// Read through the system's own version functions, as the shell's properties page reads it.
struct VersionCase {
    const char* pszFile;
    const char* pszCompany;
    const char* pszProduct;
    const char* pszDescription;
    const char* pszVersion;  // null: any, as long as numbers and texts agree
};

class VersionInformation : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionInformation, NamesMakerProductAndVersionInUsEnglish)
{
    const VersionCase& expected = GetParam();
    const std::string path = uidriver::ModuleDirectory() + expected.pszFile;
    DWORD dwIgnored = 0;
    DWORD nSize = GetFileVersionInfoSizeA(path.c_str(), &dwIgnored);
    ASSERT_GT(nSize, 0u) << "no version information";
    std::vector<char> info(nSize);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, nSize, info.data()));

    WORD* pTranslation = nullptr;
    UINT nBytes = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation),
                               &nBytes));
    ASSERT_EQ(4u, nBytes) << "one language";
    EXPECT_EQ(kLanguage, pTranslation[0]);
    auto value = [&](const char* pszName) {
        char szKey[96];
        std::snprintf(szKey, sizeof szKey, "\\StringFileInfo\\%04x%04x\\%s", pTranslation[0], pTranslation[1],
                      pszName);
        char* pszValue = nullptr;
        UINT nLength = 0;
        if (!VerQueryValueA(info.data(), szKey, reinterpret_cast<void**>(&pszValue), &nLength) || !pszValue)
            return std::string("(none)");
        return std::string(pszValue);
    };
    EXPECT_EQ(expected.pszCompany, value("CompanyName"));
    EXPECT_EQ(expected.pszProduct, value("ProductName"));
    EXPECT_EQ(expected.pszDescription, value("FileDescription"));

    // The numbers and the texts give the same version.
    VS_FIXEDFILEINFO* pFixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&pFixed), &nBytes));
    char szVersion[32];
    std::snprintf(szVersion, sizeof szVersion, "%u.%u.%u.%u", HIWORD(pFixed->dwFileVersionMS),
                  LOWORD(pFixed->dwFileVersionMS), HIWORD(pFixed->dwFileVersionLS), LOWORD(pFixed->dwFileVersionLS));
    EXPECT_NE(0u, pFixed->dwFileVersionMS);
    EXPECT_EQ(szVersion, value("FileVersion"));
    EXPECT_EQ(szVersion, value("ProductVersion"));
    if (expected.pszVersion) {
        EXPECT_STREQ(expected.pszVersion, szVersion);
    }
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), pFixed->dwFileType);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), pFixed->dwFileOS);
}

// Setup.exe as the build writes it (the payload tool's defaults, which are the stub's own
// version resource), and a vendor's, written with --product-version, --company, --product.
INSTANTIATE_TEST_SUITE_P(Resources, VersionInformation,
                         ::testing::Values(VersionCase{"Setup.exe", "Corvane Corporation", "Pelorin", "Pelorin Setup",
                                                       nullptr},
                                           VersionCase{"VendorSetup.exe", "Vendor Ltd", "Widget",
                                                       "Widget Setup", "3.2.1.0"}));

} // namespace
