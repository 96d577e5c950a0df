#include "Signer.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// The C run time joins the arguments with spaces as they stand: each is quoted here the
// way the started program's start-up code splits its command line again.
std::string QuoteArgument(const std::string& arg)
{
    std::string quoted = "\"";
    size_t nBackslashes = 0;
    for (char ch : arg) {
        if (ch == '\\') {
            ++nBackslashes;
            continue;
        }
        quoted.append(ch == '"' ? nBackslashes * 2 + 1 : nBackslashes, '\\');
        nBackslashes = 0;
        quoted += ch;
    }
    quoted.append(nBackslashes * 2, '\\');
    return quoted + "\"";
}
#endif

// Runs a program found on PATH with the given arguments and waits for it; its exit
// status, or -1 when it could not be started.
int RunProgram(const std::vector<std::string>& args)
{
#ifdef _WIN32
    std::vector<std::string> quoted;
    for (const std::string& arg : args)
        quoted.push_back(QuoteArgument(arg));
    std::vector<const char*> argv;
    for (const std::string& arg : quoted)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    intptr_t status = _spawnvp(_P_WAIT, args[0].c_str(), argv.data());
    return status < 0 ? -1 : static_cast<int>(status);
#else
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        execvp(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
#endif
}

}  // namespace

bool SignImage(const std::string& input, const std::string& output, const SignOptions& options, std::string& error)
{
    std::vector<std::string> args = {"osslsigncode", "sign", "-pkcs12", options.pkcs12, "-readpass",
                                     options.passwordFile, "-h", "sha256", "-n", options.description};
    if (!options.timestampUrl.empty()) {
        args.push_back("-ts");
        args.push_back(options.timestampUrl);
    } else if (const char* pszEpoch = std::getenv("SOURCE_DATE_EPOCH")) {
        args.push_back("-time");
        args.push_back(pszEpoch);
    }
    args.insert(args.end(), {"-in", input, "-out", output});
    int nStatus = RunProgram(args);
    if (nStatus == 0)
        return true;
    error = nStatus == 127 || nStatus == -1
                ? "cannot run osslsigncode (install it: Debian's package osslsigncode; on Windows sign with signtool)"
                : "osslsigncode failed (exit status " + std::to_string(nStatus) + "); its messages are above";
    return false;
}
