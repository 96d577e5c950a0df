#include "ToolOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace {

bool ParseNumber(const std::string& text, long nMin, long nMax, long& value)
{
    char* pEnd = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &pEnd, 10);
    return !text.empty() && *pEnd == '\0' && errno == 0 && value >= nMin && value <= nMax;
}

// Splits "--level=9" and "-j2" into option and value; returns the option's canonical name.
std::string CanonicalOption(const std::string& arg, std::string& inlineValue, bool& bHasInline)
{
    static const char* const s_options[][2] = {
        {"-m", "--manifest"}, {"-d", "--folder"}, {"-o", "--output"}, {"-j", "--jobs"}, {"-l", "--level"},
        {"", "--codepage"}, {"", "--stub"}, {"", "--archive"}, {"", "--uninstaller"}, {"", "--docs"},
        {"", "--product-version"}, {"", "--company"}, {"", "--product"}, {"", "--sign"}, {"", "--password-file"},
        {"", "--timestamp"}, {"", "--id"}, {"", "--url"}, {"", "--license"}, {"", "--description"},
        {"", "--locale"},
    };
    bHasInline = false;
    for (const auto& option : s_options) {
        std::string shortName = option[0], longName = option[1];
        if (arg == longName || (!shortName.empty() && arg == shortName))
            return longName;
        if (arg.rfind(longName + "=", 0) == 0) {
            inlineValue = arg.substr(longName.size() + 1);
            bHasInline = true;
            return longName;
        }
        if (!shortName.empty() && arg.size() > 2 && arg.rfind(shortName, 0) == 0) {
            inlineValue = arg.substr(2);
            bHasInline = true;
            return longName;
        }
    }
    return "";
}

// The options that take a text as it stands.
bool TextOption(ToolOptions& options, const std::string& option, const std::string& value)
{
    static const std::pair<const char*, std::string ToolOptions::*> s_fields[] = {
        {"--manifest", &ToolOptions::manifest},
        {"--folder", &ToolOptions::folder},
        {"--output", &ToolOptions::output},
        {"--stub", &ToolOptions::stub},
        {"--archive", &ToolOptions::archive},
        {"--uninstaller", &ToolOptions::uninstaller},
        {"--docs", &ToolOptions::docs},
        {"--product-version", &ToolOptions::productVersion},
        {"--company", &ToolOptions::company},
        {"--product", &ToolOptions::product},
        {"--sign", &ToolOptions::sign},
        {"--password-file", &ToolOptions::passwordFile},
        {"--timestamp", &ToolOptions::timestamp},
        {"--id", &ToolOptions::packageId},
        {"--url", &ToolOptions::url},
        {"--license", &ToolOptions::license},
        {"--description", &ToolOptions::description},
        {"--locale", &ToolOptions::locale},
    };
    for (const auto& field : s_fields) {
        if (option == field.first) {
            options.*field.second = value;
            return true;
        }
    }
    return false;
}

bool NumberOption(ToolOptions& options, const std::string& option, const std::string& value)
{
    long n;
    if (option == "--jobs" && ParseNumber(value, 1, 256, n))
        options.nJobs = static_cast<unsigned>(n);
    else if (option == "--level" && ParseNumber(value, 0, 9, n))
        options.nLevel = static_cast<int>(n);
    else if (option == "--codepage" && ParseNumber(value, 1250, 1258, n))
        options.nCodePage = static_cast<unsigned>(n), options.bCodePageGiven = true;
    else
        return UsageError(option + " takes a number (" +
                          (option == "--jobs" ? "1 to 256" : option == "--level" ? "0 to 9" : "1250 to 1258") +
                          "), not \"" + value + "\"");
    return true;
}

bool AnyGiven(std::initializer_list<const std::string*> values)
{
    for (const std::string* pValue : values)
        if (!pValue->empty())
            return true;
    return false;
}

}  // namespace

bool UsageError(const std::string& message)
{
    std::fprintf(stderr, "payload: %s\nRun \"payload --help\" for the usage.\n", message.c_str());
    return false;
}

bool ParseToolOptions(int argc, char** argv, ToolOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help" || (arg == "help" && options.command.empty())) {
            options.bHelp = true;
            continue;
        }
        if (arg == "--no-payload-check") {
            options.bNoPayloadCheck = true;
            continue;
        }
        if (arg.size() <= 1 || arg[0] != '-') {
            (options.command.empty() ? options.command : options.positional.emplace_back()) = arg;
            continue;
        }
        std::string value;
        bool bInline;
        std::string option = CanonicalOption(arg, value, bInline);
        if (option.empty())
            return UsageError("unknown option " + arg);
        if (!bInline) {
            if (i + 1 >= argc)
                return UsageError(option + " needs a value");
            value = argv[++i];
        }
        if (!TextOption(options, option, value) && !NumberOption(options, option, value))
            return false;
    }
    return true;
}

bool CheckOptionsBelongToCommand(const ToolOptions& o)
{
    const std::string& command = o.command;
    bool bMakesSetup = command == "setup" || command == "uninstaller";
    if (command != "build" && command != "extract" && !bMakesSetup && !o.manifest.empty())
        return UsageError("--manifest belongs to build, extract, setup and uninstaller");
    if (!bMakesSetup && AnyGiven({&o.stub, &o.archive, &o.uninstaller, &o.docs, &o.productVersion, &o.company,
                                  &o.product, &o.sign, &o.passwordFile, &o.timestamp}))
        return UsageError("--stub, --archive, --uninstaller, --docs, the version and signing options belong to setup");
    if (command != "setup" && o.bNoPayloadCheck)
        return UsageError("--no-payload-check belongs to setup");
    if (command != "winget" && AnyGiven({&o.packageId, &o.url, &o.license, &o.description, &o.locale}))
        return UsageError("--id, --url, --license, --description and --locale belong to winget");
    if (command == "list" && o.bCodePageGiven)
        return UsageError("--codepage belongs to build, verify and extract");
    return true;
}
