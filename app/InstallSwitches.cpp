#include "InstallSwitches.h"

#include <cstring>

#include "../engine/Options.h"
#include "../framework/PathText.h"

namespace {

const char SWITCH_AUTORUN[] = "-autorun";
const char SWITCH_RESTART[] = "-restart";
const char SWITCH_SILENT[] = "-silent";
const char SWITCH_DIR[] = "-dir=";
const char SWITCH_OPTIONS[] = "-options=";
const char SWITCH_LOG[] = "-log=";

// The switches that are found anywhere, even inside a value.
const char* const FLAG_SWITCHES[] = {SWITCH_AUTORUN, SWITCH_RESTART, SWITCH_SILENT};

// One valued switch found in the command line: where its text begins and ends (the
// quote that opens a wholly quoted switch included) and where its value lies.
struct ValuedSwitch {
    const char* pszName;
    const char* pszBegin;
    const char* pszValue;
    size_t nValue;
    const char* pszEnd;
    bool bUnclosed;
};

bool StartsWithIgnoringCase(const char* pszText, const char* pszPrefix)
{
    for (; *pszPrefix; ++pszText, ++pszPrefix) {
        if (LowerAscii(*pszText) != *pszPrefix)
            return false;
    }
    return true;
}

// True when pch[0..nLength) contains pszSub (given in lower case), ignoring case.
bool ContainsIgnoringCase(const char* pch, size_t nLength, const char* pszSub)
{
    size_t nSub = std::strlen(pszSub);
    for (size_t i = 0; i + nSub <= nLength; ++i) {
        size_t j = 0;
        while (j < nSub && LowerAscii(pch[i + j]) == pszSub[j])
            ++j;
        if (j == nSub)
            return true;
    }
    return false;
}

// The arguments: the command line after the program's path, which is quoted or ends at
// the first space or tab. A folder of the medium named "Tools -silent" is not a switch.
const char* ArgumentsOf(const char* pszCommandLine)
{
    const char* psz = pszCommandLine;
    if (*psz == '"') {
        const char* pszClose = std::strchr(psz + 1, '"');
        return pszClose ? pszClose + 1 : psz + std::strlen(psz);
    }
    while (*psz && *psz != ' ' && *psz != '\t')
        ++psz;
    return psz;
}

// The valued switch that begins at psz, if one does; pszLine is the whole command line.
bool ReadValuedSwitch(const char* pszLine, const char* psz, ValuedSwitch* pFound)
{
    static const char* const NAMES[] = {SWITCH_DIR, SWITCH_OPTIONS, SWITCH_LOG};
    const char* pszName = NULL;
    for (const char* pszCandidate : NAMES) {
        if (StartsWithIgnoringCase(psz, pszCandidate))
            pszName = pszCandidate;
    }
    if (!pszName)
        return false;

    pFound->pszName = pszName;
    pFound->pszBegin = psz;
    pFound->bUnclosed = false;
    const char* pszValue = psz + std::strlen(pszName);
    char chClose = 0;
    if (psz > pszLine && psz[-1] == '"') {
        // "-dir=C:\Some Path": the quote before the switch closes after its value.
        pFound->pszBegin = psz - 1;
        chClose = '"';
    } else if (*pszValue == '"') {
        ++pszValue;
        chClose = '"';
    }
    const char* pszValueEnd = pszValue;
    if (chClose) {
        while (*pszValueEnd && *pszValueEnd != chClose)
            ++pszValueEnd;
        pFound->bUnclosed = *pszValueEnd == '\0';
        pFound->pszEnd = pFound->bUnclosed ? pszValueEnd : pszValueEnd + 1;
    } else {
        while (*pszValueEnd && *pszValueEnd != ' ' && *pszValueEnd != '\t')
            ++pszValueEnd;
        pFound->pszEnd = pszValueEnd;
    }
    pFound->pszValue = pszValue;
    pFound->nValue = static_cast<size_t>(pszValueEnd - pszValue);
    return true;
}

// Records the first refusal only: it is the one the user sees.
void Refuse(InstallSwitches* pSwitches, const char* pszSwitch, const char* pszReason)
{
    if (pSwitches->szError[0])
        return;
    CString strError;
    strError.Format("The switch %s cannot be used. %s", pszSwitch, pszReason);
    size_t nCopy = static_cast<size_t>(strError.GetLength());
    if (nCopy >= sizeof pSwitches->szError)
        nCopy = sizeof pSwitches->szError - 1;
    std::memcpy(pSwitches->szError, strError.GetString(), nCopy);
    pSwitches->szError[nCopy] = '\0';
}

// Copies a value into its buffer; false (refused) when it is empty, too long or unclosed,
// or holds a switch that is found anywhere.
bool TakeValue(const ValuedSwitch& found, char* pszOut, size_t cchOut, InstallSwitches* pSwitches)
{
    if (found.bUnclosed) {
        Refuse(pSwitches, found.pszName, "Its value has no closing double quote.");
        return false;
    }
    if (found.nValue == 0) {
        Refuse(pSwitches, found.pszName, "Its value is empty.");
        return false;
    }
    if (found.nValue >= cchOut) {
        Refuse(pSwitches, found.pszName, "Its value is too long.");
        return false;
    }
    for (const char* pszFlag : FLAG_SWITCHES) {
        if (ContainsIgnoringCase(found.pszValue, found.nValue, pszFlag)) {
            Refuse(pSwitches, found.pszName, "Its value holds another switch.");
            return false;
        }
    }
    std::memcpy(pszOut, found.pszValue, found.nValue);
    pszOut[found.nValue] = '\0';
    return true;
}

// app,manuals,reader in any order and case, at least one.
bool ReadOptionWords(const char* pszValue, int* pnOptions, InstallSwitches* pSwitches)
{
    static const struct {
        const char* pszWord;
        int nBit;
    } WORDS[] = {{"app", OPTION_APPLICATION}, {"manuals", OPTION_MANUALS}, {"reader", OPTION_READER}};
    int nOptions = 0;
    const char* pszWord = pszValue;
    for (;;) {
        const char* pszComma = std::strchr(pszWord, ',');
        size_t nWord = pszComma ? static_cast<size_t>(pszComma - pszWord) : std::strlen(pszWord);
        int nBit = 0;
        for (const auto& known : WORDS) {
            if (std::strlen(known.pszWord) == nWord && StartsWithIgnoringCase(pszWord, known.pszWord))
                nBit = known.nBit;
        }
        if (nBit == 0) {
            CString strReason;
            strReason.Format("\"%s\" is not one of app, manuals, reader.",
                             CString(pszWord, static_cast<int>(nWord)).GetString());
            Refuse(pSwitches, SWITCH_OPTIONS, strReason);
            return false;
        }
        nOptions |= nBit;
        if (!pszComma)
            break;
        pszWord = pszComma + 1;
    }
    *pnOptions = nOptions;
    return true;
}

void TakeSwitch(const ValuedSwitch& found, InstallSwitches* pSwitches)
{
    if (found.pszName == SWITCH_DIR) {
        if (pSwitches->bDirGiven) {
            Refuse(pSwitches, SWITCH_DIR, "It is given twice.");
            return;
        }
        pSwitches->bDirGiven = true;
        if (!TakeValue(found, pSwitches->szDir, sizeof pSwitches->szDir, pSwitches))
            return;
        // One trailing backslash goes, as the chooser removes it; a drive's root keeps
        // its backslash so that it is refused as what it is.
        size_t nLength = std::strlen(pSwitches->szDir);
        if (nLength > 3 && pSwitches->szDir[nLength - 1] == '\\')
            pSwitches->szDir[nLength - 1] = '\0';
        const char* pszProblem = InstallDirTextProblem(pSwitches->szDir);
        if (pszProblem) {
            Refuse(pSwitches, SWITCH_DIR, pszProblem);
            pSwitches->szDir[0] = '\0';
        }
    } else if (found.pszName == SWITCH_OPTIONS) {
        if (pSwitches->bOptionsGiven) {
            Refuse(pSwitches, SWITCH_OPTIONS, "It is given twice.");
            return;
        }
        pSwitches->bOptionsGiven = true;
        char szWords[64];
        if (TakeValue(found, szWords, sizeof szWords, pSwitches))
            ReadOptionWords(szWords, &pSwitches->nOptions, pSwitches);
    } else {
        if (pSwitches->bLogGiven) {
            Refuse(pSwitches, SWITCH_LOG, "It is given twice.");
            return;
        }
        pSwitches->bLogGiven = true;
        TakeValue(found, pSwitches->szLog, sizeof pSwitches->szLog, pSwitches);
    }
}

} // namespace

bool ParseInstallSwitches(const char* pszCommandLine, InstallSwitches* pSwitches)
{
    std::memset(pSwitches, 0, sizeof *pSwitches);
    const size_t nLine = std::strlen(pszCommandLine);
    pSwitches->bAutorun = ContainsIgnoringCase(pszCommandLine, nLine, SWITCH_AUTORUN);
    pSwitches->bRestart = ContainsIgnoringCase(pszCommandLine, nLine, SWITCH_RESTART);
    const char* pszArguments = ArgumentsOf(pszCommandLine);
    pSwitches->bSilent = ContainsIgnoringCase(pszArguments, std::strlen(pszArguments), SWITCH_SILENT);

    const char* psz = pszArguments;
    while (*psz) {
        ValuedSwitch found;
        if (ReadValuedSwitch(pszCommandLine, psz, &found)) {
            TakeSwitch(found, pSwitches);
            psz = found.pszEnd;
        } else {
            ++psz;
        }
    }
    return pSwitches->szError[0] == '\0';
}

CString WithoutValuedSwitches(const char* pszCommandLine)
{
    CString strRest;
    const char* pszCopied = pszCommandLine;
    const char* psz = ArgumentsOf(pszCommandLine);
    while (*psz) {
        ValuedSwitch found;
        if (ReadValuedSwitch(pszCommandLine, psz, &found)) {
            strRest += CString(pszCopied, static_cast<int>(found.pszBegin - pszCopied));
            psz = pszCopied = found.pszEnd;
        } else {
            ++psz;
        }
    }
    return strRest + pszCopied;
}
