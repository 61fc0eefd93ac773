// SPDX-License-Identifier: MIT
#include "tests/support/minisign.h"

#include <stdexcept>
#include <vector>

#include "tests/support/devsim.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace {

std::filesystem::path KeyDirectory() { return SourceDirectory() / "tests" / "data" / "keys"; }

}  // namespace

std::filesystem::path TestPublicKey(const std::string& name) { return KeyDirectory() / (name + ".pub"); }

void SignWithTestKey(const std::filesystem::path& file, const std::string& name, const std::string& trustedComment,
                     SignatureKind kind)
{
    std::vector<std::string> argv = {"/usr/bin/minisign", "-S", "-s", SimulatorPath(KeyDirectory() / (name + ".key")),
                                     "-m", SimulatorPath(file), "-t", trustedComment};
    if (kind == SignatureKind::Legacy) argv.push_back("-l");
    const std::filesystem::path output = file.string() + ".minisign-output";
    const int status = RunLinuxProgram(argv, output);
    const std::string said = ReadFileText(output);
    std::filesystem::remove(output);
    if (status != 0) throw std::runtime_error("minisign could not sign " + file.string() + ": " + said);
}
