// Authenticode signing of a finished Setup.exe through osslsigncode (a program of its own,
// found on PATH), after the payload is in place so that the signature covers it. The
// password never reaches a command line: osslsigncode reads it from the given file.
#pragma once

#include <string>

struct SignOptions {
    std::string pkcs12;        // certificate and key, PKCS#12
    std::string passwordFile;  // its password, the file's first line
    std::string timestampUrl;  // an RFC 3161 time-stamp server, or empty
    std::string description;   // the program's name the signature shows
};

// Signs input into output. Without a time-stamp server the signing time is
// SOURCE_DATE_EPOCH when that is set, so that a build can be repeated byte for byte.
// False, with the reason and osslsigncode's own messages, when it fails.
bool SignImage(const std::string& input, const std::string& output, const SignOptions& options, std::string& error);
