#include "SetupStub.h"

#include "PayloadStream.h"
#include "PeResource.h"
#include "PeResourceEditor.h"
#include "res/resource.h"
#include "uninstall/InstallList.h"

namespace {

const uint32_t VERSION_RESOURCE = 1;  // VS_VERSION_INFO

bool LoadStub(const std::vector<uint8_t>& stub, const char* pszWhat, PeResourceEditor& editor, std::string& error)
{
    if (editor.Load(stub, error))
        return true;
    error = std::string("the ") + pszWhat + " cannot be rewritten: " + error;
    return false;
}

}  // namespace

bool WritePayloadIntoStub(const std::vector<uint8_t>& stub, const std::vector<uint8_t>& archive,
                          const VersionInfoText& version, bool bPayloadCheck, std::vector<uint8_t>& image,
                          std::vector<std::string>& notes, std::string& error)
{
    PeResourceEditor editor;
    if (!LoadStub(stub, "Setup.exe stub", editor, error))
        return false;
    if (const std::vector<uint8_t>* pOld = editor.Find(PE_RT_RCDATA, IDR_PAYLOAD, PE_LANG_ENGLISH_US))
        notes.push_back("replaced the payload the stub carried (" + std::to_string(pOld->size()) + " bytes)");
    size_t nDropped = editor.SetOnly(PE_RT_RCDATA, IDR_PAYLOAD, PE_LANG_ENGLISH_US, archive);
    if (nDropped)
        notes.push_back("dropped " + std::to_string(nDropped) + " payload resource(s) in other languages");
    if (bPayloadCheck) {
        uint32_t nCrc = PayloadCrc32(archive.data(), archive.size());
        std::vector<uint8_t> record = {static_cast<uint8_t>(nCrc), static_cast<uint8_t>(nCrc >> 8),
                                       static_cast<uint8_t>(nCrc >> 16), static_cast<uint8_t>(nCrc >> 24)};
        editor.SetOnly(PE_RT_RCDATA, IDR_PAYLOAD_CHECK, PE_LANG_ENGLISH_US, record);
    } else {
        editor.Remove(PE_RT_RCDATA, IDR_PAYLOAD_CHECK);
    }

    std::vector<uint8_t> versionInfo;
    if (!BuildVersionInfo(version, versionInfo, error))
        return false;
    editor.SetOnly(PE_RT_VERSION, VERSION_RESOURCE, PE_LANG_ENGLISH_US, versionInfo);
    return editor.Save(image, notes, error);
}

bool WriteListIntoUninstaller(const std::vector<uint8_t>& stub, const std::string& list, std::vector<uint8_t>& image,
                              std::vector<std::string>& notes, std::string& error)
{
    PeResourceEditor editor;
    if (!LoadStub(stub, "uninstaller stub", editor, error))
        return false;
    if (!editor.Find(PE_RT_RCDATA, INSTALL_LIST_RESOURCE, PE_LANG_ENGLISH_US)) {
        error = "the uninstaller stub has no installation list resource: it is not BraxDel.dll";
        return false;
    }
    // The list is checked the way the uninstaller reads it: a list it would refuse would
    // leave every installation it belongs to without an uninstaller.
    CInstallListReader reader(list.data(), list.size());
    InstallListEntry entry;
    while (reader.Next(entry)) {
    }
    if (reader.Failed()) {
        error = "the installation list has a line the uninstaller cannot read (a name with a tab, slash or colon?)";
        return false;
    }
    editor.SetOnly(PE_RT_RCDATA, INSTALL_LIST_RESOURCE, PE_LANG_ENGLISH_US,
                   std::vector<uint8_t>(list.begin(), list.end()));
    return editor.Save(image, notes, error);
}
