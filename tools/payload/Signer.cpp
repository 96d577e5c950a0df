#include "Signer.h"

#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Runs a program found on PATH with the given arguments and waits for it; its exit
// status, or -1 when it could not be started.
int RunProgram(const std::vector<std::string>& args)
{
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
#ifdef _WIN32
    intptr_t status = _spawnvp(_P_WAIT, argv[0], argv.data());
    return status < 0 ? -1 : static_cast<int>(status);
#else
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
