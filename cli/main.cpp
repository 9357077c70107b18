#include "cli/cli_app.h"
#include "cli/output.h"
#include "platform/standard_streams.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
  const unsigned closed = morvick::platform::OpenStandardDescriptors();
  morvick::cli::SetStandardOutputClosed((closed & 2u) != 0);
  morvick::platform::IgnoreBrokenPipe();
  morvick::platform::UseUtf8Streams();
  std::vector<std::string> arguments = morvick::platform::ProgramArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return morvick::cli::RunCli(static_cast<int>(arguments.size()), pointers.data());
}
