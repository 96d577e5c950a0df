// What the payload tool writes into the programs the project builds once, so that a
// vendor's Setup.exe is made without a compiler: the payload archive (RT_RCDATA 127) and
// the version resource into a copy of the Setup.exe stub, the installation list
// (RT_RCDATA 1) into a copy of the uninstaller BraxDel.dll. Everything else in them stays
// as it was built, byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "VersionInfo.h"

// The image of stub with archive as its one payload (a payload the stub carries already
// is replaced, in whatever language it stood) and the version resource made from
// version. With bPayloadCheck the CRC-32 of the archive goes beside it (RT_RCDATA
// IDR_PAYLOAD_CHECK), which the setup program compares before it writes anything;
// without it no such record is left, not even one the stub carried. Notes tell what else
// happened (a replaced payload, a dropped signature).
bool WritePayloadIntoStub(const std::vector<uint8_t>& stub, const std::vector<uint8_t>& archive,
                          const VersionInfoText& version, bool bPayloadCheck, std::vector<uint8_t>& image,
                          std::vector<std::string>& notes, std::string& error);

// The image of the uninstaller stub with list as its installation list.
bool WriteListIntoUninstaller(const std::vector<uint8_t>& stub, const std::string& list, std::vector<uint8_t>& image,
                              std::vector<std::string>& notes, std::string& error);
