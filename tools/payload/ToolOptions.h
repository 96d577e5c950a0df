// The payload tool's command line: the command, its arguments and its options, read into
// one structure and checked against what the command takes.
#pragma once

#include <string>
#include <vector>

#include "AnsiCodePage.h"
#include "ParallelFor.h"

const int EXIT_REFUSED = 1;  // the input is faulty: a refused name, a damaged archive, a failed write
const int EXIT_USAGE = 2;    // the command line is faulty

struct ToolOptions {
    std::string command;
    std::vector<std::string> positional;
    std::string manifest, folder, output;
    std::string stub, archive, uninstaller, docs;
    std::string productVersion, company, product;
    std::string sign, passwordFile, timestamp;
    std::string packageId, url, license, description, locale;  // winget
    unsigned nJobs = DefaultJobCount();
    int nLevel = 9;
    unsigned nCodePage = DEFAULT_ANSI_CODE_PAGE;
    bool bCodePageGiven = false;
    bool bHelp = false;
    bool bNoPayloadCheck = false;  // setup: no CRC-32 record beside the payload
};

// Prints the message and where to find the usage; returns false.
bool UsageError(const std::string& message);

// Reads the command line. False, after a UsageError, for an unknown option, one without
// its value, or a number out of its range.
bool ParseToolOptions(int argc, char** argv, ToolOptions& options);

// False, after a UsageError, when an option was given to a command that does not take it.
bool CheckOptionsBelongToCommand(const ToolOptions& options);
